// Scripted input around a keyboard prompt: held while the prompt is shown,
// which takes the events that follow.
#include <gtest/gtest.h>

#include "player/common/KVKeyboardInputViewController.h"
#include "player/common/KVGameView.h"
#include "player/common/KVOffscreenGameWindow.h"
#include "player/standalone/KVScriptedInput.h"
#include "tests/player/common/PlayerTestSupport.h"

namespace {

TEST(KVScriptedInput, AShownPromptTakesTheEventsThatFollow)
{
    TempDir dir;
    std::string error;
    auto window = KVOffscreenGameWindow::create(480, 320, &error);
    ASSERT_TRUE(window) << error;
    Ref<KVLuaState> state = makeLoggingState(dir);
    ASSERT_TRUE(state);
    KVGameView view(*window);
    view.setLuaState(state.get());

    auto input = KVScriptedInput::parse("0 keydown a\n"
                                        "1 keydown b\n"
                                        "3 text Zo\xC3\xA9!\n"
                                        "3 keydown delete\n"
                                        "3 mousedown 1 2\n"
                                        "4 keydown return\n"
                                        "4 keydown c\n"
                                        "9 keydown d\n",
                                        "input", &error);
    ASSERT_TRUE(input) << error;
    auto prompt = std::make_shared<KVKeyboardInputViewController>();
    bool shown = false;
    input->setHold([&] { return shown; });

    input->deliver(0, view);
    prompt->addToDisplayView();
    shown = true;
    input->deliver(5, view);
    EXPECT_EQ(scriptLog(*state), "keyDown a") << "held while the prompt is shown";

    EXPECT_TRUE(input->answerPrompt(*prompt));
    EXPECT_EQ(prompt->text(), "Zo\xC3\xA9");
    shown = false;
    input->deliver(5, view);
    EXPECT_EQ(scriptLog(*state), "keyDown a, keyDown c") << "the rest resumes; later frames wait";

    EXPECT_FALSE(input->answerPrompt(*prompt)) << "no return left";
    input->deliver(20, view);
    EXPECT_EQ(scriptLog(*state), "keyDown a, keyDown c") << "the prompt used the last event up";

    testing::internal::CaptureStdout();
    state = nullptr;
    testing::internal::GetCapturedStdout();
}

}  // namespace
