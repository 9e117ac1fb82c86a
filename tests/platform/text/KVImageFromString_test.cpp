#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <pango/pangocairo.h>

#include "platform/text/KVImageFromString.h"
#include "platform/text/KVTextFontMap.h"
#include "tests/platform/text/TextGLTest.h"

namespace {

// The size Pango gives the text alone, measured here independently of the
// rasterizer.
void typesetSize(const char* family, double size, const char* text, int& width, int& height)
{
    PangoContext* context = pango_font_map_create_context(KVTextFontMap::shared());
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, family);
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text, -1);
    pango_layout_get_pixel_size(layout, &width, &height);
    pango_font_description_free(font);
    g_object_unref(layout);
    g_object_unref(context);
}

const char* kLongText =
    "The quick brown fox jumps over the lazy dog, and keeps jumping over every dog it meets on the long road "
    "home, which winds through valleys, over hills and along rivers for many more words than fit in a small box.";

}  // namespace

using KVImageFromStringTest = TextGLTest;

TEST_F(KVImageFromStringTest, UnknownDisplayNamesDrawExactlyAsArial)
{
    const KVTextureImage arial = KVImageFromString("Kelvane 42", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage unknown = KVImageFromString("Kelvane 42", "No Such Font", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage empty = KVImageFromString("Kelvane 42", "", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage courier = KVImageFromString("Kelvane 42", "Courier New", 16, KVTextAlignmentLeft, false, 0, 0);
    const TexturePixels a = readTexture(arial.texture);
    ASSERT_GT(a.width, 0);
    EXPECT_EQ(readTexture(unknown.texture).rgba, a.rgba);
    EXPECT_EQ(readTexture(empty.texture).rgba, a.rgba);
    // ...and the table is really used: another family draws differently.
    EXPECT_NE(readTexture(courier.texture).rgba, a.rgba);
    for (GLuint t : {arial.texture, unknown.texture, empty.texture, courier.texture})
        deleteTexture(t);
}

TEST_F(KVImageFromStringTest, OneLineIsItsTypesetSizePlusTheMargins)
{
    struct Case {
        const char* display;
        const char* family;
        float size;
        const char* text;
    };
    for (const Case& c : {Case{"Arial", "ArialMT", 12, "Hello, world"}, Case{"Times New Roman", "TimesNewRomanPSMT", 30, "Wide"},
                          Case{"Courier New", "CourierNewPSMT", 9.5f, "x"}}) {
        SCOPED_TRACE(c.display);
        int textWidth = 0;
        int textHeight = 0;
        typesetSize(c.family, c.size, c.text, textWidth, textHeight);
        // 72 dpi: a line is about as tall as the point size.
        EXPECT_GE(textHeight, c.size);
        EXPECT_LE(textHeight, 1.5 * c.size);

        const KVTextureImage image = KVImageFromString(c.text, c.display, c.size, KVTextAlignmentCenter, false, 0, 0);
        const TexturePixels pixels = readTexture(image.texture);
        EXPECT_EQ(pixels.width, textWidth + 8);
        EXPECT_EQ(pixels.height, textHeight + 4);
        EXPECT_EQ(image.width, pixels.width);
        EXPECT_EQ(image.height, pixels.height);

        deleteTexture(image.texture);
    }
}

TEST_F(KVImageFromStringTest, AWrappedFrameIsTheImageSizeWhateverTheText)
{
    for (const char* text : {"Hi", kLongText}) {
        SCOPED_TRACE(text);
        const KVTextureImage image = KVImageFromString(text, "Arial", 14, KVTextAlignmentLeft, true, 100, 50);
        EXPECT_EQ(image.width, 100);
        EXPECT_EQ(image.height, 50);
        const TexturePixels pixels = readTexture(image.texture);
        EXPECT_EQ(pixels.width, 100);
        EXPECT_EQ(pixels.height, 50);
        // The text stays out of the left and top margins (a glyph's ink
        // may reach a pixel into them).
        const TexturePixels::Box ink = pixels.inkBox();
        EXPECT_GE(ink.minX, 3);
        EXPECT_LE(ink.maxRow, 47);
        deleteTexture(image.texture);
    }

    // Wrapping also breaks words longer than the frame.
    const KVTextureImage word = KVImageFromString("Supercalifragilisticexpialidocious", "Arial", 14, KVTextAlignmentLeft,
                                           true, 60, 60);
    const TexturePixels pixels = readTexture(word.texture);
    const TexturePixels::Box ink = pixels.inkBox();
    EXPECT_GT(ink.maxRow - ink.minRow, 20) << "expected more than one line";
    deleteTexture(word.texture);
}

// The text rectangle starts after the left and top margins (4, 2) and runs
// to the frame's right and bottom edges.
TEST_F(KVImageFromStringTest, TextIsPlacedInTheRectangleFromTheMarginsToTheFrameEdges)
{
    const char* text = "Align the words";
    int textWidth = 0;
    int lineHeight = 0;
    typesetSize("ArialMT", 20, text, textWidth, lineHeight);
    const auto ink = [&](int alignment, bool wrap, float width, float height) {
        const KVTextureImage image =
            KVImageFromString(text, "Arial", 20, static_cast<KVTextAlignment>(alignment), wrap, width, height);
        const TexturePixels::Box box = readTexture(image.texture).inkBox();
        deleteTexture(image.texture);
        return box;
    };

    // Right-aligned lines end at the frame's edge, centred ones sit in the
    // middle of the rectangle: shifted from the left-aligned place by all or
    // half of the room the rectangle leaves beside the line.
    struct Case {
        bool wrap;
        float frameWidth;
    };
    for (const Case& c : {Case{false, static_cast<float>(textWidth + 8)}, Case{true, 200}}) {
        SCOPED_TRACE(c.frameWidth);
        const double room = c.frameWidth - 4 - textWidth;
        const TexturePixels::Box left = ink(0, c.wrap, c.frameWidth, 40);
        ASSERT_GE(left.minX, 4);
        EXPECT_LE(left.minX, 7);
        for (const auto& [alignment, share] : {std::pair{1, 0.5}, std::pair{2, 1.0}, std::pair{7, 0.5}}) {
            SCOPED_TRACE(alignment);
            const TexturePixels::Box placed = ink(alignment, c.wrap, c.frameWidth, 40);
            EXPECT_NEAR(placed.minX - left.minX, room * share, 1.0);
            EXPECT_NEAR(placed.maxX - left.maxX, room * share, 1.0);
        }
    }

    // A frame whose rectangle is exactly as wide as the line keeps it on one
    // line; one just tall enough for the line below the top margin shows it.
    const TexturePixels::Box oneLine = ink(0, true, textWidth + 4, 3 * lineHeight);
    EXPECT_LT(oneLine.maxRow - oneLine.minRow, lineHeight) << "the line was wrapped";
    const TexturePixels::Box tight = ink(0, true, textWidth + 30, lineHeight + 2);
    EXPECT_GE(tight.minX, 0) << "the line that fits was cut off";
}

TEST_F(KVImageFromStringTest, EmptyOrUnusableFramesAndSizesGiveTheNullImage)
{
    struct Case {
        float size, width, height;
        const char* message;
    };
    for (const Case& c : {Case{12, 0, 50, "the frame 0 x 50 is empty"}, Case{12, 100, 0, "the frame 100 x 0 is empty"},
                          Case{12, -5, 50, "the frame -5 x 50 is empty"}, Case{12, NAN, 50, "the frame nan x 50 is empty"},
                          Case{12, 100000, 50, "the frame 100000 x 50 is larger than"},
                          Case{0, 100, 50, "the font size 0 is not a usable size"},
                          Case{-3, 100, 50, "the font size -3 is not a usable size"},
                          Case{INFINITY, 100, 50, "the font size inf is not a usable size"}}) {
        SCOPED_TRACE(c.message);
        testing::internal::CaptureStderr();
        const KVTextureImage image =
            KVImageFromString("text", "Arial", c.size, KVTextAlignmentLeft, true, c.width, c.height);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(image.texture, 0u);
        EXPECT_EQ(image.width, 0);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(err.find("OpenGL Error"), std::string::npos) << err;
    }
    // A huge unwrapped text is refused the same way rather than crashing.
    testing::internal::CaptureStderr();
    const KVTextureImage huge = KVImageFromString("W", "Arial", 15000, KVTextAlignmentLeft, false, 0, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("larger than"), std::string::npos);
    EXPECT_EQ(huge.texture, 0u);
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
    const KVTextureImage withContext = KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    context()->releaseCurrent();
    testing::internal::CaptureStderr();
    const KVTextureImage image = KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(context()->makeCurrent());
    EXPECT_EQ(err, "StringTexture -genTexture: Failure to get current OpenGL context\n");
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.width, withContext.width);
    EXPECT_EQ(image.height, withContext.height);
    EXPECT_GT(image.width, 0);
    deleteTexture(withContext.texture);
}
