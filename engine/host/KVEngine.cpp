// Creation, loading, destruction and the lifecycle and query calls of the
// engine host.
#include "engine/host/KVEngine.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/host/KVDatabase.h"
#include "engine/host/KVPoolAllocator.h"
#include "engine/host/kv_lualibs.h"
#include "engine/host/wrap_callbacks.h"
#include "engine/host/wrap_luaExtensions.h"
#include "engine/host/wrap_math.h"
#include "engine/pgf/wrap_pgf.h"

namespace {

constexpr size_t kDatabasePathBuffer = 1024;
constexpr char kDatabaseFileSuffix[] = "persistent.save";

// Pushes the global function `name`, or the field `name` of the global table
// `table`; a missing table pushes nil, so the protected call that follows
// fails instead of raising outside protection.
void pushGlobalFunction(lua_State* L, const char* name)
{
    lua_getglobal(L, name);
}

void pushTableField(lua_State* L, const char* table, const char* name)
{
    lua_getglobal(L, table);
    if (lua_istable(L, -1))
        lua_getfield(L, -1, name);
    else
        lua_pushnil(L);
    lua_remove(L, -2);
}

// A silent call: the status is not reported, but the error message is popped
// so repeated failures (every frame) never pile up on the stack.
int callSilently(lua_State* L, int nargs, int nresults)
{
    const int base = lua_gettop(L) - nargs - 1;
    const int status = lua_pcall(L, nargs, nresults, 0);
    if (status != 0)
        lua_settop(L, base);
    return status;
}

void callGlobalSilently(KV_State* state, const char* name)
{
    pushGlobalFunction(state->L, name);
    callSilently(state->L, 0, 0);
}

// Reads a chain of fields below the global `game` inside a protected call,
// so a missing table answers 0 instead of reaching the panic function.
struct GameFieldRead {
    const char* const* path;  // field names, ended by nullptr
    lua_Number number = 0;
    bool present = false;
    bool truthy = false;
};

int readGameField(lua_State* L)
{
    auto* read = static_cast<GameFieldRead*>(lua_touserdata(L, 1));
    lua_getglobal(L, "game");
    for (const char* const* field = read->path; *field; ++field) {
        lua_getfield(L, -1, *field);
        lua_remove(L, -2);
    }
    read->present = !lua_isnil(L, -1);
    read->truthy = lua_toboolean(L, -1);
    read->number = lua_tonumber(L, -1);
    return 0;
}

GameFieldRead gameField(KV_State* state, const char* const* path)
{
    GameFieldRead read;
    read.path = path;
    if (lua_cpcall(state->L, readGameField, &read) != 0) {
        // Reported like other failed queries, but the caller's stack is kept.
        if (const char* message = lua_tostring(state->L, -1))
            std::fprintf(stderr, "(KV_Report_Error) Lua Error: %s\n", message);
        lua_pop(state->L, 1);
    }
    return read;
}

bool loadEngineChunk(KV_State* state, int loadStatus)
{
    if (loadStatus == 0 && lua_pcall(state->L, 0, 0, 0) == 0)
        return true;
    KV_Report_Error(state);
    return false;
}

void prepareState(KV_State* state, const char* savePath)
{
    lua_State* L = state->L;
    KV_LoadLibs(L);
    KVCallbacksLoadLib(state);
    lua_pushnumber(L, 1);
    lua_setglobal(L, "_debuglevel");

    if (!savePath)
        return;
    if (std::strlen(savePath) + sizeof kDatabaseFileSuffix > kDatabasePathBuffer) {
        std::fprintf(stderr, "KV_Init: save path too long (%zu bytes, at most %zu): \"%.60s...\"; "
                     "the game runs without saved values\n",
                     std::strlen(savePath), kDatabasePathBuffer - sizeof kDatabaseFileSuffix, savePath);
        KVDatabaseLoadLib(nullptr, L);
        return;
    }
    const std::string databasePath = std::string(savePath) + kDatabaseFileSuffix;
    state->database = KVDatabaseOpen(databasePath.c_str());
    KVDatabaseLoadLib(state->database, L);
    KVDatabaseSetTablesDirectory(state->database, savePath);
}

// The module is cut off first, so a script that still calls it (in
// shutdownEngine) finds no database instead of a freed one.
void closeDatabase(KV_State* state)
{
    if (!state->database)
        return;
    KVDatabaseUnloadLib(state->L);
    KVDatabaseClose(state->database);
    state->database = nullptr;
}

}  // namespace

