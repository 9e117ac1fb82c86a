// Sound files made at test time: WAV written sample by sample, other
// formats encoded from it by the ffmpeg tool.
#pragma once

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

// Root mean square of samples [begin, end) taken every `stride`-th from `offset`.
double rms(const std::vector<int16_t>& samples, size_t begin, size_t end, size_t stride = 1, size_t offset = 0);
