// In-process tests hear sound through a loopback device that they render
// themselves, so what plays is checked sample by sample. The device is
// chosen before any test runs; every sound test shares it.
#pragma once

#include <AL/al.h>

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSoundTestRate = 44100;
constexpr int kSoundTestChannels = 2;

// Whether the loopback device is the process's sound output.
bool soundTestOutputReady();

// The next `frames` frames of the mix, interleaved left and right.
std::vector<float> renderSound(long frames);

// Largest absolute sample.
float peak(const std::vector<float>& samples, size_t begin = 0, size_t end = SIZE_MAX);

// An OpenAL buffer holding these mono samples at the test rate. The caller
// deletes it (alDeleteBuffers).
ALuint makeMonoBuffer(const std::vector<int16_t>& samples);
