// The Lua functions of the luaObjc module. A failure never raises a Lua
// error: it is logged and the script gets no results.
#include <exception>

#include "engine/bridge/luaObjc.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVLogLine.h"

namespace {

std::string keyOf(lua_State* L, int index)
{
    // A copy, so converting a number key does not change the upvalue.
    lua_pushvalue(L, index);
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    std::string key = text ? std::string(text, length) : std::string();
    lua_pop(L, 1);
    return key;
}

int sendWithUpvalueKey(lua_State* L, bool toClass)
{
    try {
        return luaObjc_sendMessage(L, keyOf(L, lua_upvalueindex(1)), toClass);
    } catch (const std::exception& e) {
        KVLogLine("luaObjc: %s", e.what());
        return 0;
    }
}

int w_object_method_call(lua_State* L)
{
    return sendWithUpvalueKey(L, false);
}

int w_class_method_call(lua_State* L)
{
    return sendWithUpvalueKey(L, true);
}

// __index of both proxy kinds: a closure carrying the key.
int w_object_index(lua_State* L)
{
    lua_settop(L, 2);
    lua_pushcclosure(L, w_object_method_call, 1);
    return 1;
}

int w_class_index(lua_State* L)
{
    lua_settop(L, 2);
    lua_pushcclosure(L, w_class_method_call, 1);
    return 1;
}

int w_gc(lua_State* L)
{
    auto holder = static_cast<KVObject**>(lua_touserdata(L, 1));
    if (holder && *holder) {
        KVObject* object = *holder;
        *holder = nullptr;
        object->release();
    }
    return 0;
}

int w_class(lua_State* L)
{
    try {
        size_t length = 0;
        const char* name = lua_tolstring(L, 1, &length);
        KVClass* cls = name ? KVClassRegistry::shared().lookup(std::string(name, length)) : nullptr;
        luaObjc_pushclass(L, cls);
        return 1;
    } catch (const std::exception& e) {
        KVLogLine("luaObjc: %s", e.what());
        return 0;
    }
}

const luaL_Reg luaObjc_functions[] = {
    {"class", w_class},
    {nullptr, nullptr},
};

}  // namespace

void luaObjc_pushMetatable(lua_State* L, LuaObjcMetatable which)
{
    static const char* const names[] = {"luaObjc.gc", "luaObjc.object", "luaObjc.class"};
    int i = static_cast<int>(which);
    if (luaL_newmetatable(L, names[i]) == 0)
        return;  // already made
    switch (which) {
    case LuaObjcMetatable::GC:
        lua_pushcfunction(L, w_gc);
        lua_setfield(L, -2, "__gc");
        break;
    case LuaObjcMetatable::Object:
        lua_pushcfunction(L, w_object_index);
        lua_setfield(L, -2, "__index");
        break;
    case LuaObjcMetatable::Class:
        lua_pushcfunction(L, w_class_index);
        lua_setfield(L, -2, "__index");
        break;
    }
}

int luaopen_luaObjc(lua_State* L)
{
    luaL_register(L, "luaObjc", luaObjc_functions);
    lua_pushstring(L, "Copyright (c) the Kelvane player authors");
    lua_setfield(L, -2, "_COPYRIGHT");
    lua_pushstring(L, "A bridge to objective-C from lua");
    lua_setfield(L, -2, "_DESCRIPTION");
    lua_pushstring(L, "luaObjc");
    lua_setfield(L, -2, "_NAME");
    lua_pushstring(L, "0.1");
    lua_setfield(L, -2, "_VERSION");
    for (auto which : {LuaObjcMetatable::GC, LuaObjcMetatable::Object, LuaObjcMetatable::Class}) {
        luaObjc_pushMetatable(L, which);
        lua_pop(L, 1);
    }
    return 1;
}
