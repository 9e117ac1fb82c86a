// The "physics" script module.
#pragma once

#include "engine/host/kv_lua.h"

// Registers the global table `physics` with its seven class tables and
// creates their metatables; returns the module table.
int luaopen_physics(lua_State* L);
