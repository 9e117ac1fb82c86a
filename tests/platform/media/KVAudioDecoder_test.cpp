// Sound file decoding through FFmpeg, on files made at test time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/media/KVAudioDecoder.h"
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
        EXPECT_EQ(decoder->sampleRate(), lossless ? 22050 : 44100);
        EXPECT_EQ(decoder->sourceChannels(), lossless ? 1 : 2);
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
    ASSERT_EQ(mono.size(), 5000u);
    ASSERT_EQ(both.size(), 10000u);
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
    const std::string missing = dir.file("missing.ogg");

    for (const std::string& path : {dir.file("empty.wav"), dir.file("text.mp3"), dir.file("noise.m4a"),
                                    dir.file("image.png"), missing, dir.path()}) {
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

}  // namespace
