// What decoded sounds play on the shared OpenAL context, one buffer at a time.
#pragma once

#include <AL/al.h>

#include <vector>

#include "engine/audio/SoundManager.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TestSounds.h"

// Makes the shared context on the test output current; false without one.
inline bool useSoundTestOutput()
{
    if (!soundTestOutputReady() || !SoundManager::sharedContext())
        return false;
    SoundManager::makeCurrent();
    return true;
}

// The left channel of the first `frames` frames the buffer plays.
inline std::vector<float> playAlone(ALuint buffer, long frames)
{
    ALuint source = 0;
    alGenSources(1, &source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcePlay(source);
    const std::vector<float> mix = renderSound(frames);
    alSourceStop(source);
    alDeleteSources(1, &source);
    std::vector<float> left;
    for (size_t i = 0; i < mix.size(); i += kSoundTestChannels)
        left.push_back(mix[i]);
    return left;
}

// A buffer of a sine the same in every channel (the caller deletes it).
inline ALuint sineBuffer(int channels, int rate, long frames, double hz, double amplitude)
{
    const std::vector<int16_t> samples = sineSamples(rate, channels, frames, hz, amplitude * 32767);
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples.data(),
                 static_cast<ALsizei>(samples.size() * sizeof(int16_t)), rate);
    return buffer;
}
