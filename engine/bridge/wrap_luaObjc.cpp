// The Lua functions of the luaObjc module. A failure never raises a Lua
// error: it is reported and the script gets no results.
#include "engine/bridge/luaObjc.h"
#include "engine/host/KVBinding.h"
#include "platform/objects/KVClassRegistry.h"

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

int w_object_method_call(lua_State* L)
{
    return luaObjc_sendMessage(L, keyOf(L, lua_upvalueindex(1)), false);
}

int w_class_method_call(lua_State* L)
{
    return luaObjc_sendMessage(L, keyOf(L, lua_upvalueindex(1)), true);
}

const KVModule kModule{"luaObjc", KVFailure::report};
const luaL_Reg kObjectMethodCall{"object", w_object_method_call};
const luaL_Reg kClassMethodCall{"class", w_class_method_call};

// __index of both proxy kinds: a closure carrying the key.
int w_object_index(lua_State* L)
{
    lua_settop(L, 2);
    kvPushFunction(L, kModule, kObjectMethodCall, 1);
    return 1;
}

int w_class_index(lua_State* L)
{
    lua_settop(L, 2);
    kvPushFunction(L, kModule, kClassMethodCall, 1);
    return 1;
}

int w_gc(lua_State* L)
{
    // Scripts reach __gc through the holder's metatable and may hand it anything.
    if (auto* holder = static_cast<Ref<KVObject>*>(kvToUserdata(L, 1, "luaObjc.gc")))
        *holder = nullptr;
    return 0;
}

int w_class(lua_State* L)
{
    size_t length = 0;
    const char* name = lua_tolstring(L, 1, &length);
    KVClass* cls = name ? KVClassRegistry::shared().lookup(std::string(name, length)) : nullptr;
    luaObjc_pushclass(L, cls);
    return 1;
}

const luaL_Reg luaObjc_functions[] = {
    {"class", w_class},
    {nullptr, nullptr},
};

const luaL_Reg kGC[] = {
    {"__gc", w_gc},
    {nullptr, nullptr},
};
const luaL_Reg kObjectIndex[] = {
    {"__index", w_object_index},
    {nullptr, nullptr},
};
const luaL_Reg kClassIndex[] = {
    {"__index", w_class_index},
    {nullptr, nullptr},
};

}  // namespace

void luaObjc_pushMetatable(lua_State* L, LuaObjcMetatable which)
{
    static const char* const names[] = {"luaObjc.gc", "luaObjc.object", "luaObjc.class"};
    int i = static_cast<int>(which);
    if (luaL_newmetatable(L, names[i]) == 0)
        return;  // already made
    static const luaL_Reg* const functions[] = {kGC, kObjectIndex, kClassIndex};
    kvSetFunctions(L, kModule, functions[i]);
}

int luaopen_luaObjc(lua_State* L)
{
    kvOpenModule(L, "luaObjc", kModule, luaObjc_functions);
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
