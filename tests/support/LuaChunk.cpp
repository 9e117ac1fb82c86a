#include "tests/support/LuaChunk.h"

#include "engine/host/KVEngine.h"

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

LuaTestState::LuaTestState() : engine(KV_NewState(0)), L(engine->L)
{
    KV_LoadLibs(L);
}

LuaTestState::LuaTestState(std::initializer_list<lua_CFunction> modules) : L(luaL_newstate())
{
    luaL_openlibs(L);
    for (lua_CFunction open : modules) {
        lua_pushcfunction(L, open);
        lua_call(L, 0, 0);
    }
}

LuaTestState::~LuaTestState()
{
    if (engine)
        KV_DestroyState(engine);
    else
        lua_close(L);
}

std::string LuaTestState::eval(const std::string& expression)
{
    const int top = lua_gettop(L);
    const std::string code = "return tostring(" + expression + ")";
    std::string value;
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        value = std::string("error: ") + (message ? message : "(no message)");
    } else {
        value = lua_tostring(L, -1);
    }
    lua_settop(L, top);
    return value;
}
