// The soundManager module and how the shell finds the game's manager.
#include <gtest/gtest.h>

#include "engine/audio/SoundManager.h"
#include "engine/audio/wrap_soundManager.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/SoundTestOutput.h"

namespace {

TEST(ScriptModules, SoundManagerModule)
{
    LuaTestState lua;
    lua_State* L = lua.L;
    ASSERT_TRUE(soundTestOutputReady());
    EXPECT_EQ(SoundManager_FromLuaState(L), nullptr);
    EXPECT_EQ(lua.run("sharedSoundManager = soundManager.new()"), "");
    const int top = lua_gettop(L);
    void* block = SoundManager_FromLuaState(L);
    EXPECT_EQ(lua_gettop(L), top);
    ASSERT_NE(block, nullptr);
    auto* manager = *static_cast<SoundManager**>(block);
    ASSERT_TRUE(SoundManager::isLive(manager));

    alcMakeContextCurrent(nullptr);
    SoundManager_MakeCurrent(nullptr);
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    SoundManager_MakeCurrent(block);
    EXPECT_EQ(alcGetCurrentContext(), SoundManager::sharedContext());
    EXPECT_EQ(lua.run("sharedSoundManager:update() sharedSoundManager:makeCurrent()"), "");

    // Deleted once; then every function does nothing.
    EXPECT_EQ(lua.run("sharedSoundManager:delete() sharedSoundManager:delete()"), "");
    EXPECT_FALSE(SoundManager::isLive(manager));
    EXPECT_EQ(lua.run("sharedSoundManager:update() sharedSoundManager:makeCurrent()"), "");
    // The block still makes the shared context current.
    alcMakeContextCurrent(nullptr);
    SoundManager_MakeCurrent(SoundManager_FromLuaState(L));
    EXPECT_EQ(alcGetCurrentContext(), SoundManager::sharedContext());

    EXPECT_NE(lua.run("soundManager.update({})").find("soundManager.update: expected a sound manager, got table"),
              std::string::npos);
    EXPECT_NE(lua.run("soundManager.delete()").find("got nothing"), std::string::npos);
    EXPECT_EQ(lua.run("sharedSoundManager = 5"), "");
    EXPECT_EQ(SoundManager_FromLuaState(L), nullptr);
}

}  // namespace
