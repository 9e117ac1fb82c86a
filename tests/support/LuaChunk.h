// Running Lua text in tests.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/host/kv_lua.h"

struct KV_State;

// Runs a chunk of Lua text in L; answers "" when it ran, otherwise the error
// message. The stack is left as it was.
std::string runLuaChunk(lua_State* L, const std::string& code);

// A fresh Lua state for one test, closed with it.
class LuaTestState {
public:
    // The engine's own state with every module the games see.
    LuaTestState();
    // A bare state: the standard libraries and only these modules.
    explicit LuaTestState(std::initializer_list<lua_CFunction> modules);
    ~LuaTestState();
    LuaTestState(const LuaTestState&) = delete;
    LuaTestState& operator=(const LuaTestState&) = delete;

    // "" when the text ran, otherwise the error message.
    std::string run(const std::string& code) { return runLuaChunk(L, code); }
    // tostring of the expression's value, or "error: " and the message.
    std::string eval(const std::string& expression);

    KV_State* engine = nullptr;  // null for a bare state
    lua_State* L = nullptr;
};
