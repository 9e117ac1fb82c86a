// One running game: owns the engine state (KV_State) and is the Lua state
// wrapper of its Lua state, so the shell can call both the engine entry
// points and the wrapper's locked, error-capturing calls.
#pragma once

#include <functional>
#include <string>

#include "engine/bridge/LuaState.h"
#include "engine/host/KVEngine.h"
#include "player/common/KVViewGeometry.h"

class KVLuaState : public LuaState {
public:
    // Creates the engine state (mode 1: Lua allocates from the pool),
    // points its callbacks at the new object and at the external function
    // table, runs the engine script and initEngine, then wraps the Lua
    // state. savePath may be empty (no saved values). Null when no state can
    // be created.
    static Ref<KVLuaState> create(const std::string& enginePath, const std::string& savePath, int mode = 0);

    ~KVLuaState() override;

    // Whether the engine script at the path loads (parses as source or as a
    // precompiled chunk); when not, `reason` is Lua's message. Nothing of
    // the script runs.
    static bool engineScriptLoads(const std::string& enginePath, std::string* reason);

    KV_State* S() const { return S_; }

    // The script global `game`, as a script object (nothing when absent).
    Ref<KVObject> game();

    // The game's display settings, read under the state lock. A Lua error
    // is logged and gives 0 (a zero size). A script without a `game` table
    // has no settings and gives 0 without a log line.
    unsigned targetDisplayResolution();
    int resolutionIndependence();
    KVSize intendedDisplaySize();

    // Makes the OpenAL context of the game's sound manager (the script
    // global sharedSoundManager) current; nothing when the game has none.
    void makeOpenALContextCurrent();

    // Asks the script's asset manager to unload every image.
    void freeGLAssets();

    // The script called callbacks.gameDidEnd(); runs on the script's thread
    // with the state lock held, so the handler must not take it again.
    void setGameDidEnd(std::function<void()> handler) { gameDidEnd_ = std::move(handler); }

    // Offers the target's method to the script as the external function
    // name, with the context as its first argument; false, logged, when the
    // method cannot be registered.
    bool registerExternalFunction(KVObject* target, void* context, const std::string& selector,
                                  const std::string& name);

    // Takes the state lock; on the main thread, serves the main-thread queue
    // while another thread holds it.
    void lockStateServingMainThread();

    // Holds the state lock, taken as lockStateServingMainThread takes it,
    // for a scope.
    class StateLock {
    public:
        explicit StateLock(KVLuaState& state) : state_(state) { state_.lockStateServingMainThread(); }
        ~StateLock() { state_.unlockState(); }
        StateLock(const StateLock&) = delete;
        StateLock& operator=(const StateLock&) = delete;

    private:
        KVLuaState& state_;
    };

    // Runs Lua's collector and answers the bytes in use (0 once closed).
    int64_t bytesInUse();

    // At exit, where the state is not closed: saved values and documents
    // the game wrote are completed on disk without running the script.
    void saveForExit();

protected:
    void destroyLuaState(lua_State* L) override;

private:
    explicit KVLuaState(KV_State* S);
    static void onGameDidEnd(void* context);
    bool hasGameTable();
    template <class Query>
    auto displayQuery(const char* name, Query query) -> decltype(query());

    KV_State* S_;
    std::function<void()> gameDidEnd_;
};
