// The demo recorded and replayed, and filmed: what a game's maker does to
// build a regression suite and a trailer.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kDemo = std::string(KV_BUILD_DIR) + "/examples/Demo.app";

// The peak signal-to-noise ratio of b against a in dB (RGB); -1 when the
// sizes differ, infinity when they are the same.
double psnr(const Picture& a, const Picture& b)
{
    if (a.width() == 0 || a.width() != b.width() || a.height() != b.height())
        return -1;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Rgba p = a.at(x, y), q = b.at(x, y);
            sum += (p.r - q.r) * (p.r - q.r) + (p.g - q.g) * (p.g - q.g) + (p.b - q.b) * (p.b - q.b);
        }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(DemoRecording, RecordedReplaysFrameForFrameAndIsFilmedWithTheSound)
{
    TempDir dir;
    writeFile(dir.file("input"), "30 keydown space\n40 mousemove 345 100\n41 mousedown 345 100\n");
    int runs = 0;
    auto play = [&](const std::vector<std::string>& options) {
        std::vector<std::string> argv = {kPlayer, "--headless", "--fixed-step", "--save-dir",
                                         dir.file("save" + std::to_string(runs++))};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(kDemo);
        ProgramResult run = runProgram(argv);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    };
    // What the game receives is recorded in --input's format, at the frame it came.
    const std::string autoplay = std::string(KV_TEST_DATA_DIR) + "/../../examples/Demo/autoplay.input";
    const std::string played = play({"--frames", "170", "--input", autoplay, "--record", dir.file("recording"),
                                     "--screenshot", dir.file("played.png")});
    ASSERT_NE(played.find("\nscore 1\n"), std::string::npos) << played;
    EXPECT_EQ(play({"--frames", "170", "--input", dir.file("recording"), "--screenshot", dir.file("replay.png")}),
              played);
    EXPECT_EQ(psnr(Picture(dir.file("played.png")), Picture(dir.file("replay.png"))), INFINITY)
        << "the last frames differ";

    play({"--frames", "60", "--input", dir.file("input"), "--screenshot", dir.file("frame60.png")});
    for (const std::string name : {"run.mp4", "run.webm"}) {
        SCOPED_TRACE(name);
        const std::string film = dir.file(name);
        play({"--frames", "120", "--input", dir.file("input"), "--video", film});
        ProgramResult probe = runProgram({"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-select_streams", "v",
                                          "-show_entries", "stream=r_frame_rate,nb_read_frames", "-of", "csv=p=0", film});
        EXPECT_EQ(probe.out, "60/1,120\n") << probe.err;
        const std::vector<float> sound = readSound(film, 22050);
        EXPECT_GT(rms(sound, 0, sound.size()), 0.01) << "the music is heard";

        // Frame 60 (the 59th from 0) is the one a run of 60 frames ends with.
        const std::string frame = dir.file("film60.png");
        ASSERT_EQ(runProgram({"/usr/bin/ffmpeg", "-v", "error", "-y", "-i", film, "-vf", "select=eq(n\\,59)",
                              "-frames:v", "1", frame})
                      .status,
                  0);
        EXPECT_GT(psnr(Picture(dir.file("frame60.png")), Picture(frame)), 35);
    }
}

}  // namespace
