// Owns a running game's engine state: creates it, runs the engine script,
// loads the game project, and destroys it.
#pragma once

#include <functional>
#include <string>

#include "engine/host/KVEngine.h"

class KVLuaState {
public:
    // mode 1 lets Lua allocate from the pool allocator.
    explicit KVLuaState(int mode);
    ~KVLuaState();
    KVLuaState(const KVLuaState&) = delete;
    KVLuaState& operator=(const KVLuaState&) = delete;

    bool valid() const { return state_ != nullptr; }
    KV_State* engineState() const { return state_; }
    lua_State* luaState() const { return state_ ? state_->L : nullptr; }

    // Runs the engine script; savePath may be empty (no saved values).
    void initEngine(const std::string& enginePath, const std::string& savePath);
    void loadGame(const std::string& projectPath);

    // Whether the script defines the global as a table (the shell only asks
    // the script's `game` and `devices` tables for what they hold).
    bool hasGlobalTable(const char* name) const;

    // Called when the script says the game has ended.
    void setGameDidEnd(std::function<void()> handler) { gameDidEnd_ = std::move(handler); }

private:
    static void onGameDidEnd(void* context);

    KV_State* state_ = nullptr;
    std::function<void()> gameDidEnd_;
};
