// The script modules every engine state opens, in order.
#pragma once

#include "engine/host/kv_lua.h"

struct KVLuaLib {
    const char* name;
    lua_CFunction open;
};

// Ended by a row whose name is null.
extern const KVLuaLib kv_lualibs[];
