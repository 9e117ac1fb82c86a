// The "tableHelper" script module: data tables for the engine script.
#pragma once

#include "engine/host/kv_lua.h"

class KVTable;

int luaopen_tableHelper(lua_State* L);

// The table held by the table object at `index`, or null when the value
// there is not a table object.
KVTable* tableHelper_toTable(lua_State* L, int index);
