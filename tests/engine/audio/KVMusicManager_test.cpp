// The music manager's states and calls (the platformWrappers test drives the plain functions).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/audio/KVMusicManager.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

constexpr int kPlaying = KVMusicState::kPlaying;
constexpr int kPaused = KVMusicState::kPaused;
constexpr int kStopped = KVMusicState::kStopped;

class KVMusicManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(soundTestOutputReady());
        // Two pieces told apart by their level: A loud, B quiet.
        writeWav(a_, kSoundTestRate, 2, sineSamples(kSoundTestRate, 2, 20000, 441, 16000));
        writeWav(b_, kSoundTestRate, 2, sineSamples(kSoundTestRate, 2, 20000, 441, 4000));
        writeFile(bad_, "no music here");
    }

    // Brings a manager to a state: the first cell of each row.
    void reach(KVMusicManager& m, int state)
    {
        if (state != kStopped)
            m.playMusic(a_, true);
        if (state == kPaused)
            m.pauseMusic();
        ASSERT_EQ(m.currentStateNumber(), state);
    }

    // Peak of the next few frames: about 0.49 for A, 0.12 for B, 0 for none.
    static float level() { return peak(renderSound(2048), 512); }

    TempDir dir_;
    const std::string a_ = dir_.file("a.wav");
    const std::string b_ = dir_.file("b.wav");
    const std::string bad_ = dir_.file("bad.m4a");
};

TEST_F(KVMusicManagerTest, EveryStateAndCall)
{
    const struct {
        int from;
        const char* call;  // "play", "pause" or "stop"
        std::string path;  // for play
        int to;
        float level;       // of what is heard afterwards
    } cases[] = {
        {kStopped, "pause", "", kStopped, 0},
        {kStopped, "stop", "", kStopped, 0},
        {kStopped, "play", "", kStopped, 0},  // no path: nothing
        {kStopped, "play", bad_, kStopped, 0},
        {kStopped, "play", a_, kPlaying, 0.49f},
        {kPlaying, "play", "", kPlaying, 0.49f},  // no path: plays on
        {kPlaying, "play", b_, kPlaying, 0.12f},  // another piece replaces it
        {kPlaying, "pause", "", kPaused, 0},
        {kPlaying, "stop", "", kStopped, 0},
        // A file that cannot be played stops the old music.
        {kPlaying, "play", bad_, kStopped, 0},
        {kPaused, "pause", "", kPaused, 0},
        {kPaused, "play", "", kPlaying, 0.49f},  // resumes
        {kPaused, "play", b_, kPlaying, 0.12f},  // a new piece from its start
        {kPaused, "stop", "", kStopped, 0},
        {kPaused, "play", bad_, kStopped, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + c.call + " " + c.path);
        KVMusicManager m;
        reach(m, c.from);
        testing::internal::CaptureStderr();
        if (std::string(c.call) == "play")
            m.playMusic(c.path, true);
        else if (std::string(c.call) == "pause")
            m.pauseMusic();
        else
            m.stopMusic();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m.currentStateNumber(), c.to);
        EXPECT_EQ(m.isPlaying(), c.to == kPlaying);
        EXPECT_NEAR(level(), c.level, c.level == 0 ? 0.0f : 0.02f);
        // A file that cannot be played: one line naming it.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.path == bad_ ? 1 : 0) << err;
        if (c.path == bad_) {
            EXPECT_NE(err.find("bad.m4a"), std::string::npos) << err;
        }
    }

    // Pausing or resuming without a piece loaded (its load failed) stops.
    KVMusicManager m;
    m.transitionToNewState(kPlaying);
    m.pauseMusic();
    EXPECT_EQ(m.currentStateNumber(), kStopped);
    m.transitionToNewState(kPaused);
    m.playMusic("", false);
    EXPECT_EQ(m.currentStateNumber(), kStopped);
}

TEST_F(KVMusicManagerTest, VolumeNeedsAPieceAndStaysForTheNextAndAPieceThatEndsLeavesTheMachinePlaying)
{
    KVMusicManager m;
    m.setVolume(0.25f);  // before any music: no effect
    EXPECT_EQ(m.getVolume(), 1.0f);
    m.playMusic(a_, true);
    EXPECT_NEAR(level(), 0.49f, 0.02f);
    m.setVolume(0.5f);
    EXPECT_EQ(m.getVolume(), 0.5f);
    level();  // past the gain ramp
    EXPECT_NEAR(level(), 0.245f, 0.02f);
    // Set while paused, it holds when the music resumes.
    m.pauseMusic();
    m.setVolume(0.25f);
    m.playMusic("", false);
    level();
    EXPECT_NEAR(level(), 0.1225f, 0.02f);
    // The next piece keeps the volume.
    m.playMusic(a_, false);
    EXPECT_NEAR(level(), 0.1225f, 0.02f);
    m.stopMusic();

    // A piece that ends leaves the machine playing.
    writeWav(dir_.file("short.wav"), kSoundTestRate, 2, sineSamples(kSoundTestRate, 2, 3000, 441, 16000));
    KVMusicManager ending;
    ending.playMusic(dir_.file("short.wav"), false);
    renderSound(8000);
    // Its thread notices the end within a few of its rounds.
    for (int i = 0; i < 500 && ending.isPlaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(ending.isPlaying());
    EXPECT_EQ(ending.currentStateNumber(), kPlaying);
    // Pause, stop, then play with a path: the new piece from its start.
    ending.pauseMusic();
    ending.stopMusic();
    ending.playMusic(a_, false);
    const std::vector<float> out = renderSound(256);
    EXPECT_NEAR(out[0], 0.0f, 1e-4f);  // a sine starts at 0
    EXPECT_GT(peak(out), 0.3f);
}

}  // namespace
