#pragma once

struct KV_State;

// Registers the global module "callbacks" for the state.
void KVCallbacksLoadLib(KV_State* state);
