#include "player/common/KVLuaState.h"

#include "engine/bridge/LuaErrorException.h"
#include "engine/audio/wrap_soundManager.h"
#include "engine/bridge/LuaObject.h"
#include "engine/host/KVExternalFunctionTable.h"
#include "platform/objects/KVLogLine.h"
#include "platform/runloop/KVThreadWait.h"

namespace {

// sharedAssetManager:<method>(), with the method name as argument 1.
int callAssetManagerMethod(lua_State* L)
{
    const char* method = lua_tostring(L, 1);
    lua_getglobal(L, "sharedAssetManager");
    lua_getfield(L, -1, method);
    lua_pushvalue(L, -2);
    lua_pcall(L, 1, 0, 0);
    return 0;
}

}  // namespace

Ref<KVLuaState> KVLuaState::create(const std::string& enginePath, const std::string& savePath, int mode)
{
    KV_State* S = KV_NewState(mode);
    if (!S || !S->L) {
        KVLogLine("KVLuaState: cannot create the engine state");
        if (S)
            KV_DestroyState(S);
        return nullptr;
    }
    // Filled before the script runs, so callbacks made while it loads work.
    S->callbacks.externalFunction = callExternalFunction;
    S->callbacks.gameDidEnd = &KVLuaState::onGameDidEnd;
    auto* self = new KVLuaState(S);
    Ref<KVLuaState> result = Ref<KVLuaState>::adopt(self);
    S->callbacks.context = self;
    KV_Init(S, enginePath.c_str(), savePath.empty() ? nullptr : savePath.c_str());
    // luaObjc and the binder come after the engine script and initEngine,
    // which therefore never see them.
    self->wrap(S->L);
    return result;
}

bool KVLuaState::engineScriptLoads(const std::string& enginePath, std::string* reason)
{
    lua_State* L = luaL_newstate();
    if (!L) {
        *reason = "not enough memory";
        return false;
    }
    const bool loads = luaL_loadfile(L, enginePath.c_str()) == 0;
    if (!loads) {
        const char* message = lua_tostring(L, -1);
        *reason = message ? message : "unknown error";
    }
    lua_close(L);
    return loads;
}

KVLuaState::KVLuaState(KV_State* S) : S_(S) {}

KVLuaState::~KVLuaState()
{
    close();
    // Never wrapped (KV_Init did not return): the engine state goes here.
    if (KV_State* S = S_) {
        S_ = nullptr;
        KVExternalFunctionTable::destroyExternalFunctionTableForState(S->L);
        KV_DestroyState(S);
    }
}

void KVLuaState::destroyLuaState(lua_State* L)
{
    KVExternalFunctionTable::destroyExternalFunctionTableForState(L);
    if (S_) {
        KV_State* S = S_;
        S_ = nullptr;
        KV_DestroyState(S);
    } else {
        lua_close(L);
    }
}

void KVLuaState::onGameDidEnd(void* context)
{
    auto* self = static_cast<KVLuaState*>(context);
    if (self && self->gameDidEnd_)
        self->gameDidEnd_();
}

Ref<KVObject> KVLuaState::game()
{
    if (!state())
        return nullptr;
    return globalObject()->valueForKey("game");
}

void KVLuaState::lockStateServingMainThread()
{
    if (isLockedByCurrentThread()) {
        lockState();  // reports the misuse
        return;
    }
    KVThreadWait::acquire([this] { return tryLockState(); }, [this] { lockState(); });
}

bool KVLuaState::registerExternalFunction(KVObject* target, void* context, const std::string& selector,
                                          const std::string& name)
{
    if (!state())
        return false;
    return KVExternalFunctionTable::externalFunctionTableForState(state())->registerTarget(target, context, selector,
                                                                                            name);
}

bool KVLuaState::hasGameTable()
{
    lua_State* L = state();
    if (!L)
        return false;
    lua_getglobal(L, "game");
    const bool table = lua_istable(L, -1);
    lua_pop(L, 1);
    return table;
}

template <class Query>
auto KVLuaState::displayQuery(const char* name, Query query) -> decltype(query())
{
    using Result = decltype(query());
    if (!S_)
        return Result{};
    StateLock lock(*this);
    Result result{};
    try {
        if (hasGameTable())
            result = query();
    } catch (const LuaErrorException& e) {
        // The panic left the stack as it was when the query began.
        lua_settop(state(), 0);
        KVLogLine("[KVLuaState %s]: Lua Error caught (and ignored): %s", name, e.luaError().c_str());
    }
    return result;
}

unsigned KVLuaState::targetDisplayResolution()
{
    return displayQuery("targetDisplayResolution", [this] { return KV_GetTargetDisplayResolution(S_); });
}

int KVLuaState::resolutionIndependence()
{
    return displayQuery("resolutionIndependence", [this] { return KV_GetResolutionIndependence(S_); });
}

KVSize KVLuaState::intendedDisplaySize()
{
    return displayQuery("intendedDisplaySize", [this] {
        unsigned width = 0, height = 0;
        KV_GetIntendedDisplaySize(S_, &width, &height);
        return KVSize{static_cast<double>(width), static_cast<double>(height)};
    });
}

void KVLuaState::makeOpenALContextCurrent()
{
    if (!S_)
        return;
    // The lookup goes through the Lua state, which the main thread may be
    // running at this moment (a resize, leaving full screen).
    void* manager = nullptr;
    if (isLockedByCurrentThread()) {
        manager = SoundManager_FromLuaState(S_->L);
    } else {
        StateLock lock(*this);
        manager = SoundManager_FromLuaState(S_->L);
    }
    SoundManager_MakeCurrent(manager);
}

void KVLuaState::freeGLAssets()
{
    if (!S_)
        return;
    StateLock lock(*this);
    lua_State* L = state();
    // Protected as a whole, lookups included; the status is not examined:
    // the manager may be gone or half built.
    for (const char* method : {"unloadAllImages", "clearForFreedImages"}) {
        lua_pushcfunction(L, callAssetManagerMethod);
        lua_pushstring(L, method);
        lua_pcall(L, 1, 0, 0);
        lua_settop(L, 0);
    }
}

int64_t KVLuaState::bytesInUse()
{
    if (!S_)
        return 0;
    StateLock lock(*this);
    return KV_TotalBytesUsed(S_);
}

void KVLuaState::saveForExit()
{
    if (!S_)
        return;
    StateLock lock(*this);
    KV_SaveForExit(S_);
}
