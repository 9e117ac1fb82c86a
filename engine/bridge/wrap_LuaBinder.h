// The native functions of the global "luaBinder" table.
#pragma once

#include "engine/host/kv_lua.h"

class LuaBinder;

// Fills the table at the top of the stack with the change report functions,
// each bound to the binder.
void luaBinder_registerFunctions(lua_State* L, LuaBinder* binder);
