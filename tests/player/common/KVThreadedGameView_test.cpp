// The render thread: lifecycle messages, posted input, frame timer, locks,
// full screen and the mapping of input, with a real offscreen context and a
// real engine state.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVThreadWait.h"
#include "player/common/KVOffscreenGameWindow.h"
#include "player/common/KVThreadedGameView.h"
#include "platform/objects/KVString.h"
#include "tests/player/common/PlayerTestSupport.h"

namespace {

Gate* currentGate = nullptr;
std::atomic<bool> askedMain{false};

// onUpdate = hold: the render thread stops inside update until the gate opens.
int holdInUpdate(lua_State*)
{
    if (Gate* gate = currentGate) {
        currentGate = nullptr;
        gate->enterAndWait();
    }
    return 0;
}

// onUpdate = askMain: waits for the main thread, as a keyboard prompt does,
// while the render thread holds the context and state locks.
int askMainInUpdate(lua_State* L)
{
    if (askedMain.exchange(true))
        return 0;
    std::atomic<bool> answered{false};
    KVThreadWait::performOnMainThreadAndWait([&] { answered = KVThreadWait::isMainThread(); });
    if (!answered)
        return 0;
    lua_getglobal(L, "add");
    lua_pushstring(L, "main answered");
    lua_pcall(L, 1, 0, 0);
    return 0;
}

class ThreadedView : public testing::Test {
protected:
    void SetUp() override
    {
        KVThreadWait::markMainThread();
        std::string error;
        window = KVOffscreenGameWindow::create(480, 320, &error);
        ASSERT_TRUE(window) << error;
        window->setScreenSize({1920, 1200});
        state = makeLoggingState(dir);
        ASSERT_TRUE(state);
        lua_register(state->state(), "hold", holdInUpdate);
        lua_register(state->state(), "askMain", askMainInUpdate);
        view = std::make_unique<KVThreadedGameView>(*window);
        view->setLuaState(state.get());
    }
    void TearDown() override
    {
        view.reset();
        testing::internal::CaptureStdout();
        state = nullptr;
        testing::internal::GetCapturedStdout();
    }
    // Runs everything queued on the render thread so far.
    void flush() { view->performOnRenderThread([] {}, true); }
    std::string log() { return scriptLog(*state); }

