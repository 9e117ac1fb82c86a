#pragma once

#include "engine/host/kv_lua.h"

// Replaces math.random with one that computes in double: with float numbers
// Lua's own can round up and answer m + 1 for math.random(m).
void KVInstallMathRandom(lua_State* L);
