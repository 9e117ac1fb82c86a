// The shell's handle on a running game: engine state plus Lua wrapper.
#include <gtest/gtest.h>

#include "tests/player/common/PlayerTestSupport.h"

namespace {

TEST(KVLuaState, RunsTheEngineScriptAndAnswersTheDisplaySettings)
{
    TempDir dir;
    Ref<KVLuaState> state = makeLoggingState(dir, R"(
        game.resolution = 3
        game.resolutionIndependence = 1
        game.attributes.displaySize.width._value = 640
        -- The bridge comes after the engine script and initEngine.
        add(type(luaObjc) .. " " .. type(luaBinder))
        function initEngine() add("initEngine " .. type(luaObjc) .. " " .. type(luaBinder)) end)");
    ASSERT_TRUE(state);
    EXPECT_EQ(scriptLog(*state), "nil nil, initEngine nil nil");
    EXPECT_EQ(state->evaluateExpression("type(luaObjc) .. ' ' .. type(luaBinder)"), "table table");
    const KVSize size = state->intendedDisplaySize();
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 320);
    EXPECT_EQ(state->targetDisplayResolution(), 3u);
    EXPECT_EQ(state->resolutionIndependence(), 1);
}

TEST(KVLuaState, DisplayQueriesSurviveMissingFields)
{
    TempDir dir;
    Ref<KVLuaState> state = makeLoggingState(dir, "game.attributes = nil");
    testing::internal::CaptureStderr();
    const KVSize size = state->intendedDisplaySize();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(size.width, 0);
    // Reported once, by the engine's protected read or by the panic path.
    EXPECT_NE(err.find("Lua Error"), std::string::npos) << err;
    EXPECT_NE(err.find("index"), std::string::npos) << err;
    // The lock was released and the stack emptied.
    ASSERT_TRUE(state->tryLockState());
    EXPECT_EQ(lua_gettop(state->state()), 0);
    state->unlockState();

    // A script with no game table has no settings: nothing to report.
    TempDir other;
    Ref<KVLuaState> bare = makeLoggingState(other, "game = nil");
    testing::internal::CaptureStderr();
    EXPECT_EQ(bare->intendedDisplaySize().height, 0);
    EXPECT_EQ(bare->targetDisplayResolution(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(KVLuaState, FreeingAssetsClosingOnceAndAnsweringEmptyAfterwards)
{
    TempDir dir;
    Ref<KVLuaState> state = makeLoggingState(dir, R"(
        sharedAssetManager = {}
        function sharedAssetManager.unloadAllImages(self) add("unload " .. tostring(self == sharedAssetManager)) end
        function sharedAssetManager.clearForFreedImages(self) add("clear") end)");
    state->freeGLAssets();
    EXPECT_EQ(scriptLog(*state), "unload true, clear");
    testing::internal::CaptureStdout();
    state->close();
    state->close();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "shutdownEngine\n");
    EXPECT_EQ(state->state(), nullptr);
    EXPECT_EQ(state->intendedDisplaySize().width, 0);
    state->freeGLAssets();
    EXPECT_EQ(state->bytesInUse(), 0);

    // A manager that is missing or not a table does not bring anything down.
    TempDir other;
    Ref<KVLuaState> broken = makeLoggingState(other, "sharedAssetManager = 5");
    broken->freeGLAssets();
    EXPECT_EQ(broken->evaluateExpression("1 + 1"), "2");
    testing::internal::CaptureStdout();
    broken = nullptr;
    testing::internal::GetCapturedStdout();
}

}  // namespace