    TempDir dir;
    std::unique_ptr<KVOffscreenGameWindow> window;
    Ref<KVLuaState> state;
    std::unique_ptr<KVThreadedGameView> view;
};

TEST_F(ThreadedView, EventsPostedDuringAFrameRunAfterItInOrder)
{
    Gate gate;
    currentGate = &gate;
    state->doString("onUpdate = hold");
    view->playWaitUntilDone(true);
    EXPECT_TRUE(view->isDrawingOnSeparateThread());
    gate.entered.get_future().wait();
    // Posting never waits, though the render thread is busy.
    view->keyDown(KVKeyEvent{'a', false, false});
    view->keyDown(KVKeyEvent{'a', true, false});  // a repeat: dropped
    view->keyDown(KVKeyEvent{0, false, false});   // a dead key: nothing
    view->keyUp(KVKeyEvent{'a', false, false});
    view->mouseDown({10, 20});
    gate.opened.set_value();
    view->stopWaitUntilDone(true);
    EXPECT_FALSE(view->isDrawingOnSeparateThread());
    EXPECT_FALSE(view->animating());
    const std::string text = log();
    EXPECT_EQ(text.rfind("play, update, keyDown a, keyUp a, mouseDown 10 300, ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "stop") << text;
}

TEST_F(ThreadedView, APausedGameDrawsNoFramesAndHearsWhyItPaused)
{
    auto scheduled = [this] {
        double interval = 0;
        view->performOnRenderThread([&] { interval = view->scheduledTimerInterval(); }, true);
        return interval;
    };
    view->playWaitUntilDone(true);
    EXPECT_NEAR(scheduled(), 1.0 / 60.0, 1e-9);
    view->pauseWaitUntilDone(true, true);
    EXPECT_LT(scheduled(), 0);
    view->playWaitUntilDone(true);
    view->pauseWaitUntilDone(true, false);
    view->stopWaitUntilDone(true);
    EXPECT_NE(log().find("system pause, play"), std::string::npos) << log();
    EXPECT_NE(log().find("pause, stop"), std::string::npos) << log();
}

TEST_F(ThreadedView, TheMainThreadEntersTheScriptBetweenFrames)
{
    // Each frame makes the game's sound context current; meanwhile the main
    // thread enters the script under the state lock (ThreadSanitizer sees
    // any touch of the Lua state outside that lock).
    view->playWaitUntilDone(true);
    for (int i = 0; i < 8; ++i) {
        const long frame = view->framesDrawn();
        while (view->framesDrawn() == frame)
            std::this_thread::yield();
        view->setFullScreen(i % 2 == 0);
    }
    view->stopWaitUntilDone(true);
    EXPECT_NE(log().find("screen 1920x1200, update"), std::string::npos) << log();
}

TEST_F(ThreadedView, PlayWithoutWaitingAndRedisplaysAfterStop)
{
    Gate busy;
    view->performOnRenderThread([&] { busy.enterAndWait(); }, false);
    busy.entered.get_future().wait();
    view->playWaitUntilDone(false);
    EXPECT_TRUE(view->isDrawingOnSeparateThread());
    EXPECT_EQ(log(), "") << "play has not run yet";
    // While the render thread draws, redisplays do nothing.
    view->setDrawingEnabled(true);
    view->drawRect();
    busy.opened.set_value();
    view->stopWaitUntilDone(true);
    EXPECT_EQ(log().find("render"), std::string::npos);
    view->drawRect();
    flush();
    EXPECT_EQ(log().substr(log().size() - 6), "render") << log();
}

TEST_F(ThreadedView, DestroyingTheThreadDropsWhatIsStillQueued)
{
    Gate busy;
    view->performOnRenderThread([&] { busy.enterAndWait(); }, false);
    busy.entered.get_future().wait();
    view->keyDown(KVKeyEvent{'x', false, false});
    // Opened by the main thread while it waits for the render thread to end.
    KVThreadWait::servedQueue().performAsync([&] { busy.opened.set_value(); });
    view->destroyThread();
    EXPECT_EQ(view->thread(), nullptr);
    EXPECT_EQ(log(), "");
    EXPECT_FALSE(view->performOnRenderThread([] {}, true));
}

TEST_F(ThreadedView, WaitingForAThreadThatWaitsForMainDoesNotDeadlock)
{
    state->doString("onUpdate = askMain");
    askedMain = false;
    view->playWaitUntilDone(true);
    while (!askedMain)
        std::this_thread::yield();
    // The render thread holds the context and state locks and waits for the
    // main thread; the main thread now needs both locks and then waits for
    // the render thread.
    view->reshape();
    view->stopWaitUntilDone(true);
    const std::string text = log();
    EXPECT_NE(text.find("update, main answered"), std::string::npos) << text;
    EXPECT_NE(text.find("screen 480x320"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "stop");
}

TEST_F(ThreadedView, ALuaErrorInAnInputHandlerIsLoggedAndTheLoopGoesOn)
{
    testing::internal::CaptureStderr();
    view->postEvent("keyDown", {KVString::withString("bad")});
    view->postEvent("keyDown", {KVString::withString("good")});
    flush();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("LuaState runLoop: Lua Error caught (and ignored): "), std::string::npos) << err;
    EXPECT_NE(err.find("no such key"), std::string::npos) << err;
    EXPECT_EQ(log(), "keyDown good");
}

TEST_F(ThreadedView, FullScreenLetterboxesMapsTheMouseAndEscapeLeavesIt)
{
    view->setCropToFit(false);
    view->setOriginalAspectRatio(1.5f);
    view->setFullScreen(true);
    EXPECT_TRUE(window->isFullScreen());
    KVViewGeometry g = view->geometry();
    EXPECT_EQ(g.viewport.x, 60);
    EXPECT_EQ(g.viewport.width, 1800);
    // Window points from the top left: the game's bottom-left corner sits
    // at the end of the left bar.
    view->mouseDown({60, 1200});
    view->mouseUp({1860, 600});
    view->mouseDragged({960, 0});
    flush();
    // Escape leaves full screen and still reaches the game.
    view->keyDown(KVKeyEvent{27, false, true});
    EXPECT_FALSE(view->fullScreen());
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_EQ(window->contentSize().width, 480) << "back to the game's intended size";
    view->flagsChanged(0x20002);
    view->flagsChanged(0x20006);
    view->flagsChanged(0x20004);
    flush();
    view->reshape();  // the same size again: handed over all the same
    // The screen size is handed over directly under the state lock, before
    // the queued key reaches the render thread.
    EXPECT_EQ(log(), "screen 1920x1200, mouseDown 0 0, mouseUp 1920 600, mouseMoved 960 1200, screen 480x320, "
                     "keyDown esc, keyDown left shift, keyDown right shift, keyUp left shift, screen 480x320");
    EXPECT_EQ(view->geometry().viewport.width, 480);
}

}  // namespace
