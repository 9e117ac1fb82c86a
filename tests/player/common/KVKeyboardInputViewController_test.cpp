// The prompt's editing, hit testing and drawing, with a real offscreen
// OpenGL context and real text rendering.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/image/KVBitmap.h"
#include "player/common/KVKeyboardInputViewController.h"

namespace {

using Controller = KVKeyboardInputViewController;

TEST(KVKeyboardInputViewController, EditingWholeCharacters)
{
    auto prompt = std::make_shared<Controller>();
    int changes = 0;
    prompt->setOnChange([&] { ++changes; });
    prompt->setInitialValue("Guest");
    prompt->insertText("ignored");
    EXPECT_EQ(prompt->text(), "Guest") << "typing reaches only a shown prompt";

    prompt->addToDisplayView();
    prompt->deleteBackward();
    prompt->insertText("s Zo\xC3\xA9");  // é: two bytes
    EXPECT_EQ(prompt->text(), "Guess Zo\xC3\xA9");
    prompt->deleteBackward();
    EXPECT_EQ(prompt->text(), "Guess Zo");
    prompt->insertText("\xF0\x9F\x98\x80");  // four bytes
    prompt->deleteBackward();
    EXPECT_EQ(prompt->text(), "Guess Zo");
    prompt->insertText("a\nb\tc\x7F");
    EXPECT_EQ(prompt->text(), "Guess Zoabc") << "one line: control characters are left out";
    prompt->setMarkedText("\xE3\x81\x8B");
    EXPECT_EQ(prompt->markedText(), "\xE3\x81\x8B");
    prompt->insertText("\xE5\x8F\xAF");
    EXPECT_EQ(prompt->markedText(), "") << "committed text ends the composition";
    prompt->setInitialValue("");
    prompt->deleteBackward();
    EXPECT_EQ(prompt->text(), "");
    EXPECT_GE(changes, 8);

    prompt->removeFromDisplayView();
    EXPECT_FALSE(prompt->isShown());
}

TEST(KVKeyboardInputViewController, TheLayoutAndClicks)
{
    auto prompt = std::make_shared<Controller>();
    prompt->setSizeFrame({480, 320});
    const Controller::Layout l = Controller::layout({480, 320});
    // Bar on top, the field under it, the button under the field on the right.
    EXPECT_EQ(l.bar.y + l.bar.height, 320);
    EXPECT_LT(l.field.y + l.field.height, l.bar.y);
    EXPECT_LT(l.button.y + l.button.height, l.field.y);
    EXPECT_GT(l.button.y, 0);
    EXPECT_EQ(l.button.x + l.button.width, l.field.x + l.field.width);

    const KVPoint onButton{l.button.x + l.button.width / 2, l.button.y + l.button.height / 2};
    EXPECT_FALSE(prompt->clickAt(onButton)) << "not shown";
    prompt->addToDisplayView();
    EXPECT_FALSE(prompt->clickAt({l.field.x + 5, l.field.y + 5}));
    EXPECT_FALSE(prompt->clickAt({l.button.x - 1, onButton.y}));
    EXPECT_TRUE(prompt->clickAt(onButton));
}

struct Pixel {
    int r, g, b;
};

class PromptDrawing : public testing::Test {
protected:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 320;

    void SetUp() override
    {
        std::string error;
        context = EGLOffscreenContext::create(kWidth, kHeight, &error);
        ASSERT_TRUE(context) << error;
        ASSERT_TRUE(context->makeCurrent());
    }
    // From the top left.
    Pixel at(int x, int y) const
    {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 4];
        return {p[0], p[1], p[2]};
    }
    // How many pixels of a rectangle (points from the bottom left) are ink.
    int darkPixels(const KVPromptRect& r) const
    {
        int dark = 0;
        for (int y = static_cast<int>(r.y); y < static_cast<int>(r.y + r.height); ++y)
            for (int x = static_cast<int>(r.x); x < static_cast<int>(r.x + r.width); ++x) {
                const Pixel p = at(x, kHeight - 1 - y);
                dark += p.r + p.g + p.b < 400;
            }
        return dark;
    }

    std::unique_ptr<EGLOffscreenContext> context;
    std::vector<uint8_t> pixels;
};

TEST_F(PromptDrawing, DrawsOverTheGameAndLeavesItsStateAlone)
{
    // What a game leaves set up.
    glViewport(10, 20, 100, 50);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 7, 0, 9, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4f(0.5f, 0.25f, 0.125f, 1);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    auto prompt = std::make_shared<Controller>();
    EXPECT_FALSE(prompt->draw({kWidth, kHeight})) << "hidden: nothing drawn";
    prompt->setPrompt("What is your name?");
    prompt->setInitialValue("Zo\xC3\xA9");
    prompt->setSizeFrame({kWidth, kHeight});
    prompt->addToDisplayView();
    EXPECT_TRUE(prompt->draw({kWidth, kHeight}));
    pixels = KVBitmap::fromFramebuffer(kWidth, kHeight).pixels();

    const Controller::Layout l = Controller::layout({kWidth, kHeight});
    // The prompt covers the whole view: no red left.
    EXPECT_NEAR(at(0, kHeight - 1).r, 235, 1);
    EXPECT_NEAR(at(kWidth - 1, 0).r, 250, 1) << "the bar";
    const Pixel button = at(static_cast<int>(l.button.x + 3), kHeight - static_cast<int>(l.button.y + 3));
    EXPECT_NEAR(button.r, 41, 1);
    EXPECT_NEAR(button.b, 230, 1);
    EXPECT_GT(darkPixels(l.bar), 50) << "the title";
    EXPECT_GT(darkPixels({l.field.x + 4, l.field.y + 4, 60, l.field.height - 8}), 50) << "the typed text";
    const Pixel fieldEnd = at(static_cast<int>(l.field.x + l.field.width - 20), kHeight - static_cast<int>(l.field.y + 20));
    EXPECT_EQ(fieldEnd.r + fieldEnd.g + fieldEnd.b, 3 * 255) << "the field is white beyond the text";

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[3], 50);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 2.0 / 7, 1e-6);
    GLint mode = 0, source = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_BLEND_SRC, &source);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[1], 0.25f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // A long answer shows its end; hiding frees the textures.
    prompt->setInitialValue(std::string(200, 'W') + "END");
    EXPECT_TRUE(prompt->draw({kWidth, kHeight}));
    pixels = KVBitmap::fromFramebuffer(kWidth, kHeight).pixels();
    EXPECT_GT(darkPixels({l.field.x + l.field.width - 60, l.field.y + 4, 50, l.field.height - 8}), 50);
    prompt->removeFromDisplayView();
    EXPECT_FALSE(prompt->draw({kWidth, kHeight}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