KV_State* KV_NewState(int mode)
{
    auto* state = new KV_State;
    state->pool = KVPoolAllocatorNew();
    if (mode == 1 && state->pool)
        state->L = lua_newstate(KV_PoolLuaAlloc, state->pool);
    else
        state->L = luaL_newstate();
    if (!state->L) {
        std::fprintf(stderr, "KV_NewState: cannot create a Lua state\n");
        KVPoolAllocatorDestroy(state->pool);
        delete state;
        return nullptr;
    }
    return state;
}

void KV_LoadLibs(lua_State* L)
{
    for (const KVLuaLib* lib = kv_lualibs; lib->name; ++lib) {
        lua_pushcfunction(L, lib->open);
        lua_pushstring(L, lib->name);
        lua_call(L, 1, 0);
    }
    luaopen_luaExtensions(L);
    KVInstallMathRandom(L);
}

void KV_Init(KV_State* state, const char* enginePath, const char* savePath)
{
    prepareState(state, savePath);
    loadEngineChunk(state, luaL_loadfile(state->L, enginePath));
    callGlobalSilently(state, "initEngine");
}

int KV_InitFromBuffer(KV_State* state, const char* buffer, size_t length, const char* savePath)
{
    prepareState(state, savePath);
    loadEngineChunk(state, luaL_loadbuffer(state->L, buffer, length, "engine.luo"));
    pushGlobalFunction(state->L, "initEngine");
    return callSilently(state->L, 0, 0);
}

void KV_Report_Error(KV_State* state)
{
    lua_State* L = state->L;
    if (lua_gettop(L) > 0) {
        if (const char* message = lua_tostring(L, -1))
            std::fprintf(stderr, "(KV_Report_Error) Lua Error: %s\n", message);
    }
    lua_settop(L, 0);
}

int KV_LoadGame(KV_State* state, const char* projectPath)
{
    lua_State* L = state->L;
    const int top = lua_gettop(L);
    pushTableField(L, "Project", "new");
    lua_getglobal(L, "Project");
    if (callSilently(L, 1, 1) != 0)
        lua_pushnil(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, "project");
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "load");
        lua_pushvalue(L, -2);
        lua_pushstring(L, projectPath);
        callSilently(L, 2, 0);
    }
    lua_settop(L, top);
    return 0;
}

void KV_DestroyState(KV_State* state)
{
    if (!state)
        return;
    closeDatabase(state);
    callGlobalSilently(state, "shutdownEngine");
    lua_close(state->L);
    KVPoolAllocatorDestroy(state->pool);
    delete state;
}

void KV_SaveForExit(KV_State* state)
{
    if (!state)
        return;
    closeDatabase(state);
    PGFFinishOpenWriters(state->L);
}

int64_t KV_TotalBytesUsed(KV_State* state)
{
    // Kilobytes times 1024 in 32-bit signed arithmetic, as the count has
    // always been reported (it wraps past 2 GiB).
    const uint32_t bytes = static_cast<uint32_t>(lua_gc(state->L, LUA_GCCOUNT, 0)) * 1024u;
    return static_cast<int64_t>(static_cast<int32_t>(bytes));
}

void KV_Play(KV_State* state)
{
    if (state)
        callGlobalSilently(state, "play");
}

void KV_SystemInitiatedPause(KV_State* state)
{
    if (state)
        callGlobalSilently(state, "systemInitiatedPause");
}

void KV_BehaviorInitiatedPause(KV_State* state)
{
    if (state)
        callGlobalSilently(state, "behaviorInitiatedPause");
}

void KV_Stop(KV_State* state) { callGlobalSilently(state, "stop"); }
void KV_Reset(KV_State* state) { callGlobalSilently(state, "reset"); }
void KV_Render(KV_State* state) { callGlobalSilently(state, "render"); }

void KV_Update(KV_State* state, float elapsedSeconds)
{
    pushGlobalFunction(state->L, "update");
    lua_pushnumber(state->L, elapsedSeconds);
    callSilently(state->L, 1, 0);
}

