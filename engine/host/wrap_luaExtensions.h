// The global functions createTable, createTableT and typeCode.
#pragma once

#include "engine/host/kv_lua.h"

// Sets the three globals; answers 1.
int luaopen_luaExtensions(lua_State* L);

// The slots allocated in the array part and the hash part of the table at
// `index` (0 and 0 for anything else).
void KVTableCapacity(lua_State* L, int index, int* arraySlots, int* hashSlots);
