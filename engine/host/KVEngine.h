// The engine host: the entry points through which the shell creates, drives
// and destroys the engine script's Lua state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/host/kv_lua.h"

struct KVPoolAllocator;
struct KVDatabase;

// Slots the owner of a state fills; the "callbacks" module reads them at call time.
struct KVCallbackInfo {
    void (*loadingWillStart)(void* context) = nullptr;
    void (*loadingWillEnd)(void* context) = nullptr;
    void (*gameDidEnd)(void* context) = nullptr;
    void* context = nullptr;
    int (*externalFunction)(void* externalContext, lua_State* L) = nullptr;
    void* externalContext = nullptr;
};

struct KV_State {
    lua_State* L = nullptr;
    KVPoolAllocator* pool = nullptr;
    KVDatabase* database = nullptr;
    KVCallbackInfo callbacks;
};

// Creation, loading, destruction.
KV_State* KV_NewState(int mode);  // mode 1: Lua allocates from the pool allocator
void KV_LoadLibs(lua_State* L);
void KV_Init(KV_State* state, const char* enginePath, const char* savePath);
int KV_InitFromBuffer(KV_State* state, const char* buffer, size_t length, const char* savePath);
void KV_Report_Error(KV_State* state);
int KV_LoadGame(KV_State* state, const char* projectPath);
void KV_DestroyState(KV_State* state);
// For a process that ends without destroying the state (the script's
// shutdownEngine does not run): what the game saved reaches the disk. The
// saved-values database is closed (later loads answer nil) and document
// files the script left open are completed as collecting them would.
void KV_SaveForExit(KV_State* state);
int64_t KV_TotalBytesUsed(KV_State* state);
int KV_ExtractGameAtPath(const char* zipPath);

// Lifecycle calls (failures are silent).
void KV_Play(KV_State* state);
void KV_SystemInitiatedPause(KV_State* state);
void KV_BehaviorInitiatedPause(KV_State* state);
void KV_Stop(KV_State* state);
void KV_Reset(KV_State* state);
void KV_Update(KV_State* state, float elapsedSeconds);
void KV_Render(KV_State* state);

// Queries and settings (failures are reported with KV_Report_Error).
void KV_SizeForResolution(KV_State* state, unsigned resolution, unsigned* width, unsigned* height,
                          unsigned* orientation);
void KV_SetDeviceOrientation(KV_State* state, unsigned orientation, bool flag);
int KV_GetInterfaceOrientation(KV_State* state);
void KV_SetScreenSize(KV_State* state, int width, int height);
void KV_SetShouldChangeToScene(KV_State* state, const char* sceneName);
float KV_GetVolume(KV_State* state);
void KV_SetVolume(KV_State* state, float volume);

// Fields of the script's global `game`, read without a protected call.
unsigned KV_GetTargetDisplayResolution(KV_State* state);
int KV_GetResolutionIndependence(KV_State* state);
int KV_IsPluginEnabled(KV_State* state, const char* pluginName);
void KV_GetIntendedDisplaySize(KV_State* state, unsigned* width, unsigned* height);

// Input and external events; each returns the lua_pcall status.
int KV_KeyDown(KV_State* state, const char* keyName);
int KV_KeyUp(KV_State* state, const char* keyName);
int KV_MouseDown(KV_State* state, float x, float y);
int KV_MouseMoved(KV_State* state, float x, float y);
int KV_MouseUp(KV_State* state, float x, float y);
int KV_TouchDown(KV_State* state, int64_t first, int64_t second, float x, float y);
int KV_TouchMoved(KV_State* state, int64_t first, float x, float y);
int KV_TouchUp(KV_State* state, int64_t first, int64_t second, float x, float y);
int KV_TouchCancel(KV_State* state);
int KV_Accelerated(KV_State* state, float x, float y, float z);
void KV_RaiseExternalEvent(KV_State* state, const char* name, const char* const* strings, unsigned count);
