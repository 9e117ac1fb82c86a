#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/gl/CheckGLError.h"
#include "engine/assets/KVImageResources.h"
#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/assets/KVUploadAsGLTexture.h"
#include "platform/image/KVBitmap.h"
#include "tests/platform/gl/GLTestContext.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kImages = std::string(KV_TEST_DATA_DIR) + "/images/";
const std::string kResources = std::string(KV_BUILD_DIR) + "/resources";

// What a loaded image is, but for the texture's name.
auto shape(const SGImage& i)
{
    return std::tuple(i.textureWidth, i.textureHeight, i.width, i.height, i.rect.x0, i.rect.y0, i.rect.x1, i.rect.y1);
}

bool isNull(const SGImage& image)
{
    return image.texture == 0 && shape(image) == shape(SGImageNull);
}

}  // namespace

class KVLoadImageFromFileTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        KVSetImageResourceFolders({kResources});
    }
    void TearDown() override
    {
        for (GLuint texture : textures)
            glDeleteTextures(1, &texture);
        KVSetImageResourceFolders({kResources});
        GLTest::TearDown();
    }
    SGImage load(const std::string& path)
    {
        const SGImage image = KVLoadImageFromFile(path.c_str());
        if (image.texture)
            textures.push_back(image.texture);
        return image;
    }
    std::vector<GLuint> textures;
};

// (The screenshots show pictures upright and premultiplied, but not their size.)
TEST_F(KVLoadImageFromFileTest, OddSizesStayExactUnpackSettingsAreRestoredAndGLErrorsAreLogged)
{
    TempDir dir;
    KVBitmap odd(100, 37);
    ASSERT_TRUE(odd.savePNG(dir.file("odd.png")));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    const SGImage loaded = load(dir.file("odd.png"));
    EXPECT_EQ(shape(loaded), std::tuple(100, 37, 100u, 37u, 0.0f, 0.0f, 1.0f, 1.0f));
    const TexturePixels image = readTexture(loaded.texture);
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(100, 37));
    GLint unpack[2] = {0, -1};
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack[0]);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpack[1]);
    EXPECT_EQ(std::pair(unpack[0], unpack[1]), std::pair(8, 0));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    // An OpenGL error names the call and is cleared; an empty bitmap is not uploaded.
    testing::internal::CaptureStderr();
    CheckGLError("quiet");
    glEnable(GL_NEVER);  // not a capability: GL_INVALID_ENUM
    CheckGLError("glEnable");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(KVUploadAsGLTexture(KVBitmap()), 0u);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("quiet"), std::string::npos) << log;
    EXPECT_NE(log.find("OpenGL Error in glEnable : invalid enumerant"), std::string::npos) << log;
    EXPECT_NE(log.find("uploadAsGLTexture: invalid source image size: 0.000000x0.000000"), std::string::npos) << log;
}

// No path: the null image, silently; unusable files: one line naming it, the placeholder, 0 x 0.
TEST_F(KVLoadImageFromFileTest, UnusableFilesAreLoggedOnceAndGetThePlaceholder)
{
    testing::internal::CaptureStderr();
    EXPECT_TRUE(isNull(KVLoadImageFromFile("")));
    EXPECT_TRUE(isNull(KVLoadImageFromFile(nullptr)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (const std::string name : {"no-such-file.png", "empty.png", "not-an-image.png", "truncated.png"}) {
        testing::internal::CaptureStderr();
        const SGImage image = load(kImages + name);
        const std::string log = testing::internal::GetCapturedStderr();
        const std::string line = "KVLoadImageFromFile could not create NSImage from file " + kImages + name;
        EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find(line), log.rfind(line)) << "logged once: " << log;
        EXPECT_EQ(shape(image), std::tuple(0, 0, 0u, 0u, 0.0f, 0.0f, 1.0f, 1.0f)) << name;
        EXPECT_EQ(readTexture(image.texture).width, 64) << "the installed placeholder is what was uploaded";
    }

    // The placeholder is found in the first folder that has it.
    TempDir bundleResources, empty;
    KVBitmap mark(3, 2);
    ASSERT_TRUE(mark.savePNG(bundleResources.file("image_missing.png")));
    KVSetImageResourceFolders({empty.path(), bundleResources.path(), kResources});
    EXPECT_EQ(KVFindImageResource("image_missing.png"), bundleResources.file("image_missing.png"));
    EXPECT_EQ(readTexture(load(kImages + "empty.png").texture).width, 3);

    // No placeholder anywhere: the null image.
    KVSetImageResourceFolders({empty.path()});
    EXPECT_TRUE(isNull(load(kImages + "empty.png")));
    EXPECT_EQ(KVFindImageResource("../images/quad.png"), "");
}
