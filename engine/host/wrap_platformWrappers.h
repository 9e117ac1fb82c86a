// The "platformWrappers" script module: clock, wall clock, debug log and
// background music.
#pragma once

#include "engine/host/kv_lua.h"

int luaopen_platformWrappers(lua_State* L);
