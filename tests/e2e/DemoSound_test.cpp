// What the demo plays, recorded through OpenAL's wave-file back end: the
// music all along, the knock of a box landing and the chime of a box in the
// basket only when that happens.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kDemo = std::string(KV_BUILD_DIR) + "/examples/Demo.app";

constexpr int kRate = 22050;

// The amplitude of one frequency in a stretch of samples (Goertzel).
double amplitude(const std::vector<float>& samples, size_t from, size_t count, double hz, int rate)
{
    const double coefficient = 2 * std::cos(2 * M_PI * hz / rate);
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
                                        "frequency = " + std::to_string(kRate) + "\n[wave]\nfile = " + wave + "\n");
    writeFile(dir.file(name + ".input"), input);
    ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", std::to_string(frames),
                                    "--save-dir", dir.file(name), "--input", dir.file(name + ".input"), kDemo},
                                   {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + dir.file(name + ".conf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;

    // The player never closes its sound device, so the file's sizes may not
    // have been filled in: ffmpeg reads to its end.
    const std::vector<float> samples = readSound(wave, kRate);
    Heard heard;
    const size_t window = kRate / 10;
    heard.seconds = static_cast<double>(samples.size()) / kRate;
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        ++heard.windows;
        if (amplitude(samples, at, window, 261.63, kRate) > 0.004)
            ++heard.musicWindows;
        if (amplitude(samples, at, window, 110, kRate) > 0.01)
            ++heard.knockWindows;
        if (amplitude(samples, at, window, 1760, kRate) > 0.01)
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
