// Music streamed on its own thread into its own source, heard through the
// loopback device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/media/KVAudioDecoder.h"
#include "platform/media/KVMusicStream.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

// Stereo with different channels, so a swap or a mix would show.
std::vector<int16_t> musicSamples(long frames)
{
    std::vector<int16_t> samples;
    for (long i = 0; i < frames; ++i) {
        samples.push_back(static_cast<int16_t>((i * 97) % 16000 - 8000));
        samples.push_back(static_cast<int16_t>(std::lround(9000 * std::sin(i * 0.05))));
    }
    return samples;
}

// Renders `frames` frames in pieces, letting the stream refill in between
// as its thread would in real time.
std::vector<float> renderStream(KVMusicStream& stream, long frames)
{
    std::vector<float> out;
    for (long done = 0; done < frames;) {
        const long piece = std::min(4096L, frames - done);
        std::vector<float> part = renderSound(piece);
        out.insert(out.end(), part.begin(), part.end());
        done += piece;
        stream.refill();
    }
    return out;
}

// Whether `out` from frame `at` holds `expected` (int16 stereo) to within
// one step.
::testing::AssertionResult holds(const std::vector<float>& out, size_t at, const std::vector<int16_t>& expected)
{
    for (size_t i = 0; i < expected.size(); ++i)
        if (at * 2 + i >= out.size() || std::fabs(out[at * 2 + i] - expected[i] / 32768.0f) > 1.0f / 32768)
            return ::testing::AssertionFailure() << "sample " << i << " from frame " << at << " differs";
    return ::testing::AssertionSuccess();
}

class KVMusicStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(soundTestOutputReady()); }
    TempDir dir_;
};

TEST_F(KVMusicStreamTest, StreamedOutputEqualsAFullDecode)
{
    const long frames = 100000;  // several times the buffers' length
    writeWav(dir_.file("music.wav"), kSoundTestRate, 2, musicSamples(frames));
    ASSERT_TRUE(encodeSound(dir_.file("music.wav"), dir_.file("music.m4a"), {"-c:a", "aac", "-b:a", "192k"}));
    for (const char* name : {"music.wav", "music.m4a"}) {
        SCOPED_TRACE(name);
        std::string error;
        auto decoder = KVAudioDecoder::open(dir_.file(name), 2, &error);
        ASSERT_TRUE(decoder) << error;
        std::vector<int16_t> whole;
        ASSERT_TRUE(decoder->readAll(&whole));

        auto stream = KVMusicStream::open(dir_.file(name), false, &error);
        ASSERT_TRUE(stream) << error;
        EXPECT_FALSE(stream->isPlaying());
        EXPECT_EQ(peak(renderSound(1024)), 0.0f);
        stream->play();
        EXPECT_TRUE(stream->isPlaying());
        const std::vector<float> out = renderStream(*stream, static_cast<long>(whole.size() / 2) + 8192);
        EXPECT_TRUE(holds(out, 0, whole));
        EXPECT_EQ(peak(out, whole.size()), 0.0f);
        // Played out: it reports so once its thread has seen the end.
        stream->refill();
        EXPECT_FALSE(stream->isPlaying());
    }
}

// Round and round without a gap; a pause cuts nothing out, the music
// resumes where it was. (Stopping and the volume: the music manager's test.)
TEST_F(KVMusicStreamTest, LoopsWithoutAGapAndResumesWhereItPaused)
{
    const long frames = 5000;  // shorter than one buffer
    const std::vector<int16_t> piece = musicSamples(frames);
    writeWav(dir_.file("loop.wav"), kSoundTestRate, 2, piece);
    std::string error;
    auto stream = KVMusicStream::open(dir_.file("loop.wav"), true, &error);
    ASSERT_TRUE(stream) << error;
    stream->play();
    std::vector<float> out = renderStream(*stream, frames * 6 + 2500);
    stream->pause();
    EXPECT_TRUE(stream->isPaused());
    EXPECT_EQ(peak(renderStream(*stream, 20000)), 0.0f);
    stream->resume();
    const std::vector<float> after = renderStream(*stream, frames * 2 + 2500);
    out.insert(out.end(), after.begin(), after.end());
    EXPECT_TRUE(stream->isPlaying());
    // OpenAL ramps the gain over a few frames at a pause (in round 6), so
    // the frames around it are left out.
    const auto part = [&](long from, long to) {
        return std::vector<int16_t>(piece.begin() + 2 * from, piece.begin() + 2 * to);
    };
    for (long round = 0; round < 9; ++round) {
        SCOPED_TRACE(round);
        const long pauseFrom = round == 6 ? 2400 : frames, pauseTo = round == 6 ? 2700 : frames;
        EXPECT_TRUE(holds(out, static_cast<size_t>(round * frames), part(0, pauseFrom)));
        EXPECT_TRUE(holds(out, static_cast<size_t>(round * frames + pauseTo), part(pauseTo, frames)));
    }
}

TEST_F(KVMusicStreamTest, FilesThatGoAwayOrHoldNothingStopLooping)
{
    // A looping piece whose file goes away plays to its end, says so once,
    // and stops. (Files that cannot be opened: the music manager's test.)
    const std::vector<int16_t> piece = musicSamples(5000);
    writeWav(dir_.file("gone.wav"), kSoundTestRate, 2, piece);
    std::string error;
    auto gone = KVMusicStream::open(dir_.file("gone.wav"), true, &error);
    ASSERT_TRUE(gone) << error;
    std::remove(dir_.file("gone.wav").c_str());
    testing::internal::CaptureStderr();
    gone->play();
    const std::vector<float> out = renderStream(*gone, 20000);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(holds(out, 0, piece));
    EXPECT_EQ(peak(out, piece.size()), 0.0f);
    EXPECT_FALSE(gone->isPlaying());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("gone.wav"), std::string::npos) << log;

    // A looping piece without a single frame stays silent and stops.
    writeWav(dir_.file("empty.wav"), kSoundTestRate, 2, {});
    auto stream = KVMusicStream::open(dir_.file("empty.wav"), true, &error);
    ASSERT_TRUE(stream) << error;
    stream->play();
    EXPECT_EQ(peak(renderStream(*stream, 4096)), 0.0f);
    EXPECT_FALSE(stream->isPlaying());
}

}  // namespace
