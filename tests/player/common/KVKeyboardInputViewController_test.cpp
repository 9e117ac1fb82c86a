// The prompt's editing, clicks and drawing, with a real offscreen OpenGL
// context and real text rendering.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "platform/gl/EGLOffscreenContext.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "tests/support/Picture.h"

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
}

TEST(KVKeyboardInputViewController, OnlyAClickOnTheButtonOfAShownPromptConfirms)
{
    auto prompt = std::make_shared<Controller>();
    prompt->setSizeFrame({480, 320});
    const Controller::Layout l = Controller::layout({480, 320});
    const KVPoint onButton{l.button.x + l.button.width / 2, l.button.y + l.button.height / 2};
    EXPECT_FALSE(prompt->clickAt(onButton)) << "not shown";
    prompt->addToDisplayView();
    EXPECT_FALSE(prompt->clickAt({l.field.x + 5, l.field.y + 5}));
    EXPECT_FALSE(prompt->clickAt({l.button.x - 1, onButton.y}));
    EXPECT_TRUE(prompt->clickAt(onButton));
    prompt->removeFromDisplayView();
    EXPECT_FALSE(prompt->isShown());
}

TEST(KVKeyboardInputViewController, DrawsOverTheGameAndLeavesItsStateAlone)
{
    constexpr int kWidth = 480, kHeight = 320;
    std::string error;
    auto context = EGLOffscreenContext::create(kWidth, kHeight, &error);
    ASSERT_TRUE(context) << error;
    ASSERT_TRUE(context->makeCurrent());
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
    auto state = [] {
        std::vector<GLdouble> v(30);
        glGetDoublev(GL_VIEWPORT, &v[0]);
        glGetDoublev(GL_PROJECTION_MATRIX, &v[4]);
        glGetDoublev(GL_MATRIX_MODE, &v[20]);
        glGetDoublev(GL_BLEND_SRC, &v[21]);
        glGetDoublev(GL_CURRENT_COLOR, &v[22]);
        v[26] = glIsEnabled(GL_VERTEX_ARRAY);
        v[27] = glIsEnabled(GL_SCISSOR_TEST);
        v[28] = glIsEnabled(GL_BLEND);
        return v;
    };
    const std::vector<GLdouble> before = state();

    auto prompt = std::make_shared<Controller>();
    EXPECT_FALSE(prompt->draw({kWidth, kHeight})) << "hidden: nothing drawn";
    prompt->setPrompt("What is your name?");
    prompt->setInitialValue("Zo\xC3\xA9");
    prompt->setSizeFrame({kWidth, kHeight});
    prompt->addToDisplayView();
    EXPECT_TRUE(prompt->draw({kWidth, kHeight}));
    // Ink in a rectangle of the layout (points from the bottom left).
    auto ink = [](const Picture& frame, const KVPromptRect& r) {
        return frame.count(static_cast<int>(r.x), kHeight - static_cast<int>(r.y + r.height), static_cast<int>(r.width),
                           static_cast<int>(r.height), [](const Rgba& c) { return c.r + c.g + c.b < 400; });
    };
    const Controller::Layout l = Controller::layout({kWidth, kHeight});
    Picture frame = Picture::currentFrame(kWidth, kHeight);
    // (Its background and typed text are seen in a window: WindowE2E.)
    EXPECT_GT(ink(frame, l.bar), 50) << "the title";

    EXPECT_EQ(state(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // A long answer shows its end; hiding frees the textures.
    prompt->setInitialValue(std::string(200, 'W') + "END");
    EXPECT_TRUE(prompt->draw({kWidth, kHeight}));
    frame = Picture::currentFrame(kWidth, kHeight);
    EXPECT_GT(ink(frame, {l.field.x + l.field.width - 60, l.field.y + 4, 50, l.field.height - 8}), 50);
    prompt->removeFromDisplayView();
    EXPECT_FALSE(prompt->draw({kWidth, kHeight}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
