#include "engine/host/wrap_platformWrappers.h"

#include <string>

#include "engine/audio/KVAACFile.h"
#include "engine/host/KVBinding.h"
#include "engine/host/KVPlatformWrappers.h"

namespace {

int getSystemTime(lua_State* L)
{
    lua_pushnumber(L, KVGetSystemTime());
    return 1;
}

// playMusic(path, loop): the last two arguments; a lone argument is the
// path. A path that is not text counts as none. The flag is converted to an
// integer, so a boolean (even true) is 0 and plays once, as games expect.
int playMusic(lua_State* L)
{
    const int top = lua_gettop(L);
    const int pathIndex = top >= 2 ? top - 1 : top;
    const std::string path = pathIndex >= 1 && lua_type(L, pathIndex) == LUA_TSTRING ? lua_tostring(L, pathIndex) : "";
    const int loop = top >= 2 ? kvToInteger<int>(L, top) : 0;
    KVPlayAACFile(path.c_str(), loop);
    return 0;
}

int pauseMusic(lua_State*)
{
    KVPauseAACFile();
    return 0;
}

int stopMusic(lua_State*)
{
    KVStopAACFile();
    return 0;
}

// setMusicVolume(volume): the last argument, as a number (0 if it is none).
int setMusicVolume(lua_State* L)
{
    const int top = lua_gettop(L);
    SetAACFileVolume(top >= 1 ? static_cast<float>(lua_tonumber(L, top)) : 0.0f);
    return 0;
}

// A number, not a boolean: scripts compare it with 1.
int isMusicPlaying(lua_State* L)
{
    lua_pushnumber(L, IsAACFilePlaying() ? 1 : 0);
    return 1;
}

// {[0] = year, month, day, hour, minute, second, millisecond}
int getClockTime(lua_State* L)
{
    unsigned components[7] = {};
    KVGetClockTime(components);
    lua_createtable(L, 0, 7);
    for (int i = 0; i < 7; ++i) {
        lua_pushnumber(L, static_cast<lua_Number>(components[i]));
        lua_rawseti(L, -2, i);
    }
    return 1;
}

int logDebugStatement(lua_State* L)
{
    const int top = lua_gettop(L);
    const char* text = top >= 1 ? lua_tostring(L, top) : nullptr;
    KVLogDebugStatement(text ? text : "");
    return 0;
}

const luaL_Reg platform_wrap_functions[] = {
    {"getSystemTime", getSystemTime},
    {"playMusic", playMusic},
    {"pauseMusic", pauseMusic},
    {"stopMusic", stopMusic},
    {"setMusicVolume", setMusicVolume},
    {"isMusicPlaying", isMusicPlaying},
    {"getClockTime", getClockTime},
    {"logDebugStatement", logDebugStatement},
    {nullptr, nullptr},
};

// Music that cannot start (no thread, no memory) is a line, not a stopped game.
const KVModule kModule{"platformWrappers", KVFailure::report};

}  // namespace

int luaopen_platformWrappers(lua_State* L)
{
    kvOpenModule(L, "platformWrappers", kModule, platform_wrap_functions);
    return 1;
}
