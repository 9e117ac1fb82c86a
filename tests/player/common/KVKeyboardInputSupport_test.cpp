// The keyboard prompt asked for by a real engine script on a real render
// thread: the immediate answer while not playing, the pause, the answer on
// the render thread and play again. (The prompt drawn over the paused game
// is seen in a window, tests/e2e.)
#include <gtest/gtest.h>

#include <thread>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVThreadWait.h"
#include "player/common/KVKeyboardInputSupport.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "player/common/KVOffscreenGameWindow.h"
#include "player/common/KVThreadedGameView.h"
#include "tests/player/common/PlayerTestSupport.h"

namespace {

KVThreadedGameView* currentView = nullptr;

// Whether the script runs on the render thread.
int onRenderThread(lua_State* L)
{
    lua_pushboolean(L, currentView && currentView->thread() && currentView->thread()->isCurrent());
    return 1;
}

const char* kPromptScript = R"(
function ask() callbacks.callExternalFunction("KeyboardInput", "Name?", "Guest", true) add("asked") end
function raiseExternalEvent(name, args)
  local n = 0
  for _ in pairs(args) do n = n + 1 end
  add(name .. " [" .. tostring(args[1]) .. "] " .. n .. (onRenderThread() and " render" or ""))
end
)";

class KeyboardPrompt : public testing::Test {
protected:
    void SetUp() override
    {
        KVThreadWait::markMainThread();
        std::string error;
        window = KVOffscreenGameWindow::create(480, 320, &error);
        ASSERT_TRUE(window) << error;
        state = makeLoggingState(dir, kPromptScript);
        ASSERT_TRUE(state);
        lua_register(state->state(), "onRenderThread", onRenderThread);
        view = std::make_unique<KVThreadedGameView>(*window);
        currentView = view.get();
        view->setLuaState(state.get());
        support = KVKeyboardInputSupport::create(view.get(), window.get());
    }
    void TearDown() override
    {
        view.reset();
        currentView = nullptr;
        support = nullptr;
        testing::internal::CaptureStdout();
        state = nullptr;
        testing::internal::GetCapturedStdout();
    }
    // Serves the main thread until the condition holds.
    template <class Condition>
    void serveMainUntil(Condition condition)
    {
        while (!condition()) {
            KVThreadWait::servedQueue().drain();
            std::this_thread::yield();
        }
    }
    // Runs everything queued on the render thread so far.
    void flush() { view->performOnRenderThread([] {}, true); }
    std::string log() { return scriptLog(*state); }
    KVKeyboardInputViewController& prompt() { return support->keyboardInputViewController(); }

    TempDir dir;
    std::unique_ptr<KVOffscreenGameWindow> window;
    Ref<KVLuaState> state;
    std::unique_ptr<KVThreadedGameView> view;
    Ref<KVKeyboardInputSupport> support;
};

TEST_F(KeyboardPrompt, WhileNotPlayingTheAnswerIsEmptyAndImmediate)
{
    // The script holds the state lock while it asks; the answer must not
    // take it again.
    EXPECT_EQ(state->doString("ask()"), std::nullopt);
    EXPECT_EQ(log(), "keyboardInputEntered [] 1, asked");
    EXPECT_FALSE(support->isShowingPrompt());

    view->playWaitUntilDone(true);
    view->pauseWaitUntilDone(true, true);
    flush();
    view->performOnRenderThread([this] { state->doString("ask()"); }, true);
    EXPECT_NE(log().find("system pause, keyboardInputEntered [] 1 render, asked"), std::string::npos) << log();
    EXPECT_FALSE(support->isShowingPrompt());
}

TEST_F(KeyboardPrompt, ConfirmingAnswersOnTheRenderThreadAndPlaysAgain)
{
    state->doString("onUpdate = function() if not done then done = true ask() end end");
    view->playWaitUntilDone(true);
    serveMainUntil([this] { return support->isShowingPrompt(); });
    flush();
    EXPECT_FALSE(view->animating()) << "paused while the prompt is shown";
    EXPECT_EQ(log(), "play, update, asked, pause");
    EXPECT_EQ(prompt().prompt(), "Name?");
    EXPECT_EQ(prompt().text(), "Guest");
    serveMainUntil([this] { return prompt().sizeFrame().width == 480; });

    for (int i = 0; i < 5; ++i)
        prompt().deleteBackward();
    prompt().insertText("abc");
    prompt().finishedEnteringText();
    EXPECT_FALSE(support->isShowingPrompt());
    flush();
    EXPECT_TRUE(view->animating());
    EXPECT_EQ(log().find("play, update, asked, pause, keyboardInputEntered [abc] 1 render, play"), 0u) << log();

    // A click on the button after the answer answers nothing more.
    const KVPromptRect button = KVKeyboardInputViewController::layout({480, 320}).button;
    EXPECT_FALSE(prompt().clickAt({button.x + 5, button.y + 5}));
    prompt().finishedEnteringText();
    view->stopWaitUntilDone(true);
    const std::string text = log();
    EXPECT_EQ(text.find("keyboardInputEntered", text.find("keyboardInputEntered") + 1), std::string::npos) << text;
}

}  // namespace
