// Running Lua text in tests.
#pragma once

#include <string>

#include "engine/host/kv_lua.h"

// Runs a chunk of Lua text in L; answers "" when it ran, otherwise the error
// message. The stack is left as it was.
std::string runLuaChunk(lua_State* L, const std::string& code);
