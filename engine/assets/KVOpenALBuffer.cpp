#include "engine/assets/KVOpenALBuffer.h"

#include "platform/media/KVCheckALError.h"

uint32_t* KVMakeOpenALBuffer(ALenum format, const void* data, size_t bytes, int frequency, const char* label)
{
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, format, data, static_cast<ALsizei>(bytes), frequency);
    KVCheckALError(label);
    return new uint32_t[1]{buffer};
}
