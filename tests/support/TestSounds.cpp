#include "tests/support/TestSounds.h"

#include <cmath>
#include <cstring>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

// Little-endian, as WAV files hold numbers.
void put(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

}  // namespace

void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2);  // PCM
    put(out, static_cast<uint32_t>(channels), 2);
    put(out, static_cast<uint32_t>(rate), 4);
    put(out, static_cast<uint32_t>(rate * channels * 2), 4);
    put(out, static_cast<uint32_t>(channels * 2), 2);
    put(out, 16, 2);
    out += "data";
    put(out, dataBytes, 4);
    for (int16_t s : samples)
        put(out, static_cast<uint32_t>(s), 2);
    writeFile(path, out);
}

std::vector<int16_t> sineSamples(int rate, int channels, long frames, double hz, double amplitude)
{
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(frames * channels));
    for (long i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; ++c)
            samples.push_back(v);
    }
    return samples;
}

bool encodeSound(const std::string& input, const std::string& output, const std::vector<std::string>& extra)
{
    std::vector<std::string> argv = {"/usr/bin/ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-i", input};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(output);
    return runProgram(argv).status == 0;
}

std::vector<float> readSound(const std::string& path, int rate)
{
    TempDir dir;
    const std::string raw = dir.file("sound.f32");
    if (!encodeSound(path, raw, {"-vn", "-ac", "1", "-ar", std::to_string(rate), "-f", "f32le"}))
        return {};
    const std::string bytes = readFile(raw);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

double frequency(const std::vector<float>& samples, size_t begin, size_t end, int rate)
{
    long first = -1, last = -1, crossings = 0;
    for (size_t i = begin + 1; i < end && i < samples.size(); ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (first < 0)
                first = static_cast<long>(i);
            else
                ++crossings;
            last = static_cast<long>(i);
        }
    return crossings > 0 ? crossings * static_cast<double>(rate) / static_cast<double>(last - first) : 0.0;
}
