#include "engine/bridge/wrap_LuaBinder.h"

#include <exception>
#include <string>

#include "engine/bridge/LuaBinder.h"
#include "engine/bridge/LuaObject.h"
#include "engine/bridge/LuaState.h"
#include "platform/objects/KVLogLine.h"
#include "platform/runloop/KVMainThreadQueue.h"

namespace {

// luaBinder.valueDidChangeForKey(object, key): the object's live proxy
// reports the change on the main thread. No proxy, no report.
int w_valueDidChangeForKey(lua_State* L)
{
    try {
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
    } catch (const std::exception& e) {
        KVLogLine("luaBinder.valueDidChangeForKey: %s", e.what());
    }
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

}  // namespace

void luaBinder_registerFunctions(lua_State* L, LuaBinder* binder)
{
    lua_pushlightuserdata(L, binder);
    lua_pushcclosure(L, w_valueDidChangeForKey, 1);
    lua_setfield(L, -2, "valueDidChangeForKey");
    lua_pushcfunction(L, w_objectAddedForKey);
    lua_setfield(L, -2, "objectAddedForKey");
    lua_pushcfunction(L, w_objectRemovedForKey);
    lua_setfield(L, -2, "objectRemovedForKey");
    lua_pushlightuserdata(L, binder);
    lua_setfield(L, -2, "luaBinderObject");
}
