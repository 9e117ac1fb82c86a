#include "engine/host/kv_lualibs.h"

// Openers of our native modules, each defined in its module's wrap_*.cpp.
// (Modules are added here as they are built, in this table's order.)
int luaopen_scenegraph(lua_State* L);
int luaopen_physics(lua_State* L);
int luaopen_tableHelper(lua_State* L);
int luaopen_PGF(lua_State* L);
int luaopen_platformWrappers(lua_State* L);
int luaopen_assetManager(lua_State* L);
int luaopen_soundManager(lua_State* L);

const KVLuaLib kv_lualibs[] = {
    {"", luaopen_base},
    {LUA_LOADLIBNAME, luaopen_package},
    {LUA_OSLIBNAME, luaopen_os},
    {LUA_DBLIBNAME, luaopen_debug},
    {LUA_TABLIBNAME, luaopen_table},
    {LUA_IOLIBNAME, luaopen_io},
    {LUA_STRLIBNAME, luaopen_string},
    {LUA_MATHLIBNAME, luaopen_math},
    {"scenegraph", luaopen_scenegraph},
    {"physics", luaopen_physics},
    {"tableHelper", luaopen_tableHelper},
    {"pgf", luaopen_PGF},
    {"platformWrappers", luaopen_platformWrappers},
    {"assetManager", luaopen_assetManager},
    {"soundManager", luaopen_soundManager},
    {nullptr, nullptr},
};
