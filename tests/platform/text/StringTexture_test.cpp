#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <pango/pangocairo.h>

#include "platform/text/KVTextFontMap.h"
#include "platform/text/StringTexture.h"
#include "tests/platform/text/TextGLTest.h"

using StringTextureTest = TextGLTest;

TEST_F(StringTextureTest, FontTableMapsDisplayNamesAndNothingElse)
{
    const std::pair<const char*, const char*> table[] = {
        {"Arial", "ArialMT"}, {"Courier New", "CourierNewPSMT"}, {"Georgia", "Georgia"},
        {"Times New Roman", "TimesNewRomanPSMT"}, {"Trebuchet MS", "TrebuchetMS"}, {"Verdana", "Verdana"},
        {"Zapfino", "Zapfino"}, {"Helvetica", "Helvetica"}, {"Helvetica Neue", "Helvetica Neue"},
        {"American Typewriter", "American Typewriter"}, {"Baskerville", "Baskerville"}, {"Cochin", "Cochin"},
        {"Futura", "Futura"}, {"Gill Sans", "Gill Sans"}};
    for (const auto& [display, font] : table) {
        ASSERT_NE(StringTexture::fontNameForDisplayName(display), nullptr) << display;
        EXPECT_STREQ(StringTexture::fontNameForDisplayName(display), font);
    }
    for (const char* unknown : {"arial", "ArialMT", "LucidaGrande", "", "Arial "})
        EXPECT_EQ(StringTexture::fontNameForDisplayName(unknown), nullptr) << unknown;
}

// Every font name the table and the string-to-image node produce resolves,
// through the player's configuration, to a fitting installed family.
TEST_F(StringTextureTest, PlayerFontConfigurationMapsEveryNameGamesUse)
{
    const std::pair<const char*, const char*> expected[] = {
        {"ArialMT", "Liberation Sans"},        {"Helvetica", "Liberation Sans"},
        {"Helvetica Neue", "Liberation Sans"}, {"Futura", "Liberation Sans"},
        {"Gill Sans", "Liberation Sans"},      {"TimesNewRomanPSMT", "Liberation Serif"},
        {"Georgia", "Liberation Serif"},       {"Baskerville", "Liberation Serif"},
        {"Cochin", "Liberation Serif"},        {"CourierNewPSMT", "Liberation Mono"},
        {"American Typewriter", "Liberation Mono"}, {"TrebuchetMS", "DejaVu Sans"},
        {"Verdana", "DejaVu Sans"},            {"LucidaGrande", "DejaVu Sans"},
        {"Zapfino", "DejaVu Serif"},           {"No Such Font", "Liberation Sans"}};
    PangoContext* context = pango_font_map_create_context(KVTextFontMap::shared());
    for (const auto& [name, family] : expected) {
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, name);
        pango_font_description_set_absolute_size(description, 12 * PANGO_SCALE);
        PangoFont* font = pango_context_load_font(context, description);
        ASSERT_NE(font, nullptr) << name;
        PangoFontDescription* loaded = pango_font_describe(font);
        EXPECT_STREQ(pango_font_description_get_family(loaded), family) << name;
        pango_font_description_free(loaded);
        pango_font_description_free(description);
        g_object_unref(font);
    }
    g_object_unref(context);
}

TEST_F(StringTextureTest, BitmapIsStraightAlphaInTheTextColour)
{
    StringTexture white("Straight alpha", "ArialMT", 18, KVTextAlignmentLeft);
    ASSERT_TRUE(white.genTexture());
    const TexturePixels w = readTexture(white.texName());
    int edges = 0;
    int inked = 0;
    for (int row = 0; row < w.height; ++row)
        for (int x = 0; x < w.width; ++x) {
            const uint8_t* p = w.at(x, row);
            if (p[3] == 0)
                continue;
            ++inked;
            if (p[3] < 255)
                ++edges;
            ASSERT_EQ(p[0], 255) << x << "," << row << " alpha " << int(p[3]);
            ASSERT_EQ(p[1], 255);
            ASSERT_EQ(p[2], 255);
        }
    EXPECT_GT(inked, 100);
    EXPECT_GT(edges, 20) << "antialiased edges carry partial alpha";
    white.deleteTexture();

    KVTextAttributes attributes{"ArialMT", 18, KVTextAlignmentLeft};
    StringTexture orange("Orange", attributes, KVTextColor{1.0, 0.5, 0.0, 1.0}, KVTextColor{}, KVTextColor{});
    ASSERT_TRUE(orange.genTexture());
    const TexturePixels o = readTexture(orange.texName());
    for (int row = 0; row < o.height; ++row)
        for (int x = 0; x < o.width; ++x) {
            const uint8_t* p = o.at(x, row);
            if (p[3] < 32)  // very faint edges round too coarsely to compare
                continue;
            ASSERT_EQ(p[0], 255);
            ASSERT_NEAR(p[1], 128, 4) << x << "," << row << " alpha " << int(p[3]);
            ASSERT_EQ(p[2], 0);
        }
    orange.deleteTexture();
}

TEST_F(StringTextureTest, AMeasuredFrameDrawsAsTheSameFrameGivenFixed)
{
    // A fixed frame wraps and aligns within its width; a measured one must
    // place its lines exactly there too.
    for (KVTextAlignment alignment : {KVTextAlignmentLeft, KVTextAlignmentCenter, KVTextAlignmentRight})
        for (const char* text : {"Score 1234", "Wide first line\ni\nab c\nmiddle one", "x\n\nA longer last line"})
            for (double size : {13.0, 14.5}) {
                StringTexture measured(text, "ArialMT", size, alignment);
                StringTexture fixed(text, "ArialMT", size, alignment);
                fixed.useStaticFrame(measured.frameSize());
                ASSERT_TRUE(measured.genTexture());
                ASSERT_TRUE(fixed.genTexture());
                EXPECT_EQ(readTexture(measured.texName()).rgba, readTexture(fixed.texName()).rgba)
                    << text << " " << alignment << " " << size;
                measured.deleteTexture();
                fixed.deleteTexture();
            }
}

