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
    const SGImage arial = KVImageFromString("Kelvane 42", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const SGImage unknown = KVImageFromString("Kelvane 42", "No Such Font", 16, KVTextAlignmentLeft, false, 0, 0);
    const SGImage empty = KVImageFromString("Kelvane 42", "", 16, KVTextAlignmentLeft, false, 0, 0);
    const SGImage courier = KVImageFromString("Kelvane 42", "Courier New", 16, KVTextAlignmentLeft, false, 0, 0);
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

        const SGImage image = KVImageFromString(c.text, c.display, c.size, KVTextAlignmentCenter, false, 0, 0);
        const TexturePixels pixels = readTexture(image.texture);
        EXPECT_EQ(pixels.width, textWidth + 8);
        EXPECT_EQ(pixels.height, textHeight + 4);
        EXPECT_EQ(image.textureWidth, pixels.width);
        EXPECT_EQ(image.textureHeight, pixels.height);
        EXPECT_EQ(image.width, static_cast<uint32_t>(pixels.width));
        EXPECT_EQ(image.height, static_cast<uint32_t>(pixels.height));
        EXPECT_EQ(image.rect.x0, 0.0f);
        EXPECT_EQ(image.rect.y0, 0.0f);
        EXPECT_EQ(image.rect.x1, 1.0f);
        EXPECT_EQ(image.rect.y1, 1.0f);
        EXPECT_EQ(image.premultiplied, 0);

        // The ink stays inside the horizontal margins.
        const TexturePixels::Box ink = pixels.inkBox();
        EXPECT_GE(ink.minX, 4);
        EXPECT_LE(ink.maxX, pixels.width - 5);
        deleteTexture(image.texture);
    }
}

TEST_F(KVImageFromStringTest, AWrappedFrameIsTheImageSizeWhateverTheText)
{
    for (const char* text : {"Hi", kLongText}) {
        SCOPED_TRACE(text);
        const SGImage image = KVImageFromString(text, "Arial", 14, KVTextAlignmentLeft, true, 100, 50);
        EXPECT_EQ(image.width, 100u);
        EXPECT_EQ(image.height, 50u);
        const TexturePixels pixels = readTexture(image.texture);
        EXPECT_EQ(pixels.width, 100);
        EXPECT_EQ(pixels.height, 50);
        // The long text is wrapped, not drawn past the right margin, and the
        // lines that do not fit are cut: the bottom margin stays clear.
        const TexturePixels::Box ink = pixels.inkBox();
        EXPECT_GE(ink.minX, 4);
        EXPECT_LE(ink.maxX, 95);
        EXPECT_GE(ink.minRow, 2);
        EXPECT_LE(ink.maxRow, 47);
        deleteTexture(image.texture);
    }

    // Wrapping also breaks words longer than the frame.
    const SGImage word = KVImageFromString("Supercalifragilisticexpialidocious", "Arial", 14, KVTextAlignmentLeft,
                                           true, 60, 60);
    const TexturePixels pixels = readTexture(word.texture);
    const TexturePixels::Box ink = pixels.inkBox();
    EXPECT_LE(ink.maxX, 55);
    EXPECT_GT(ink.maxRow - ink.minRow, 20) << "expected more than one line";
    deleteTexture(word.texture);
}

TEST_F(KVImageFromStringTest, AlignmentPlacesTheInkLeftCentredOrRight)
{
    struct Case {
        int alignment;
        double expectedCentre;
    };
    // Centre of the ink for a short word in a 200-wide frame with margins 4.
    int inkWidth = 0;
    for (const Case& c : {Case{0, -1}, Case{1, 100}, Case{2, -2}, Case{7, 100}, Case{-1, 100}}) {
        SCOPED_TRACE(c.alignment);
        const SGImage image =
            KVImageFromString("Align", "Arial", 20, static_cast<KVTextAlignment>(c.alignment), true, 200, 40);
        const TexturePixels::Box ink = readTexture(image.texture).inkBox();
        ASSERT_GE(ink.minX, 0);
        inkWidth = ink.maxX - ink.minX + 1;
        EXPECT_GT(inkWidth, 30);
        if (c.expectedCentre == -1) {
            EXPECT_GE(ink.minX, 4);
            EXPECT_LE(ink.minX, 7);
        } else if (c.expectedCentre == -2) {
            EXPECT_LE(ink.maxX, 195);
            EXPECT_GE(ink.maxX, 192);
        } else {
            EXPECT_NEAR((ink.minX + ink.maxX + 1) / 2.0, c.expectedCentre, 2.0);
        }
        deleteTexture(image.texture);
    }
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
        const SGImage image = KVImageFromString("text", "Arial", c.size, KVTextAlignmentLeft, true, c.width, c.height);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(image.texture, 0u);
        EXPECT_EQ(image.textureWidth, 0);
        EXPECT_EQ(image.width, 0u);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(err.find("OpenGL Error"), std::string::npos) << err;
    }
    // A huge unwrapped text is refused the same way rather than crashing.
    testing::internal::CaptureStderr();
    const SGImage huge = KVImageFromString("W", "Arial", 15000, KVTextAlignmentLeft, false, 0, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("larger than"), std::string::npos);
    EXPECT_EQ(huge.texture, 0u);
}

TEST_F(KVImageFromStringTest, InvalidUTF8DrawsReplacementCharacters)
{
    const SGImage bad = KVImageFromString("ab\xff" "c\xc3", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const SGImage replaced =
        KVImageFromString("ab\xef\xbf\xbd" "c\xef\xbf\xbd", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const SGImage plain = KVImageFromString("abc", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    ASSERT_NE(bad.texture, 0u);
    EXPECT_EQ(readTexture(bad.texture).rgba, readTexture(replaced.texture).rgba);
    EXPECT_GT(bad.width, plain.width);
    for (GLuint t : {bad.texture, replaced.texture, plain.texture})
        deleteTexture(t);
}

TEST_F(KVImageFromStringTest, WithoutAContextTheImageHasNoTextureButItsSize)
{
    const SGImage withContext = KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    context()->releaseCurrent();
    testing::internal::CaptureStderr();
    const SGImage image = KVImageFromString("No context", "Arial", 12, KVTextAlignmentLeft, false, 0, 0);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(context()->makeCurrent());
    EXPECT_EQ(err, "StringTexture -genTexture: Failure to get current OpenGL context\n");
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.textureWidth, withContext.textureWidth);
    EXPECT_EQ(image.height, withContext.height);
    EXPECT_GT(image.width, 0u);
    deleteTexture(withContext.texture);
}
