#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
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

// The texture's level 0 as RGBA bytes, row 0 first (the upload's order).
std::vector<uint8_t> textureBytes(GLuint texture, int* width, int* height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<uint8_t> bytes(static_cast<size_t>(*width) * *height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

struct Texel {
    int r, g, b, a;
};

Texel texel(const std::vector<uint8_t>& bytes, int width, int x, int row)
{
    const uint8_t* p = &bytes[(static_cast<size_t>(row) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool isNull(const SGImage& image)
{
    return image.texture == 0 && image.rect.x0 == 0 && image.rect.y0 == 0 && image.rect.x1 == 0 &&
           image.rect.y1 == 0 && image.width == 0 && image.height == 0;
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

// Row 0 of the texture is the picture's bottom row (the ImageLoader bundle
// shows it the right way up); colours are whole.
TEST_F(KVLoadImageFromFileTest, UploadsBottomUpAtTheFileSize)
{
    const SGImage image = load(kImages + "quad.png");
    ASSERT_NE(image.texture, 0u);
    EXPECT_EQ(image.textureWidth, 8);
    EXPECT_EQ(image.textureHeight, 6);
    EXPECT_EQ(image.width, 8u);
    EXPECT_EQ(image.height, 6u);
    EXPECT_EQ(image.rect.x1, 1.0f);
    EXPECT_EQ(image.rect.y1, 1.0f);
    EXPECT_NE(image.premultiplied, 0);
}

TEST_F(KVLoadImageFromFileTest, ColourIsMultipliedByAlphaAndPicturesWithoutAlphaAreOpaque)
{
    int w = 0, h = 0;
    const SGImage half = load(kImages + "half-alpha.png");
    std::vector<uint8_t> bytes = textureBytes(half.texture, &w, &h);
    const Texel t = texel(bytes, w, 0, 0);
    EXPECT_EQ(t.r, 128);
    EXPECT_EQ(t.a, 128);

    for (const std::string name : {"quad.jpg", "quad.bmp", "quad.gif", "quad.tga", "quad.tiff", "quad.webp"}) {
        const SGImage image = load(kImages + name);
        ASSERT_NE(image.texture, 0u) << name;
        EXPECT_EQ(image.textureWidth, 8) << name;
        bytes = textureBytes(image.texture, &w, &h);
        EXPECT_EQ(texel(bytes, w, 7, 0).a, 255) << name;  // the yellow corner
    }
    const SGImage alpha = load(kImages + "quad-alpha.webp");
    bytes = textureBytes(alpha.texture, &w, &h);
    const Texel clear = texel(bytes, w, 7, 0);
    EXPECT_EQ(clear.a, 0);
    EXPECT_EQ(clear.r + clear.g + clear.b, 0) << "transparent means no colour once premultiplied";
}

TEST_F(KVLoadImageFromFileTest, OddSizesStayExactAndUnpackSettingsAreRestored)
{
    TempDir dir;
    KVBitmap odd(100, 37);
    ASSERT_TRUE(odd.savePNG(dir.file("odd.png")));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    const SGImage image = load(dir.file("odd.png"));
    int w = 0, h = 0;
    textureBytes(image.texture, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 37);
    GLint alignment = 0, rowLength = -1;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

TEST_F(KVLoadImageFromFileTest, EmptyPathIsTheNullImageWithoutALogLine)
{
    testing::internal::CaptureStderr();
    EXPECT_TRUE(isNull(KVLoadImageFromFile("")));
    EXPECT_TRUE(isNull(KVLoadImageFromFile(nullptr)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Missing, empty, foreign and truncated files: one log line naming the
// file, then the placeholder with a 0 x 0 size.
TEST_F(KVLoadImageFromFileTest, UnusableFilesAreLoggedOnceAndGetThePlaceholder)
{
    for (const std::string name : {"no-such-file.png", "empty.png", "not-an-image.png", "truncated.png"}) {
        testing::internal::CaptureStderr();
        const SGImage image = load(kImages + name);
        const std::string log = testing::internal::GetCapturedStderr();
        const std::string line = "KVLoadImageFromFile could not create NSImage from file " + kImages + name;
        EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find(line), log.rfind(line)) << "logged once: " << log;
        EXPECT_NE(image.texture, 0u) << name;
        EXPECT_EQ(image.textureWidth, 0) << name;
        EXPECT_EQ(image.textureHeight, 0) << name;
        EXPECT_EQ(image.width, 0u) << name;
        EXPECT_EQ(image.rect.x1, 1.0f) << name;
        EXPECT_EQ(image.rect.y1, 1.0f) << name;
        int w = 0, h = 0;
        textureBytes(image.texture, &w, &h);
        EXPECT_EQ(w, 64) << "the installed placeholder is what was uploaded";
    }
}

TEST_F(KVLoadImageFromFileTest, PlaceholderIsFoundInTheFirstFolderThatHasIt)
{
    TempDir bundleResources, empty;
    KVBitmap mark(3, 2);
    ASSERT_TRUE(mark.savePNG(bundleResources.file("image_missing.png")));
    KVSetImageResourceFolders({empty.path(), bundleResources.path(), kResources});
    EXPECT_EQ(KVFindImageResource("image_missing.png"), bundleResources.file("image_missing.png"));
    testing::internal::CaptureStderr();
    const SGImage image = load(kImages + "empty.png");
    testing::internal::GetCapturedStderr();
    int w = 0, h = 0;
    textureBytes(image.texture, &w, &h);
    EXPECT_EQ(w, 3);

    // No placeholder anywhere: the null image.
    KVSetImageResourceFolders({empty.path()});
    testing::internal::CaptureStderr();
    EXPECT_TRUE(isNull(load(kImages + "empty.png")));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(KVFindImageResource("../images/quad.png"), "");
}

TEST_F(KVLoadImageFromFileTest, CheckGLErrorNamesTheCallAndTheError)
{
    testing::internal::CaptureStderr();
    CheckGLError("quiet");
    glEnable(GL_NEVER);  // not a capability: GL_INVALID_ENUM
    CheckGLError("glEnable");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("quiet"), std::string::npos) << log;
    EXPECT_NE(log.find("OpenGL Error in glEnable : invalid enumerant"), std::string::npos) << log;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(KVLoadImageFromFileTest, EmptyBitmapIsNotUploaded)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(KVUploadAsGLTexture(KVBitmap()), 0u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("uploadAsGLTexture: invalid source image size: 0.000000x0.000000"),
              std::string::npos);
}
