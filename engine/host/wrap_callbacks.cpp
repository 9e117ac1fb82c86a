// The "callbacks" module: how the engine script signals the native side.
#include "engine/host/wrap_callbacks.h"

#include "engine/host/KVBinding.h"
#include "engine/host/KVEngine.h"

namespace {

KV_State* engineState(lua_State* L)
{
    return *static_cast<KV_State**>(lua_touserdata(L, lua_upvalueindex(1)));
}

int wrap_loadingWillStart(lua_State* L)
{
    const KVCallbackInfo& info = engineState(L)->callbacks;
    if (info.loadingWillStart)
        info.loadingWillStart(info.context);
    return 0;
}

int wrap_loadingWillEnd(lua_State* L)
{
    const KVCallbackInfo& info = engineState(L)->callbacks;
    if (info.loadingWillEnd)
        info.loadingWillEnd(info.context);
    return 0;
}

int wrap_gameDidEnd(lua_State* L)
{
    const KVCallbackInfo& info = engineState(L)->callbacks;
    if (info.gameDidEnd)
        info.gameDidEnd(info.context);
    return 0;
}

int wrap_callExternalFunction(lua_State* L)
{
    KV_State* state = engineState(L);
    const KVCallbackInfo& info = state->callbacks;
    if (!info.externalFunction)
        return 0;
    // The external function works on the engine state's main Lua thread; a
    // coroutine's arguments would not be where it looks for them. The
    // coroutine goes on without an answer, as for an unknown name.
    if (L != state->L) {
        KVReportMisuse("callbacks.callExternalFunction", "called from a coroutine; %s answers nothing",
                       lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : "the call");
        return 0;
    }
    return info.externalFunction(info.externalContext, state->L);
}

const luaL_Reg callback_wrapper_functions[] = {
    {"loadingWillStart", wrap_loadingWillStart},
    {"loadingWillEnd", wrap_loadingWillEnd},
    {"gameDidEnd", wrap_gameDidEnd},
    {"callExternalFunction", wrap_callExternalFunction},
    {nullptr, nullptr},
};

const KVModule kModule{"callbacks", KVFailure::report};

}  // namespace

void KVCallbacksLoadLib(KV_State* state)
{
    lua_State* L = state->L;
    *static_cast<KV_State**>(lua_newuserdata(L, sizeof(KV_State*))) = state;
    kvOpenModule(L, "callbacks", kModule, callback_wrapper_functions, 1);
    lua_pop(L, 1);
}
