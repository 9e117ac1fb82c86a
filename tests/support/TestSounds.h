// Sound files made at test time (WAV written sample by sample, other
// formats encoded from it by the ffmpeg tool), and recorded sound read back
// and measured.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A 16-bit little-endian PCM WAV file of interleaved samples.
void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples);

// `frames` frames of a sine of `hz` at `amplitude`, the same in every channel.
std::vector<int16_t> sineSamples(int rate, int channels, long frames, double hz, double amplitude);

// Encodes `input` into `output` with ffmpeg; extra arguments (codec, channel
// count) go before the output. False when ffmpeg fails.
bool encodeSound(const std::string& input, const std::string& output, const std::vector<std::string>& extra = {});

// Any sound or film file's sound decoded by ffmpeg: mono, at `rate`,
// samples from -1 to 1. Empty when ffmpeg cannot read it.
std::vector<float> readSound(const std::string& path, int rate);

// Root mean square of samples [begin, end) taken every `stride`-th from
// `offset` (stride 2, offset 0: the left channel of interleaved stereo).
template <typename Sample>
double rms(const std::vector<Sample>& samples, size_t begin, size_t end, size_t stride = 1, size_t offset = 0)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = begin + offset; i < end && i < samples.size(); i += stride, ++n)
        sum += static_cast<double>(samples[i]) * static_cast<double>(samples[i]);
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

// A tone's frequency (Hz) from its rising zero crossings over [begin, end)
// of mono samples at `rate`; 0 without two crossings.
double frequency(const std::vector<float>& samples, size_t begin, size_t end, int rate);
