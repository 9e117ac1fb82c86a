#include "engine/bridge/wrap_LuaBinder.h"

#include <string>

#include "engine/bridge/LuaBinder.h"
#include "engine/bridge/LuaObject.h"
#include "engine/bridge/LuaState.h"
#include "engine/host/KVBinding.h"
#include "platform/objects/KVLogLine.h"
#include "platform/runloop/KVMainThreadQueue.h"

namespace {

// luaBinder.valueDidChangeForKey(object, key): the object's live proxy
// reports the change on the main thread. No proxy, no report.
int w_valueDidChangeForKey(lua_State* L)
{
    auto binder = static_cast<LuaBinder*>(lua_touserdata(L, lua_upvalueindex(1)));
    int type = lua_type(L, 2);
    if (!binder || lua_isnoneornil(L, 1) || (type != LUA_TSTRING && type != LUA_TNUMBER))
        return 0;
    lua_settop(L, 2);
    lua_pushvalue(L, 1);
    int ref = binder->getReference();
    lua_pop(L, 1);
    if (ref == LUA_NOREF)
        return 0;
    Ref<LuaObject> proxy = binder->liveObject(ref);
    if (!proxy)
        return 0;
    lua_pushvalue(L, 2);
    std::string key = lua_tostring(L, -1);
    lua_pop(L, 1);
    binder->luaState()->mainQueue().performAsync([proxy, key] { proxy->valueDidChangeForKey(key); });
    return 0;
}

int w_objectAddedForKey(lua_State*)
{
    KVLogLine("objectAddedForKey(): observing lua collections not yet implemented");
    return 0;
}

int w_objectRemovedForKey(lua_State*)
{
    KVLogLine("objectRemovedForKey(): observing lua collections not yet implemented");
    return 0;
}

const luaL_Reg kBinderFunctions[] = {
    {"valueDidChangeForKey", w_valueDidChangeForKey},
    {nullptr, nullptr},
};
const luaL_Reg kCollectionFunctions[] = {
    {"objectAddedForKey", w_objectAddedForKey},
    {"objectRemovedForKey", w_objectRemovedForKey},
    {nullptr, nullptr},
};

const KVModule kModule{"luaBinder", KVFailure::report};

}  // namespace

void luaBinder_registerFunctions(lua_State* L, LuaBinder* binder)
{
    lua_pushlightuserdata(L, binder);
    kvSetFunctions(L, kModule, kBinderFunctions, 1);
    kvSetFunctions(L, kModule, kCollectionFunctions);
    lua_pushlightuserdata(L, binder);
    lua_setfield(L, -2, "luaBinderObject");
}
