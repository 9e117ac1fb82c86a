#include "engine/audio/wrap_soundManager.h"

#include <new>

#include "engine/audio/SoundManager.h"
#include "engine/host/KVBinding.h"

namespace {

const char* const kManagerMT = "SoundManager.MT";

// The manager's slot from the userdata on top of the stack; a value of any
// other kind is a Lua error naming the function.
SoundManager** checkSlot(lua_State* L)
{
    if (auto** slot = static_cast<SoundManager**>(kvToUserdata(L, -1, kManagerMT)))
        return slot;
    KVThrowMisuse("expected a sound manager, got %s", lua_gettop(L) > 0 ? luaL_typename(L, -1) : "nothing");
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
    SoundManager** slot = checkSlot(L);
    SoundManager* manager = *slot;
    *slot = nullptr;
    delete manager;
    return 0;
}

int soundManager_makeCurrent(lua_State* L)
{
    if (SoundManager* manager = *checkSlot(L))
        manager->makeCurrent();
    return 0;
}

int soundManager_update(lua_State* L)
{
    if (SoundManager* manager = *checkSlot(L))
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

const KVModule kModule{"soundManager", KVFailure::raise};

}  // namespace

int luaopen_soundManager(lua_State* L)
{
    kvOpenModule(L, "soundManager", kModule, kFunctions);
    kvMethodsMetatable(L, kManagerMT);
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
