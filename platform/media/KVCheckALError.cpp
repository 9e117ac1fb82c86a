#include "platform/media/KVCheckALError.h"

#include <AL/al.h>

#include <cstdio>

// Each report ends its line, so a run of them stays readable.
bool KVCheckALError(const char* label)
{
    // Without a current context there is no error state to read (OpenAL
    // would answer a made-up error).
    if (!alcGetCurrentContext())
        return false;
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR)
        return false;
    std::fprintf(stderr, "OpenAL error %d in call to %s\n", error, label);
    return true;
}

bool KVCheckALCError(ALCdevice* device, const char* label)
{
    const ALCenum error = alcGetError(device);
    if (error == ALC_NO_ERROR)
        return false;
    std::fprintf(stderr, "OpenAL context error %d in call to %s\n", error, label);
    return true;
}
