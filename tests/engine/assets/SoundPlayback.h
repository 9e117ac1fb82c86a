// What decoded sounds play, heard through the tests' loopback output on the
// process's shared OpenAL context: one buffer at a time, from its start.
#pragma once

#include <AL/al.h>

#include <cmath>
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

inline double rmsOf(const std::vector<float>& samples, size_t begin, size_t end)
{
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

// A tone's frequency from its rising zero crossings over [begin, end).
inline double frequencyOf(const std::vector<float>& samples, size_t begin, size_t end, int rate)
{
    long first = -1, last = -1, crossings = 0;
    for (size_t i = begin + 1; i < end; ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (first < 0)
                first = static_cast<long>(i);
            else
                ++crossings;
            last = static_cast<long>(i);
        }
    return crossings > 0 ? crossings * static_cast<double>(rate) / static_cast<double>(last - first) : 0.0;
}
