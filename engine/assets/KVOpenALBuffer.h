// The one OpenAL buffer every loaded sound ends up in.
#pragma once

#include <AL/al.h>

#include <cstddef>
#include <cstdint>

// Generates a buffer, fills it with the bytes, and answers a new one-element
// array (delete[]) holding its name. An OpenAL error is reported with the
// label and does not stop the load. Needs a current OpenAL context.
uint32_t* KVMakeOpenALBuffer(ALenum format, const void* data, size_t bytes, int frequency, const char* label);

// Deletes the buffers; one that a source still has queued or attached is
// deleted by a later KVDeleteUnusedOpenALBuffers once the source lets go.
void KVDeleteOpenALBuffers(const uint32_t* buffers, int count);
// Deletes the waiting buffers that no source uses any more (the sound
// manager's update runs it every frame).
void KVDeleteUnusedOpenALBuffers();
