#include "tests/support/LuaChunk.h"

std::string runLuaChunk(lua_State* L, const std::string& code)
{
    const int top = lua_gettop(L);
    std::string error;
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        error = message ? message : "(no message)";
    }
    lua_settop(L, top);
    return error;
}
