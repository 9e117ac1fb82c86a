#include "player/common/KVLuaState.h"

KVLuaState::KVLuaState(int mode) : state_(KV_NewState(mode))
{
    if (state_) {
        state_->callbacks.context = this;
        state_->callbacks.gameDidEnd = &KVLuaState::onGameDidEnd;
    }
}

KVLuaState::~KVLuaState()
{
    KV_DestroyState(state_);
}

void KVLuaState::initEngine(const std::string& enginePath, const std::string& savePath)
{
    KV_Init(state_, enginePath.c_str(), savePath.empty() ? nullptr : savePath.c_str());
}

void KVLuaState::loadGame(const std::string& projectPath)
{
    KV_LoadGame(state_, projectPath.c_str());
}

bool KVLuaState::hasGlobalTable(const char* name) const
{
    lua_State* L = luaState();
    lua_getglobal(L, name);
    const bool table = lua_istable(L, -1);
    lua_pop(L, 1);
    return table;
}

void KVLuaState::onGameDidEnd(void* context)
{
    auto* self = static_cast<KVLuaState*>(context);
    if (self->gameDidEnd_)
        self->gameDidEnd_();
}
