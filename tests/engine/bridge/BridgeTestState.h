// A Lua state with the standard libraries, wrapped by LuaState, with its own
// notification center and main-thread queue so tests do not share them.
#pragma once

#include "engine/bridge/LuaState.h"
#include "platform/notify/KVNotificationCenter.h"
#include "platform/runloop/KVMainThreadQueue.h"

struct BridgeTestState {
    KVNotificationCenter center;
    KVMainThreadQueue queue;
    Ref<LuaState> lua;

    BridgeTestState()
    {
        lua_State* L = luaL_newstate();
        luaL_openlibs(L);
        lua = LuaState::withState(L);
        lua->setNotificationCenter(&center);
        lua->setMainQueue(&queue);
    }
    ~BridgeTestState()
    {
        lua->close();
        queue.drain();
    }
    lua_State* L() const { return lua->state(); }
};
