// The application delegate in-process, headless: start-up, replacing a
// running game's Lua state, the keyboard prompt and the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "engine/assets/KVImageResources.h"
#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVThreadWait.h"
#include "player/standalone/KelvanePlayerAppDelegate.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBundle.h"

namespace {

const char* kGameScript = R"(
generation = (generation or 0) + 1
frames = 0
Project = {new = function() return {load = function(self, path) print("load") end} end}
game = {attributes = {displaySize = {width = {_value = 400}, height = {_value = 200}}},
        switchToScene = function(self, scene) print("switchToScene " .. tostring(scene)) end}
Renderer = {removeCurrentView = function(self) print("removeCurrentView") end}
AssetManager = {freeGLAssets = function(self) print("freeGLAssets") end}
function play() print("play") end
function update(dt) frames = frames + 1 end
function stop() print("stop") end
function shutdownEngine() print("shutdownEngine") end
)";

// A bundle Name.app holding the script, opened.
std::optional<GameBundle> openBundle(const TempDir& dir, const std::string& name, const char* script)
{
    const std::string path = writeBundle(dir.path(), name, script);
    std::string error;
    auto bundle = GameBundle::open(path, &error);
    EXPECT_TRUE(bundle) << error;
    return bundle;
}

TEST(KelvanePlayerAppDelegate, ReplacesARunningGamesLuaState)
{
    TempDir dir;
    auto bundle = openBundle(dir, "Swap", kGameScript);
    ASSERT_TRUE(bundle);
    writeFile(bundle->resourcesPath() + "/image_missing.png", "the bundle's own placeholder");

    PlayerOptions options;
    options.headless = true;
    options.fixedStep = true;
    options.saveDir = dir.file("save");
    KVApplication app(false);
    KelvanePlayerAppDelegate delegate(app, *bundle, options);

    testing::internal::CaptureStdout();
    auto runUntil = [&](auto done) {
        while (!done())
            ASSERT_TRUE(app.runOnce(delegate));
    };
    runUntil([&] { return delegate.gameView() && delegate.gameView()->framesDrawn() >= 3; });
    // The bundle's placeholder picture comes before the player's.
    EXPECT_EQ(KVFindImageResource("image_missing.png"), bundle->resourcesPath() + "/image_missing.png");
    delegate.luaState()->doString("old = true");

    ASSERT_TRUE(delegate.makeNewLuaState());
    EXPECT_EQ(delegate.luaState()->evaluateExpression("old"), "nil");
    delegate.loadGameBundle();
    delegate.playGame();
    const long before = delegate.gameView()->framesDrawn();
    runUntil([&] { return delegate.gameView()->framesDrawn() >= before + 3; });
    // The new state is the one being driven.
    EXPECT_NE(delegate.luaState()->evaluateExpression("frames"), "0");

    app.terminate();
    EXPECT_FALSE(app.runOnce(delegate));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "load\nplay\n"
                   "switchToScene nil\nremoveCurrentView\nfreeGLAssets\nshutdownEngine\n"
                   "load\nplay\nstop\n");
    EXPECT_EQ(delegate.luaState(), nullptr);
}

// The keyboard prompt pauses the game; minimising and restoring the window
// meanwhile leaves it paused until the prompt is answered.
TEST(KelvanePlayerAppDelegate, RestoringTheWindowUnderThePromptKeepsTheGamePaused)
{
    TempDir dir;
    auto bundle = openBundle(dir, "Ask", R"(
        Project = {new = function() return {load = function() end} end}
        frames = 0
        function update(dt)
            frames = frames + 1
            if frames == 2 then callbacks.callExternalFunction("KeyboardInput", "Name?", "Guest", false) end
        end
        function play() print("play") end
        function raiseExternalEvent(name, args) print(name .. " " .. args[1]) end)");
    ASSERT_TRUE(bundle);
    PlayerOptions options;
    options.headless = true;
    options.saveDir = dir.file("save");
    KVApplication app(false);
    KelvanePlayerAppDelegate delegate(app, *bundle, options);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    while (!delegate.isPlaying())
        ASSERT_TRUE(app.runOnce(delegate));
    // Only the main queue from here: a full pass would answer the prompt.
    while (!delegate.keyboardInputSupport()->isShowingPrompt()) {
        KVThreadWait::servedQueue().drain();
        std::this_thread::yield();
    }
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    for (const auto windowEvent : {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED}) {
        event.window.event = windowEvent;
        delegate.handleEvent(event);
    }
    delegate.gameView()->performOnRenderThread([] {}, true);
    EXPECT_FALSE(delegate.gameView()->animating());

    // The answer resumes the game.
    while (delegate.keyboardInputSupport()->isShowingPrompt() || !delegate.gameView()->animating())
        ASSERT_TRUE(app.runOnce(delegate));
    app.terminate();
    EXPECT_FALSE(app.runOnce(delegate));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "play\nkeyboardInputEntered Guest\nplay\n");
}

}  // namespace
