// What the demo plays, recorded through OpenAL's wave-file back end: the
// music all along, the knock of a box landing and the chime of a box in the
// basket when that happens.
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
double amplitude(const std::vector<float>& samples, size_t from, size_t count, double hz)
{
    const double coefficient = 2 * std::cos(2 * M_PI * hz / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double s0 = samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2)) / count;
}

}  // namespace

TEST(DemoSound, MusicThroughoutAKnockWhenABoxLandsAChimeWhenItScores)
{
    TempDir dir;
    const std::string wave = dir.file("out.wav");
    writeFile(dir.file("alsoft.conf"), "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n"
                                       "frequency = " + std::to_string(kRate) + "\n[wave]\nfile = " + wave + "\n");
    // Boxes land at about frames 85 and 150; the run lasts long enough in
    // real time for the device to mix what was played.
    writeFile(dir.file("input"), "10 keydown space\n20 mousemove 360 100\n21 mousedown 360 100\n"
                                 "90 keydown left\n120 keyup left\n125 keydown space\n");
    ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", "400", "--save-dir",
                                    dir.file("save"), "--input", dir.file("input"), kDemo},
                                   {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + dir.file("alsoft.conf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;

    // Tenths of a second with the music's chord, the 110 Hz knock and the
    // 1760 Hz chime in them. (The player never closes its sound device, so
    // the file's sizes may not be filled in: ffmpeg reads to its end.)
    const std::vector<float> samples = readSound(wave, kRate);
    const size_t window = kRate / 10;
    int windows = 0, music = 0, knock = 0, chime = 0;
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        ++windows;
        music += amplitude(samples, at, window, 261.63) > 0.004;
        knock += amplitude(samples, at, window, 110) > 0.01;
        chime += amplitude(samples, at, window, 1760) > 0.01;
    }
    ASSERT_GT(windows, 0) << "nothing was recorded";
    EXPECT_GT(knock, 0);
    EXPECT_GT(chime, 0);
    EXPECT_GT(music, windows / 2) << music << " of " << windows;
}
