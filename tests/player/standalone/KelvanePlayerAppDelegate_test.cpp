// The application delegate in-process, headless: start-up, and replacing a
// running game's Lua state.
#include <gtest/gtest.h>

#include <filesystem>

#include "player/standalone/KelvanePlayerAppDelegate.h"
#include "tests/support/TempDir.h"

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

TEST(KelvanePlayerAppDelegate, ReplacesARunningGamesLuaState)
{
    TempDir dir;
    const std::string bundlePath = dir.file("Swap.app");
    std::filesystem::create_directories(bundlePath + "/Contents/Resources/Swap.gameproj");
    writeFile(bundlePath + "/Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleName</key><string>Swap</string>"
              "</dict></plist>");
    writeFile(bundlePath + "/Contents/Resources/engine64.luo", kGameScript);
    std::string error;
    auto bundle = GameBundle::open(bundlePath, &error);
    ASSERT_TRUE(bundle) << error;

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
    // The window took the game's size and its shape.
    EXPECT_EQ(delegate.window()->contentSize().width, 400);
    EXPECT_FLOAT_EQ(delegate.gameView()->originalAspectRatio(), 2.0f);
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
                   "load\nplay\nstop\nshutdownEngine\n");
    EXPECT_EQ(delegate.luaState(), nullptr);
}

}  // namespace
