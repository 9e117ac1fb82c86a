// Input and external events handed to the engine script.
#include "engine/host/KVEngine.h"

namespace {

// Calls the script's global `name` with the nargs values pushed after it;
// failures are only reported through the status, their message popped.
int callInput(KV_State* state, int nargs)
{
    lua_State* L = state->L;
    const int status = lua_pcall(L, nargs, 0, 0);
    if (status != 0)
        lua_pop(L, 1);
    return status;
}

int callWithPoint(KV_State* state, const char* name, float x, float y)
{
    lua_getglobal(state->L, name);
    lua_pushnumber(state->L, x);
    lua_pushnumber(state->L, y);
    return callInput(state, 2);
}

int callWithKey(KV_State* state, const char* name, const char* key)
{
    lua_getglobal(state->L, name);
    lua_pushstring(state->L, key);
    return callInput(state, 1);
}

}  // namespace

int KV_KeyDown(KV_State* state, const char* keyName) { return callWithKey(state, "keyDown", keyName); }
int KV_KeyUp(KV_State* state, const char* keyName) { return callWithKey(state, "keyUp", keyName); }
int KV_MouseDown(KV_State* state, float x, float y) { return callWithPoint(state, "mouseDown", x, y); }
int KV_MouseMoved(KV_State* state, float x, float y) { return callWithPoint(state, "mouseMoved", x, y); }
int KV_MouseUp(KV_State* state, float x, float y) { return callWithPoint(state, "mouseUp", x, y); }

int KV_TouchDown(KV_State* state, int64_t first, int64_t second, float x, float y)
{
    lua_getglobal(state->L, "touchDown");
    lua_pushnumber(state->L, x);
    lua_pushnumber(state->L, y);
    lua_pushinteger(state->L, static_cast<lua_Integer>(first));
    lua_pushinteger(state->L, static_cast<lua_Integer>(second));
    return callInput(state, 4);
}

int KV_TouchMoved(KV_State* state, int64_t first, float x, float y)
{
    lua_getglobal(state->L, "touchMoved");
    lua_pushnumber(state->L, x);
    lua_pushnumber(state->L, y);
    lua_pushinteger(state->L, static_cast<lua_Integer>(first));
    return callInput(state, 3);
}

int KV_TouchUp(KV_State* state, int64_t first, int64_t second, float x, float y)
{
    lua_getglobal(state->L, "touchUp");
    lua_pushnumber(state->L, x);
    lua_pushnumber(state->L, y);
    lua_pushinteger(state->L, static_cast<lua_Integer>(first));
    lua_pushinteger(state->L, static_cast<lua_Integer>(second));
    return callInput(state, 4);
}

int KV_TouchCancel(KV_State* state)
{
    lua_getglobal(state->L, "touchCancel");
    return callInput(state, 0);
}

int KV_Accelerated(KV_State* state, float x, float y, float z)
{
    lua_getglobal(state->L, "accelerated");
    lua_pushnumber(state->L, x);
    lua_pushnumber(state->L, y);
    lua_pushnumber(state->L, z);
    return callInput(state, 3);
}

void KV_RaiseExternalEvent(KV_State* state, const char* name, const char* const* strings, unsigned count)
{
    lua_State* L = state->L;
    lua_getglobal(L, "raiseExternalEvent");
    lua_pushstring(L, name);
    lua_createtable(L, static_cast<int>(count), 0);
    for (unsigned i = 0; i < count; ++i) {
        lua_pushstring(L, strings[i]);
        lua_rawseti(L, -2, static_cast<int>(i + 1));
    }
    if (lua_pcall(L, 2, 0, 0) != 0)
        KV_Report_Error(state);
}
