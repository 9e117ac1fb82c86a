// The "pgf" script module: reading XML documents into tables, and the
// XML/JSON writer objects.
#pragma once

#include "engine/host/kv_lua.h"

int luaopen_PGF(lua_State* L);

// Finishes every writer the script has not closed, as collecting it would;
// for a process that ends without closing the Lua state.
void PGFFinishOpenWriters(lua_State* L);
