// What the demo plays, recorded through OpenAL's wave-file back end: the
// music all along, the knock of a box landing and the chime of a box in the
// basket only when that happens.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kDemo = std::string(KV_BUILD_DIR) + "/examples/Demo.app";

struct Recording {
    int rate = 0;
    std::vector<float> samples;  // mono, -1 .. 1
};

uint32_t le32(const std::string& s, size_t at)
{
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

// A mono 16-bit WAV file. The player never closes its sound device, so the
// data chunk's size may not have been filled in: the data runs to the end.
Recording readWave(const std::string& path)
{
    const std::string file = readFile(path);
    Recording recording;
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0)
        return recording;
    for (size_t at = 12; at + 8 <= file.size();) {
        const std::string id = file.substr(at, 4);
        const uint32_t size = le32(file, at + 4);
        if (id == "fmt " && at + 16 <= file.size()) {
            const int channels = static_cast<uint8_t>(file[at + 10]);
            const int bits = static_cast<uint8_t>(file[at + 22]);
            if (channels != 1 || bits != 16)
                return recording;
            recording.rate = static_cast<int>(le32(file, at + 12));
        } else if (id == "data") {
            const size_t end = size == 0 || at + 8 + size > file.size() ? file.size() : at + 8 + size;
            for (size_t p = at + 8; p + 1 < end; p += 2) {
                int16_t sample;
                std::memcpy(&sample, file.data() + p, 2);
                recording.samples.push_back(sample / 32768.0f);
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    return recording;
}

// The amplitude of one frequency in a stretch of samples (Goertzel).
double amplitude(const std::vector<float>& samples, size_t from, size_t count, double frequency, int rate)
{
    const double coefficient = 2 * std::cos(2 * M_PI * frequency / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double s0 = samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2)) / count;
}

struct Heard {
    double seconds = 0;
    int musicWindows = 0;   // tenths of a second with the music's chord in them
    int knockWindows = 0;   // ... with the 110 Hz knock
    int chimeWindows = 0;   // ... with the 1760 Hz chime
    int windows = 0;
};

Heard recordDemo(const TempDir& dir, const std::string& name, const std::string& input, int frames)
{
    const std::string wave = dir.file(name + ".wav");
    writeFile(dir.file(name + ".conf"), "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n"
                                        "frequency = 22050\n[wave]\nfile = " + wave + "\n");
    writeFile(dir.file(name + ".input"), input);
    ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", std::to_string(frames),
                                    "--save-dir", dir.file(name), "--input", dir.file(name + ".input"), kDemo},
                                   {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + dir.file(name + ".conf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;

    const Recording recording = readWave(wave);
    Heard heard;
    if (recording.rate == 0)
        return heard;
    const size_t window = recording.rate / 10;
    heard.seconds = static_cast<double>(recording.samples.size()) / recording.rate;
    for (size_t at = 0; at + window <= recording.samples.size(); at += window) {
        ++heard.windows;
        if (amplitude(recording.samples, at, window, 261.63, recording.rate) > 0.004)
            ++heard.musicWindows;
        if (amplitude(recording.samples, at, window, 110, recording.rate) > 0.01)
            ++heard.knockWindows;
        if (amplitude(recording.samples, at, window, 1760, recording.rate) > 0.01)
            ++heard.chimeWindows;
    }
    return heard;
}

}  // namespace

TEST(DemoSound, MusicThroughoutAKnockWhenABoxLandsAChimeWhenItScores)
{
    TempDir dir;
    // Boxes land at about frames 85 and 150; the run lasts long enough in
    // real time for the device to mix what was played.
    Heard dropping = recordDemo(dir, "drop",
                                "10 keydown space\n20 mousemove 360 100\n21 mousedown 360 100\n"
                                "90 keydown left\n120 keyup left\n125 keydown space\n",
                                400);
    ASSERT_GT(dropping.windows, 0) << "nothing was recorded";
    EXPECT_GT(dropping.knockWindows, 0);
    EXPECT_GT(dropping.chimeWindows, 0);
    EXPECT_GT(dropping.musicWindows, dropping.windows / 2) << dropping.musicWindows << " of " << dropping.windows;

    Heard waiting = recordDemo(dir, "title", "", 400);
    ASSERT_GT(waiting.windows, 0);
    EXPECT_EQ(waiting.knockWindows, 0) << "no box, no knock";
    EXPECT_EQ(waiting.chimeWindows, 0);
    EXPECT_GT(waiting.musicWindows, waiting.windows / 2);
}
