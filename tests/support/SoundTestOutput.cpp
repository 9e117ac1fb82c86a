#include "tests/support/SoundTestOutput.h"

#include <algorithm>
#include <cmath>

#include "platform/media/KVSoundOutput.h"

namespace {

// Before main, hence before any OpenAL call of any test.
const bool manualLoopback = KVSoundOutput::useManualLoopback(kSoundTestRate, kSoundTestChannels);

}  // namespace

bool soundTestOutputReady()
{
    return manualLoopback;
}

std::vector<float> renderSound(long frames)
{
    std::vector<float> out(static_cast<size_t>(frames * kSoundTestChannels));
    KVSoundOutput::render(out.data(), static_cast<int>(frames));
    return out;
}

float peak(const std::vector<float>& samples, size_t begin, size_t end)
{
    float largest = 0;
    for (size_t i = begin; i < std::min(end, samples.size()); ++i)
        largest = std::max(largest, std::fabs(samples[i]));
    return largest;
}

ALuint makeMonoBuffer(const std::vector<int16_t>& samples)
{
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, samples.data(), static_cast<ALsizei>(samples.size() * sizeof(int16_t)),
                 kSoundTestRate);
    return buffer;
}
