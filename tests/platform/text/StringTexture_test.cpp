#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include <pango/pangocairo.h>

#include "platform/text/KVImageFromString.h"
#include "platform/text/KVTextFontMap.h"
#include "platform/text/KVUnicode.h"
#include "platform/text/StringTexture.h"
#include "tests/platform/gl/GLTestContext.h"

using StringTextureTest = GLTest;
using KVImageFromStringTest = GLTest;

// Every font a game may name (by display name, or the string-to-image
// node's default) resolves, through the table and the player's font
// configuration, to a fitting installed family.
TEST_F(StringTextureTest, EveryFontGamesNameResolvesToAFittingFamily)
{
    // (Arial, Times New Roman, Courier New, Trebuchet MS, Georgia and the
    // default LucidaGrande show in the TextLayout screenshot.)
    const std::pair<const char*, const char*> expected[] = {
        {"Helvetica", "Liberation Sans"},   {"Helvetica Neue", "Liberation Sans"}, {"Futura", "Liberation Sans"},
        {"Gill Sans", "Liberation Sans"},   {"Baskerville", "Liberation Serif"},   {"Cochin", "Liberation Serif"},
        {"American Typewriter", "Liberation Mono"}, {"Verdana", "DejaVu Sans"},    {"Zapfino", "DejaVu Serif"},
        {"No Such Font", "Liberation Sans"}};
    PangoContext* context = pango_font_map_create_context(KVTextFontMap::shared());
    for (const auto& [display, family] : expected) {
        const char* name = StringTexture::fontNameForDisplayName(display);
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, name ? name : display);
        PangoFont* font = pango_context_load_font(context, description);
        ASSERT_NE(font, nullptr) << display;
        PangoFontDescription* loaded = pango_font_describe(font);
        EXPECT_STREQ(pango_font_description_get_family(loaded), family) << display << " as " << (name ? name : "-");
        pango_font_description_free(loaded);
        pango_font_description_free(description);
        g_object_unref(font);
    }
    g_object_unref(context);
}

// Straight alpha: every inked pixel holds the text colour itself, the
// antialiased edges only a partial alpha. A box colour fills the bitmap,
// a border colour frames it.
TEST_F(StringTextureTest, BitmapIsStraightAlphaInTheTextColourOverTheBox)
{
    KVTextAttributes attributes{"ArialMT", 18, KVTextAlignmentLeft};
    StringTexture orange("Orange", attributes, KVTextColor{1.0, 0.5, 0.0, 1.0}, KVTextColor{}, KVTextColor{});
    ASSERT_TRUE(orange.genTexture());
    const TexturePixels o = readTexture(orange.texName());
    int inked = 0, edges = 0;
    for (size_t i = 0; i < o.rgba.size(); i += 4) {
        const uint8_t* p = &o.rgba[i];
        inked += p[3] > 0;
        edges += p[3] > 0 && p[3] < 255;
        // (Very faint edges round too coarsely to compare.)
        ASSERT_TRUE(p[3] < 32 || (p[0] == 255 && std::abs(p[1] - 128) <= 4 && p[2] == 0))
            << "pixel " << i / 4 << ": " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]) << "," << int(p[3]);
    }
    EXPECT_GT(inked, 100);
    EXPECT_GT(edges, 20);
    EXPECT_EQ(o.alpha(0, 0), 0) << "no box by default";
    orange.deleteTexture();

    StringTexture boxed("Box", attributes, KVTextColor{1, 1, 1, 1}, KVTextColor{0, 0, 1, 1}, KVTextColor{1, 0, 0, 1});
    ASSERT_TRUE(boxed.genTexture());
    const TexturePixels b = readTexture(boxed.texName());
    // Border red at the corner and the bottom edge's middle, box blue inside.
    for (const auto& [x, row, r, blue] : {std::tuple{0, 0, 255, 0}, {b.width / 2, b.height - 1, 255, 0}, {1, 1, 0, 255}})
        EXPECT_EQ(std::vector<int>(b.at(x, row), b.at(x, row) + 4), (std::vector<int>{r, 0, blue, 255})) << x << "," << row;
    boxed.deleteTexture();
}

// A fixed frame wraps and aligns within its width; a measured one must
// place its lines exactly there too.
TEST_F(StringTextureTest, AMeasuredFrameDrawsAsTheSameFrameGivenFixed)
{
    for (KVTextAlignment alignment : {KVTextAlignmentLeft, KVTextAlignmentCenter, KVTextAlignmentRight})
        for (const char* text : {"Score 1234", "Wide first line\ni\nab c\nmiddle one", "x\n\nA longer last line"})
            for (double size : {13.0, 14.5}) {
                StringTexture measured(text, "ArialMT", size, alignment), fixed(text, "ArialMT", size, alignment);
                fixed.useStaticFrame(measured.frameSize());
                ASSERT_TRUE(measured.genTexture() && fixed.genTexture());
                EXPECT_EQ(readTexture(measured.texName()).rgba, readTexture(fixed.texName()).rgba)
                    << text << " " << alignment << " " << size;
                measured.deleteTexture();
                fixed.deleteTexture();
            }
}