void KV_SizeForResolution(KV_State* state, unsigned resolution, unsigned* width, unsigned* height,
                          unsigned* orientation)
{
    lua_State* L = state->L;
    pushGlobalFunction(L, "sizeAndOrientationForResolution");
    lua_pushnumber(L, static_cast<lua_Number>(resolution));
    if (lua_pcall(L, 1, 3, 0) != 0) {
        *width = *height = *orientation = 0;
        KV_Report_Error(state);
        return;
    }
    *width = static_cast<unsigned>(lua_tointeger(L, -3));
    *height = static_cast<unsigned>(lua_tointeger(L, -2));
    *orientation = static_cast<unsigned>(lua_tointeger(L, -1));
    lua_pop(L, 3);
}

void KV_SetDeviceOrientation(KV_State* state, unsigned orientation, bool flag)
{
    lua_State* L = state->L;
    pushGlobalFunction(L, "deviceOrientationChanged");
    lua_pushnumber(L, static_cast<lua_Number>(orientation));
    lua_pushboolean(L, flag);
    if (lua_pcall(L, 2, 0, 0) != 0)
        KV_Report_Error(state);
}

int KV_GetInterfaceOrientation(KV_State* state)
{
    lua_State* L = state->L;
    pushGlobalFunction(L, "getInterfaceOrientation");
    if (lua_pcall(L, 0, 1, 0) != 0) {
        KV_Report_Error(state);
        return 0;
    }
    const int orientation = static_cast<int>(lua_tointeger(L, -1));
    lua_pop(L, 1);
    return orientation;
}

void KV_SetScreenSize(KV_State* state, int width, int height)
{
    lua_State* L = state->L;
    pushTableField(L, "devices", "setScreenSize");
    lua_getglobal(L, "devices");
    lua_pushnumber(L, static_cast<lua_Number>(width));
    lua_pushnumber(L, static_cast<lua_Number>(height));
    if (lua_pcall(L, 3, 0, 0) != 0)
        KV_Report_Error(state);
}

void KV_SetShouldChangeToScene(KV_State* state, const char* sceneName)
{
    lua_State* L = state->L;
    pushTableField(L, "game", "setNeedsToChangeScene");
    lua_getglobal(L, "game");
    lua_pushstring(L, sceneName);
    lua_pushboolean(L, false);
    if (lua_pcall(L, 3, 0, 0) != 0)
        KV_Report_Error(state);
}

float KV_GetVolume(KV_State* state)
{
    lua_State* L = state->L;
    pushGlobalFunction(L, "getVolume");
    if (lua_pcall(L, 0, 1, 0) != 0) {
        KV_Report_Error(state);
        return 0.0f;
    }
    const float volume = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return volume;
}

void KV_SetVolume(KV_State* state, float volume)
{
    lua_State* L = state->L;
    pushGlobalFunction(L, "setVolume");
    lua_pushnumber(L, volume);
    if (lua_pcall(L, 1, 0, 0) != 0)
        KV_Report_Error(state);
}

unsigned KV_GetTargetDisplayResolution(KV_State* state)
{
    static const char* const path[] = {"resolution", nullptr};
    return static_cast<unsigned>(gameField(state, path).number);
}

int KV_GetResolutionIndependence(KV_State* state)
{
    static const char* const path[] = {"resolutionIndependence", nullptr};
    return static_cast<int>(gameField(state, path).number);
}

int KV_IsPluginEnabled(KV_State* state, const char* pluginName)
{
    // A plugin absent from game.plugins is simply not enabled.
    const char* const entry[] = {"plugins", pluginName, nullptr};
    if (!gameField(state, entry).present)
        return 0;
    const char* const value[] = {"plugins", pluginName, "enabled", "_value", nullptr};
    return gameField(state, value).truthy ? 1 : 0;
}

void KV_GetIntendedDisplaySize(KV_State* state, unsigned* width, unsigned* height)
{
    static const char* const widthPath[] = {"attributes", "displaySize", "width", "_value", nullptr};
    static const char* const heightPath[] = {"attributes", "displaySize", "height", "_value", nullptr};
    *width = static_cast<unsigned>(static_cast<int>(gameField(state, widthPath).number));
    *height = static_cast<unsigned>(static_cast<int>(gameField(state, heightPath).number));
}
