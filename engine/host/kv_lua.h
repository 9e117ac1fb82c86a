// The Lua 5.1 headers. Lua is compiled as C++ with 32-bit float numbers
// (lua_Number is float), so lua_error unwinds with a C++ exception.
#pragma once

#include "lua.h"
#include "lauxlib.h"
#include "lualib.h"
