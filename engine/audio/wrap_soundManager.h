// The "soundManager" script module, and how the shell finds the game's
// manager to make the OpenAL context current on its thread.
#pragma once

#include "engine/host/kv_lua.h"

int luaopen_soundManager(lua_State* L);

// The address of the userdata block held by the script global
// `sharedSoundManager`, or null when it is not a userdata. The stack is
// left as it was.
void* SoundManager_FromLuaState(lua_State* L);
// Makes the shared context current; nothing for null.
void SoundManager_MakeCurrent(void* manager);
