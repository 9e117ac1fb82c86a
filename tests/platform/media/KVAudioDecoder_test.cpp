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

TEST(KVAudioDecoder, LosslessFilesDecodeToTheirExactSamples)
{
    TempDir dir;
    const std::vector<int16_t> source = patternSamples(30000, 1);
    writeWav(dir.file("a.wav"), 22050, 1, source);
    ASSERT_TRUE(encodeSound(dir.file("a.wav"), dir.file("a.flac")));
    ASSERT_TRUE(encodeSound(dir.file("a.wav"), dir.file("a.caf"), {"-c:a", "pcm_s16be"}));
    // Compressed CAF, as Apple's tools write it.
    ASSERT_TRUE(encodeSound(dir.file("a.wav"), dir.file("alac.caf"), {"-c:a", "alac"}));

    for (const char* name : {"a.wav", "a.flac", "a.caf", "alac.caf"}) {
        SCOPED_TRACE(name);
        std::string error;
        auto decoder = KVAudioDecoder::open(dir.file(name), 1, &error);
        ASSERT_TRUE(decoder) << error;
        EXPECT_EQ(decoder->sampleRate(), 22050);
        EXPECT_EQ(decoder->sourceChannels(), 1);
        EXPECT_EQ(decoder->channels(), 1);
        // Containers of compressed audio may count whole packets.
        EXPECT_NEAR(decoder->duration(), 30000.0 / 22050, 0.2);
        std::vector<int16_t> samples;
        ASSERT_TRUE(decoder->readAll(&samples)) << decoder->error();
        EXPECT_EQ(samples, source);
        // At the end, reading answers nothing and is not an error.
        int16_t more[8];
        EXPECT_EQ(decoder->read(more, 4), 0);
        EXPECT_FALSE(decoder->failed());
    }
}

TEST(KVAudioDecoder, MixesChannelsToTheCountAskedFor)
{
    TempDir dir;
    // Left and right differ: mono is their average.
    const std::vector<int16_t> stereo = patternSamples(5000, 2);
    writeWav(dir.file("stereo.wav"), 44100, 2, stereo);
    std::string error;
    auto decoder = KVAudioDecoder::open(dir.file("stereo.wav"), 1, &error);
    ASSERT_TRUE(decoder) << error;
    EXPECT_EQ(decoder->sourceChannels(), 2);
    std::vector<int16_t> mono;
    ASSERT_TRUE(decoder->readAll(&mono));
    ASSERT_EQ(mono.size(), 5000u);
    for (size_t i = 0; i < mono.size(); ++i)
        ASSERT_NEAR(mono[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2.0, 1.0) << "frame " << i;

    // Mono spreads to both channels unchanged.
    const std::vector<int16_t> single = patternSamples(5000, 1);
    writeWav(dir.file("mono.wav"), 8000, 1, single);
    const std::vector<int16_t> both = decodeAll(dir.file("mono.wav"), 2);
    ASSERT_EQ(both.size(), 10000u);
    for (size_t i = 0; i < single.size(); ++i) {
        ASSERT_EQ(both[2 * i], single[i]) << "frame " << i;
        ASSERT_EQ(both[2 * i + 1], single[i]) << "frame " << i;
    }

    // Six channels: the count is reported (the sound loader refuses such
    // files) and the music player can still fold them to stereo.
    writeWav(dir.file("six.wav"), 48000, 6, patternSamples(4800, 6));
    auto six = KVAudioDecoder::open(dir.file("six.wav"), 2, &error);
    ASSERT_TRUE(six) << error;
    EXPECT_EQ(six->sourceChannels(), 6);
    std::vector<int16_t> folded;
    ASSERT_TRUE(six->readAll(&folded));
    EXPECT_EQ(folded.size(), 9600u);
}

TEST(KVAudioDecoder, CompressedFormatsKeepTheirLengthAndLevel)
{
    TempDir dir;
    const int rate = 44100;
    writeWav(dir.file("tone.wav"), rate, 2, sineSamples(rate, 2, rate, 440, 10000));
    struct Case {
        const char* name;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"tone.m4a", {"-c:a", "aac", "-b:a", "128k"}},
        {"tone.aac", {"-c:a", "aac", "-b:a", "128k"}},
        {"tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"tone.ogg", {"-c:a", "libvorbis", "-q:a", "5"}},
        {"tone.caf", {"-c:a", "adpcm_ima_qt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(encodeSound(dir.file("tone.wav"), dir.file(c.name), c.args));
        std::string error;
        auto decoder = KVAudioDecoder::open(dir.file(c.name), 2, &error);
        ASSERT_TRUE(decoder) << error;
        EXPECT_EQ(decoder->sampleRate(), rate);
        EXPECT_EQ(decoder->sourceChannels(), 2);
        std::vector<int16_t> samples;
        ASSERT_TRUE(decoder->readAll(&samples)) << decoder->error();
        // Encoder padding may add or remove a few frames, never a tenth of
        // a second; the tone's level survives.
        EXPECT_NEAR(static_cast<double>(samples.size()) / 2, rate, rate / 10.0);
        EXPECT_NEAR(rms(samples, 0, samples.size() / 2 * 2, 2, 0), 10000 / std::sqrt(2.0), 800);
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

    writeWav(dir.file("ok.wav"), 8000, 1, patternSamples(100, 1));
    std::string error;
    EXPECT_FALSE(KVAudioDecoder::open(dir.file("ok.wav"), 3, &error));
    EXPECT_NE(error.find("ok.wav"), std::string::npos) << error;
    EXPECT_FALSE(KVAudioDecoder::open(dir.file("ok.wav"), 0, &error));
}

TEST(KVAudioDecoder, TruncatedAndOversizedSoundsStopCleanly)
{
    TempDir dir;
    const std::vector<int16_t> source = patternSamples(10000, 1);
    writeWav(dir.file("whole.wav"), 11025, 1, source);
    // Cut in the middle of the data (and of a sample): what is there plays.
    const std::string whole = readFile(dir.file("whole.wav"));
    writeFile(dir.file("cut.wav"), whole.substr(0, 44 + 5001));
    std::vector<int16_t> cut = decodeAll(dir.file("cut.wav"), 1);
    ASSERT_EQ(cut.size(), 2500u);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), source.begin()));

    // More than the caller can hold: refused, naming the file.
    std::string error;
    auto decoder = KVAudioDecoder::open(dir.file("whole.wav"), 1, &error);
    ASSERT_TRUE(decoder);
    std::vector<int16_t> samples;
    EXPECT_FALSE(decoder->readAll(&samples, 10000));
    EXPECT_NE(decoder->error().find("whole.wav"), std::string::npos) << decoder->error();

    // A file that went away cannot be started again.
    decoder = KVAudioDecoder::open(dir.file("whole.wav"), 1, &error);
    ASSERT_TRUE(decoder);
    std::remove(dir.file("whole.wav").c_str());
    EXPECT_FALSE(decoder->rewind());
    EXPECT_NE(decoder->error().find("whole.wav"), std::string::npos);
    int16_t frame[4];
    EXPECT_EQ(decoder->read(frame, 4), 0);
}

}  // namespace
