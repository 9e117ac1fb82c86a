// What a script's misuse of a module must come to: no Lua error, exactly one
// line on standard error, and the neutral answers.
#pragma once

#include "engine/host/kv_lua.h"

struct ScriptMisuseCase {
    const char* call;     // a Lua expression
    const char* line;     // the line expected on standard error, without its end
    const char* answers;  // the values it answers, by tostring, space-separated ("userdata" for any)
};

void expectMisuseAnswered(lua_State* L, const ScriptMisuseCase& c);
