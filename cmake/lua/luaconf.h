/* Lua configuration of the Kelvane player: Debian's luaconf.h with 32-bit
   float numbers. The original file defines its macros unconditionally, so
   this wrapper includes it and redefines what differs. */
#ifndef KV_LUACONF_H
#define KV_LUACONF_H

#include "luaconf_base.h"
#include <stdlib.h>

#undef LUA_NUMBER_DOUBLE
#undef LUA_NUMBER
#define LUA_NUMBER float
/* LUAI_UACNUMBER stays double: varargs promote floats. */

#undef LUA_NUMBER_SCAN
#define LUA_NUMBER_SCAN "%f"
#undef LUA_NUMBER_FMT
#define LUA_NUMBER_FMT "%.7g"

/* Integral values up to 2^24 (all exact) print with all their digits (scores read
   "12345678", not "1.234568e+07"); everything else uses LUA_NUMBER_FMT. */
int kv_lua_number2str(char *s, float n);
#undef lua_number2str
#define lua_number2str(s, n) kv_lua_number2str((s), (n))

#undef lua_str2number
#define lua_str2number(s, p) strtof((s), (p))

#undef lua_number2int
#define lua_number2int(i, d) ((i) = (int)(d))
#undef lua_number2integer
#define lua_number2integer(i, d) ((i) = (lua_Integer)(d))

#endif
