#include "engine/audio/wrap_soundManager.h"

#include <new>

#include "engine/audio/SoundManager.h"

namespace {

const char* const kManagerMT = "SoundManager.MT";

// The manager's slot from the userdata on top of the stack; a value of any
// other kind is a Lua error naming the function.
SoundManager** checkSlot(lua_State* L, const char* function)
{
    void* block = lua_gettop(L) > 0 ? lua_touserdata(L, -1) : nullptr;
    if (block && lua_getmetatable(L, -1)) {
        luaL_getmetatable(L, kManagerMT);
        const bool ours = lua_rawequal(L, -1, -2);
        lua_pop(L, 2);
        if (ours)
            return static_cast<SoundManager**>(block);
    }
    luaL_error(L, "soundManager.%s: expected a sound manager, got %s", function,
               lua_gettop(L) > 0 ? luaL_typename(L, -1) : "nothing");
    return nullptr;
}

int soundManager_new(lua_State* L)
{
    auto** slot = static_cast<SoundManager**>(lua_newuserdata(L, sizeof(SoundManager*)));
    *slot = nullptr;
    luaL_getmetatable(L, kManagerMT);
    lua_setmetatable(L, -2);
    *slot = new (std::nothrow) SoundManager;
    return 1;
}

int soundManager_delete(lua_State* L)
{
    SoundManager** slot = checkSlot(L, "delete");
    SoundManager* manager = *slot;
    *slot = nullptr;
    delete manager;
    return 0;
}

int soundManager_makeCurrent(lua_State* L)
{
    if (SoundManager* manager = *checkSlot(L, "makeCurrent"))
        manager->makeCurrent();
    return 0;
}

int soundManager_update(lua_State* L)
{
    if (SoundManager* manager = *checkSlot(L, "update"))
        manager->update();
    return 0;
}

const luaL_Reg kFunctions[] = {
    {"new", soundManager_new},
    {"delete", soundManager_delete},
    {"makeCurrent", soundManager_makeCurrent},
    {"update", soundManager_update},
    {nullptr, nullptr},
};

}  // namespace

int luaopen_soundManager(lua_State* L)
{
    luaL_register(L, "soundManager", kFunctions);
    luaL_newmetatable(L, kManagerMT);
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, "__index");
    lua_pop(L, 1);
    return 1;
}

void* SoundManager_FromLuaState(lua_State* L)
{
    if (!L)
        return nullptr;
    lua_getglobal(L, "sharedSoundManager");
    void* block = lua_type(L, -1) == LUA_TUSERDATA ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    return block;
}

void SoundManager_MakeCurrent(void* manager)
{
    // The context is shared: the block need not hold a live manager.
    if (manager)
        SoundManager::makeCurrent();
}