TEST_F(StringTextureTest, DrawnUnderAYUpCameraTheTextStandsUprightAndLeavesTheUploadState)
{
    setUpPixelCamera();
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);

    // A "T": its bar is the widest row of ink and must be at the top.
    StringTexture t("T", "ArialMT", 36, KVTextAlignmentLeft);
    t.drawAtPoint(0, 0);
    ASSERT_NE(t.texName(), 0u);
    ASSERT_LE(t.texHeight(), kHeight);
    for (const auto& [name, expected] : {std::pair<GLenum, GLint>{GL_UNPACK_ALIGNMENT, 8}, {GL_UNPACK_ROW_LENGTH, 7},
                                         {GL_TEXTURE_BINDING_2D, static_cast<GLint>(other)}}) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, expected) << std::hex << name;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glDeleteTextures(1, &other);

    // Ink in each screen row, top first.
    const Picture frame = Picture::currentFrame(kWidth, kHeight);
    std::vector<int> ink;
    for (int y = 0; y < kHeight; ++y)
        ink.push_back(frame.count(0, y, kWidth, 1, [](const Rgba& p) { return p.r > 128; }));
    const auto inked = [](int count) { return count > 0; };
    const int top = std::find_if(ink.begin(), ink.end(), inked) - ink.begin();
    const int bottom = ink.rend() - std::find_if(ink.rbegin(), ink.rend(), inked) - 1;
    const int widest = std::max_element(ink.begin(), ink.end()) - ink.begin();
    ASSERT_LT(top, kHeight);
    EXPECT_LT(widest - top, (bottom - top) / 4) << "the bar is not at the top";
    // The quad sits on the bottom edge: its top is texHeight from the bottom.
    EXPECT_GE(top, kHeight - static_cast<int>(t.texHeight()));
    t.deleteTexture();
}

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
        EXPECT_EQ(std::pair(image.texture, image.width), std::pair(0u, 0));
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(err.find("OpenGL Error"), std::string::npos) << err;
    }
}

TEST_F(KVImageFromStringTest, InvalidUTF8DrawsReplacementCharacters)
{
    const KVTextureImage bad = KVImageFromString("ab\xff" "c\xc3", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    const KVTextureImage replaced =
        KVImageFromString("ab\xef\xbf\xbd" "c\xef\xbf\xbd", "Arial", 16, KVTextAlignmentLeft, false, 0, 0);
    ASSERT_NE(bad.texture, 0u);
    EXPECT_EQ(readTexture(bad.texture).rgba, readTexture(replaced.texture).rgba);
    deleteTexture(bad.texture);
    deleteTexture(replaced.texture);
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
    EXPECT_EQ(std::tuple(image.texture, image.width, image.height),
              std::tuple(0u, withContext.width, withContext.height));
    deleteTexture(withContext.texture);
}

// Every range boundary of well-formed UTF-8, both ways. (A stray byte
// skipped alone shows in the string class's length.)
TEST(KVUnicode, ConvertsBetweenUTF8AndUTF16)
{
    const struct {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
        {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
        {"\xE0\xA0\x80\xED\x9F\xBF", u"\u0800\uD7FF"},
        {"\xEE\x80\x80\xEF\xBF\xBF", u"\uE000\uFFFF"},
        {"\xF0\x90\x80\x80", std::u16string{0xD800, 0xDC00}},
        {"\xF4\x8F\xBF\xBF", std::u16string{0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(KVIsUTF8(c.utf8)) << c.utf8;
        std::u16string units;
        EXPECT_TRUE(KVUTF8ToUTF16(c.utf8, units)) << c.utf8;
        EXPECT_EQ(c.utf16, units) << c.utf8;
        EXPECT_EQ(c.utf8, KVUTF16ToUTF8(c.utf16)) << c.utf8;
    }
    // Lone surrogates, either half, anywhere: U+FFFD each.
    EXPECT_EQ("\xEF\xBF\xBD" "a\xEF\xBF\xBD", KVUTF16ToUTF8(std::u16string{0xD83D, 'a', 0xDE00}));
    EXPECT_EQ("x\xEF\xBF\xBD", KVUTF16ToUTF8(std::u16string{'x', 0xD83D}));
}

TEST(KVUnicode, RefusesMalformedSequences)
{
    for (const char* text : {"\x80", "\x9A\x9A", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                             "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xC3",
                             "\xE2\x82", "ok\xE2\x82"}) {
        EXPECT_FALSE(KVIsUTF8(text)) << text;
        std::u16string units = u"left over";
        EXPECT_FALSE(KVUTF8ToUTF16(text, units)) << text;
        EXPECT_TRUE(units.empty()) << text;
    }
    // The end given is the end: a sequence cut by it is not read past.
    const unsigned char cut[] = {0xE2, 0x82, 0xAC};
    const unsigned char* at = cut;
    EXPECT_EQ(-1, KVNextCodePoint(at, cut + 2));
}
