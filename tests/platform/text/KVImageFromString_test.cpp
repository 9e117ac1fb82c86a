#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/text/KVImageFromString.h"
#include "tests/platform/gl/GLTestContext.h"

using KVImageFromStringTest = GLTest;

// Wrapping breaks a word longer than the frame rather than cutting it off;
// an alignment the table does not know centres.
TEST_F(KVImageFromStringTest, WrappingBreaksLongWordsAndUnknownAlignmentsCentre)
{
    const KVTextureImage word =
        KVImageFromString("Supercalifragilisticexpialidocious", "Arial", 14, KVTextAlignmentLeft, true, 60, 60);
    EXPECT_EQ(word.width, 60);
    // Ink on a second line: in the rows 20 to 40 from the top.
    const TexturePixels wrapped = readTexture(word.texture);
    int secondLine = 0;
    for (int row = 20; row < 40; ++row)
        for (int x = 0; x < wrapped.width; ++x)
            secondLine += wrapped.alpha(x, row) > 0;
    EXPECT_GT(secondLine, 20) << "expected more than one line";
    deleteTexture(word.texture);

    std::vector<TexturePixels> aligned;
    // The unknown one right after another, which it must not keep.
    for (const int alignment : {int(KVTextAlignmentLeft), 7, int(KVTextAlignmentCenter)}) {
        const KVTextureImage image =
            KVImageFromString("Align", "Arial", 20, static_cast<KVTextAlignment>(alignment), true, 200, 40);
        aligned.push_back(readTexture(image.texture));
        deleteTexture(image.texture);
    }
    EXPECT_NE(aligned[2].rgba, aligned[0].rgba);
    EXPECT_EQ(aligned[1].rgba, aligned[2].rgba);
}

TEST_F(KVImageFromStringTest, EmptyOrUnusableFramesAndSizesGiveTheNullImage)
{
    struct Case {
        float size, width, height;
        bool wrap;
        const char* message;
    };
    for (const Case& c : {Case{12, 0, 50, true, "the frame 0 x 50 is empty"},
                          Case{12, 100, 0, true, "the frame 100 x 0 is empty"},
                          Case{12, NAN, 50, true, "the frame nan x 50 is empty"},
                          Case{12, 100000, 50, true, "the frame 100000 x 50 is larger than"},
                          Case{0, 100, 50, true, "the font size 0 is not a usable size"},
                          Case{INFINITY, 100, 50, true, "the font size inf is not a usable size"},
                          Case{15000, 0, 0, false, "larger than"}}) {
        SCOPED_TRACE(c.message);
        testing::internal::CaptureStderr();
        const KVTextureImage image =
            KVImageFromString("W", "Arial", c.size, KVTextAlignmentLeft, c.wrap, c.width, c.height);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(image.texture, 0u);
        EXPECT_EQ(image.width, 0);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(err.find("OpenGL Error"), std::string::npos) << err;
    }
}

TEST_F(KVImageFromStringTest, InvalidUTF8DrawsReplacementCharacters)
{
    const KVTextureImage bad = KVImageFromString("ab\xff" "c\xc3", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage replaced =
        KVImageFromString("ab\xef\xbf\xbd" "c\xef\xbf\xbd", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage plain = KVImageFromString("abc", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    ASSERT_NE(bad.texture, 0u);
    EXPECT_EQ(readTexture(bad.texture).rgba, readTexture(replaced.texture).rgba);
    EXPECT_GT(bad.width, plain.width);
    for (GLuint t : {bad.texture, replaced.texture, plain.texture})
        deleteTexture(t);
}

TEST_F(KVImageFromStringTest, WithoutAContextTheImageHasNoTextureButItsSize)
{
    const KVTextureImage withContext =
        KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    context()->releaseCurrent();
    testing::internal::CaptureStderr();
    const KVTextureImage image = KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(context()->makeCurrent());
    EXPECT_EQ(err, "StringTexture -genTexture: Failure to get current OpenGL context\n");
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.width, withContext.width);
    EXPECT_EQ(image.height, withContext.height);
    deleteTexture(withContext.texture);
}
