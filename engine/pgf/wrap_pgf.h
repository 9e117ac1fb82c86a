// The "pgf" script module: reading XML documents into tables, and the
// XML/JSON writer objects.
#pragma once

#include "engine/host/kv_lua.h"

int luaopen_PGF(lua_State* L);
