// Sound files decoded through FFmpeg (made at test time), music streamed
// on its own thread into its own source and heard through the loopback
// device, and the output: which OpenAL back end a headless run asks for,
// and the silent output that stands in when no device opens.
#include <gtest/gtest.h>

#include <AL/alc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/media/KVAudioDecoder.h"
#include "platform/media/KVMusicStream.h"
#include "platform/media/KVSoundOutput.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

// Samples no codec would produce by chance: a ramp with a stride that
// wraps, different in each channel.
std::vector<int16_t> patternSamples(long frames, int channels)
{
    std::vector<int16_t> samples;
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<int16_t>((i * 37 + c * 1000) % 20000 - 10000));
    return samples;
}

std::vector<int16_t> decodeAll(const std::string& path, int channels)
{
    std::string error;
    auto decoder = KVAudioDecoder::open(path, channels, &error);
    EXPECT_TRUE(decoder) << error;
    std::vector<int16_t> samples;
    if (decoder) {
        EXPECT_TRUE(decoder->readAll(&samples)) << decoder->error();
    }
    return samples;
}

// Lossless files give their exact samples (a ramp in mono); compressed ones
// a stereo tone of the same length and level.
TEST(KVAudioDecoder, EveryFormatDecodesItsSound)
{
    TempDir dir;
    const std::vector<int16_t> ramp = patternSamples(30000, 1);
    writeWav(dir.file("ramp.wav"), 22050, 1, ramp);
    writeWav(dir.file("tone.wav"), 44100, 2, sineSamples(44100, 2, 44100, 440, 10000));
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"ramp.wav", {}},
        {"ramp.flac", {}},
        {"ramp.caf", {"-c:a", "pcm_s16be"}},
        {"ramp-alac.caf", {"-c:a", "alac"}},  // compressed CAF, as Apple's tools write it
        {"tone.m4a", {"-c:a", "aac", "-b:a", "128k"}},
        {"tone.aac", {"-c:a", "aac", "-b:a", "128k"}},
        {"tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"tone.ogg", {"-c:a", "libvorbis", "-q:a", "5"}},
        {"tone.caf", {"-c:a", "adpcm_ima_qt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool lossless = std::string(c.name).rfind("ramp", 0) == 0;
        const std::string source = dir.file(lossless ? "ramp.wav" : "tone.wav");
        if (source != dir.file(c.name)) {
            ASSERT_TRUE(encodeSound(source, dir.file(c.name), c.args));
        }
        std::string error;
        auto decoder = KVAudioDecoder::open(dir.file(c.name), lossless ? 1 : 2, &error);
        ASSERT_TRUE(decoder) << error;
        EXPECT_EQ(std::pair(decoder->sampleRate(), decoder->sourceChannels()),
                  std::pair(lossless ? 22050 : 44100, lossless ? 1 : 2));
        // Containers of compressed audio may count whole packets.
        EXPECT_NEAR(decoder->duration(), lossless ? 30000.0 / 22050 : 1.0, 0.2);
        std::vector<int16_t> samples;
        ASSERT_TRUE(decoder->readAll(&samples)) << decoder->error();
        if (lossless) {
            EXPECT_EQ(samples, ramp);
        } else {
            // Encoder padding may add or remove a few frames, never a tenth
            // of a second; the tone's level survives.
            EXPECT_NEAR(static_cast<double>(samples.size()) / 2, 44100, 4410);
            EXPECT_NEAR(rms(samples, 0, samples.size() / 2 * 2, 2, 0), 10000 / std::sqrt(2.0), 800);
        }
        // At the end, reading answers nothing and is not an error.
        int16_t more[8];
        EXPECT_EQ(decoder->read(more, 4), 0);
        EXPECT_FALSE(decoder->failed());
    }
}

// Left and right differ: mono is their average. Mono spreads to both
// channels unchanged.
TEST(KVAudioDecoder, MixesChannelsToTheCountAskedFor)
{
    TempDir dir;
    const std::vector<int16_t> stereo = patternSamples(5000, 2), single = patternSamples(5000, 1);
    writeWav(dir.file("stereo.wav"), 44100, 2, stereo);
    writeWav(dir.file("mono.wav"), 8000, 1, single);
    const std::vector<int16_t> mono = decodeAll(dir.file("stereo.wav"), 1), both = decodeAll(dir.file("mono.wav"), 2);
    ASSERT_EQ(std::pair(mono.size(), both.size()), std::pair(size_t{5000}, size_t{10000}));
    for (size_t i = 0; i < mono.size(); ++i) {
        ASSERT_NEAR(mono[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2.0, 1.0) << "frame " << i;
        ASSERT_TRUE(both[2 * i] == single[i] && both[2 * i + 1] == single[i]) << "frame " << i;
    }
}

TEST(KVAudioDecoder, BadFilesAreRefusedWithOneLineNamingThem)
{
    TempDir dir;
    writeFile(dir.file("empty.wav"), "");
    writeFile(dir.file("text.mp3"), "this is not a sound file at all, just some words in a row\n");
    std::string noise;
    srand(7);
    for (int i = 0; i < 65536; ++i)
        noise.push_back(static_cast<char>(rand()));
    writeFile(dir.file("noise.m4a"), noise);
    writeFile(dir.file("image.png"), readFile(KV_TEST_DATA_DIR "/images/quad.png"));

    for (const std::string& path : {dir.file("empty.wav"), dir.file("text.mp3"), dir.file("noise.m4a"),
                                    dir.file("image.png"), dir.file("missing.ogg"), dir.path()}) {
        SCOPED_TRACE(path);
        std::string error;
        auto decoder = KVAudioDecoder::open(path, 1, &error);
        if (decoder) {
            // Some demuxers take anything; then decoding must end cleanly
            // without sound worth the name.
            std::vector<int16_t> samples;
            decoder->readAll(&samples);
            EXPECT_LT(samples.size(), 65536u);
            continue;
        }
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

// (A file that goes away while it plays: the music stream's test.)
TEST(KVAudioDecoder, TruncatedAndOversizedSoundsStopCleanly)
{
    TempDir dir;
    const std::vector<int16_t> source = patternSamples(10000, 1);
    writeWav(dir.file("whole.wav"), 11025, 1, source);
    // Cut in the middle of the data (and of a sample): what is there plays.
    writeFile(dir.file("cut.wav"), readFile(dir.file("whole.wav")).substr(0, 44 + 5001));
    EXPECT_EQ(decodeAll(dir.file("cut.wav"), 1), std::vector<int16_t>(source.begin(), source.begin() + 2500));

    // More than the caller can hold: refused, naming the file.
    std::string error;
    auto decoder = KVAudioDecoder::open(dir.file("whole.wav"), 1, &error);
    ASSERT_TRUE(decoder);
    std::vector<int16_t> samples;
    EXPECT_FALSE(decoder->readAll(&samples, 10000));
    EXPECT_NE(decoder->error().find("whole.wav"), std::string::npos) << decoder->error();
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
    writeWav(dir_.file("music.wav"), kSoundTestRate, 2, patternSamples(frames, 2));
    ASSERT_TRUE(encodeSound(dir_.file("music.wav"), dir_.file("music.m4a"), {"-c:a", "aac", "-b:a", "192k"}));
    for (const char* name : {"music.wav", "music.m4a"}) {
        SCOPED_TRACE(name);
        const std::vector<int16_t> whole = decodeAll(dir_.file(name), 2);
        std::string error;
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
    const std::vector<int16_t> piece = patternSamples(frames, 2);
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
    const std::vector<int16_t> piece = patternSamples(5000, 2);
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

TEST(KVSoundOutput, HeadlessRunsPickTheNullBackEndUnlessTheUserChose)
{
    TempDir dir;
    ScopedEnvironment env;
    env.set("HOME", dir.path().c_str());
    env.set("XDG_CONFIG_HOME", dir.file("config").c_str());
    env.set("XDG_CONFIG_DIRS", dir.file("etc").c_str());
    env.set("ALSOFT_CONF", dir.file("other.conf").c_str());
    const struct {
        const char* drivers;  // in the environment
        const char* file;
        const char* contents;
        const char* expected;  // null: left unset
    } cases[] = {
        {nullptr, nullptr, nullptr, "null"},  // no configuration anywhere
        {"pulse,alsa", nullptr, nullptr, "pulse,alsa"},
        {nullptr, "other.conf", "[wave]\ndrivers = wave\n", "null"},  // only the general section counts
        {nullptr, ".alsoftrc", "# mine\n[general]\n  drivers = wave  \n[wave]\nfile = /dev/null\n", nullptr},
    };
    for (const auto& c : cases) {
        if (c.file)
            writeFile(dir.file(c.file), c.contents);
        env.set("ALSOFT_DRIVERS", c.drivers);
        KVSoundOutput::chooseHeadlessDriver();
        EXPECT_STREQ(std::getenv("ALSOFT_DRIVERS"), c.expected)
            << (c.file ? c.file : c.drivers ? c.drivers : "nothing");
    }
}

// Each context a game makes (the sounds', every music track's) may be
// created while a loopback device mixes on another thread (the silent
// output's, a recording's); creating one resets the device, which must wait
// for the mix in progress.
TEST(KVSoundOutput, ContextsComeAndGoWhileALoopbackDeviceMixes)
{
    ASSERT_TRUE(soundTestOutputReady());
    ALCdevice* device = KVSoundOutput::device();
    std::atomic<bool> done{false};
    std::thread mixer([&] {
        while (!done.load())
            renderSound(256);
    });
    int created = 0;
    for (int i = 0; i < 200; ++i) {
        if (ALCcontext* context = KVSoundOutput::createContext(device)) {
            ++created;
            alcDestroyContext(context);
        }
    }
    done.store(true);
    mixer.join();
    EXPECT_EQ(created, 200);
}

}  // namespace
