// The one OpenAL buffer every loaded sound ends up in.
#pragma once

#include <AL/al.h>

#include <cstddef>
#include <cstdint>

// Generates a buffer, fills it with the bytes, and answers a new one-element
// array (delete[]) holding its name. An OpenAL error is reported with the
// label and does not stop the load. Needs a current OpenAL context.
uint32_t* KVMakeOpenALBuffer(ALenum format, const void* data, size_t bytes, int frequency, const char* label);
