// The luaObjc module: scripts reach runtime classes by name and send messages
// to classes and objects through proxy tables. These are the conversions the
// module and the Lua state wrapper share, and the message send itself.
#pragma once

#include <string>

#include "engine/host/kv_lua.h"
#include "platform/objects/KVClass.h"

// Opens the module as the global "luaObjc" and returns its table.
int luaopen_luaObjc(lua_State* L);

// Native value to Lua: null to nil, a number to its float value, a string to
// its text, any other object to a new object proxy (which retains it).
void luaObjc_pushid(lua_State* L, KVObject* object);
// A new class proxy; classes are not retained (they live for the process).
void luaObjc_pushclass(lua_State* L, KVClass* cls);
// Lua to native object: a string or number to a new string or number object,
// an object proxy to its object, a class proxy to its class, anything else
// to null.
Ref<KVObject> luaObjc_toid(lua_State* L, int index);
bool luaObjc_isid(lua_State* L, int index);
bool luaObjc_isClass(lua_State* L, int index);
KVObject* luaObjc_getid(lua_State* L, int index);
KVClass* luaObjc_getClass(lua_State* L, int index);

// The module's registry metatables: "luaObjc.gc" (releases the held
// object), "luaObjc.object" and "luaObjc.class" (method lookup). Pushes one,
// creating it on first use.
enum class LuaObjcMetatable { GC, Object, Class };
void luaObjc_pushMetatable(lua_State* L, LuaObjcMetatable which);

// Sends the message named by key (underscores become colons) to the target
// at stack index 1, with the message arguments from index 2; pushes the
// result and returns the number of results (0 or 1). Failures are logged.
int luaObjc_sendMessage(lua_State* L, const std::string& key, bool toClass);