TEST_F(StringTextureTest, DrawnUnderAYUpCameraTheTextStandsUpright)
{
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // A "T": its bar is the widest row of ink and must be at the top.
    StringTexture t("T", "ArialMT", 36, KVTextAlignmentLeft);
    t.drawAtPoint(0, 0);
    ASSERT_NE(t.texName(), 0u);
    ASSERT_LE(t.texHeight(), kHeight);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);

    int firstInkRow = -1;
    int lastInkRow = -1;
    int widestRow = -1;
    int widest = 0;
    for (int y = 0; y < kHeight; ++y) {  // screen rows, top first
        int count = 0;
        for (int x = 0; x < kWidth; ++x)
            if (pixelAt(x, y).r > 128)
                ++count;
        if (count == 0)
            continue;
        if (firstInkRow < 0)
            firstInkRow = y;
        lastInkRow = y;
        if (count > widest) {
            widest = count;
            widestRow = y;
        }
    }
    ASSERT_GE(firstInkRow, 0);
    EXPECT_LT(widestRow - firstInkRow, (lastInkRow - firstInkRow) / 4) << "the bar is not at the top";
    // The quad sits on the bottom edge: its top is texHeight from the bottom.
    EXPECT_GE(firstInkRow, kHeight - static_cast<int>(t.texHeight()));
    t.deleteTexture();
}

TEST_F(StringTextureTest, UploadLeavesUnpackStateAndBindingAsItFoundThem)
{
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);

    StringTexture text("State", "ArialMT", 12, KVTextAlignmentLeft);
    ASSERT_TRUE(text.genTexture());
    GLint value = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 8);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &value);
    EXPECT_EQ(value, 7);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), other);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);

    // Texture settings: clamped, linear.
    glBindTexture(GL_TEXTURE_2D, text.texName());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    text.deleteTexture();
    glDeleteTextures(1, &other);
}

TEST_F(StringTextureTest, FramesAndMarginsDecideTheSizeAndDropTheTexture)
{
    StringTexture text("Frames", "ArialMT", 20, KVTextAlignmentLeft);
    EXPECT_FALSE(text.staticFrame());
    EXPECT_EQ(text.marginSize().width, 4.0);
    EXPECT_EQ(text.marginSize().height, 2.0);
    const KVTextSize dynamic = text.frameSize();

    ASSERT_TRUE(text.genTexture());
    GLuint name = text.texName();
    text.setMargins(KVTextSize{0, 0});
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(text.texName(), 0u);
    EXPECT_EQ(text.frameSize().width, dynamic.width - 8);
    EXPECT_EQ(text.frameSize().height, dynamic.height - 4);

    ASSERT_TRUE(text.genTexture());
    name = text.texName();
    text.useStaticFrame(KVTextSize{33.5, 21});
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_TRUE(text.staticFrame());
    EXPECT_EQ(text.frameSize().width, 33.5);
    ASSERT_TRUE(text.genTexture());
    EXPECT_EQ(text.texWidth(), 34.0f);  // whole pixels
    EXPECT_EQ(text.texHeight(), 21.0f);

    name = text.texName();
    text.useDynamicFrame();
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(text.frameSize().width, dynamic.width - 8);  // margins are still 0

    // Generating again at the same size keeps the texture; deleting clears it.
    ASSERT_TRUE(text.genTexture());
    name = text.texName();
    ASSERT_TRUE(text.genTexture());
    EXPECT_EQ(text.texName(), name);
    EXPECT_TRUE(glIsTexture(name));
    text.deleteTexture();
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(text.texName(), 0u);
}

TEST_F(StringTextureTest, BoxAndBorderColoursFillAndFrameTheBitmap)
{
    KVTextAttributes attributes{"ArialMT", 14, KVTextAlignmentLeft};
    StringTexture boxed("Box", attributes, KVTextColor{1, 1, 1, 1}, KVTextColor{0, 0, 1, 1}, KVTextColor{1, 0, 0, 1});
    ASSERT_TRUE(boxed.genTexture());
    const TexturePixels p = readTexture(boxed.texName());
    const uint8_t* corner = p.at(0, 0);
    EXPECT_EQ(corner[0], 255);
    EXPECT_EQ(corner[2], 0);
    EXPECT_EQ(corner[3], 255);
    const uint8_t* top = p.at(p.width / 2, p.height - 1);
    EXPECT_EQ(top[0], 255);
    const uint8_t* inside = p.at(1, 1);
    EXPECT_EQ(inside[0], 0);
    EXPECT_EQ(inside[2], 255);
    EXPECT_EQ(inside[3], 255);
    boxed.deleteTexture();

    // The two-argument form: box and border are clear, so is the bitmap
    // outside the text.
    StringTexture plain("Box", attributes);
    EXPECT_EQ(plain.textColor().a, 1.0);
    EXPECT_EQ(plain.boxColor().a, 0.0);
    ASSERT_TRUE(plain.genTexture());
    EXPECT_EQ(readTexture(plain.texName()).alpha(0, 0), 0);
    plain.deleteTexture();
}
