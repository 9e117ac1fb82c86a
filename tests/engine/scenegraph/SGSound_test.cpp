// Sound files made at test time, decoded and played: the buffer's layout, the tone's pitch and level.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/assets/KVSoundLoadError.h"
#include "engine/scenegraph/SGSound.h"
#include "tests/engine/assets/SoundPlayback.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kRate = 22050;
constexpr double kTone = 441.0;
constexpr double kAmplitude = 0.5;

// The one buffer's channels, bits, rate and bytes.
std::vector<int> infoOf(const SGSound& sound)
{
    std::vector<int> info;
    for (ALenum what : {AL_CHANNELS, AL_BITS, AL_FREQUENCY, AL_SIZE})
        alGetBufferi(sound.bufferCount == 1 ? sound.buffers[0] : 0, what, &info.emplace_back(-1));
    return info;
}

class SGSoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(useSoundTestOutput()); }

    // `name` holding these samples: a WAV file, encoded by ffmpeg with `codec` unless it is a plain .wav.
    std::string make(const std::string& name, int channels, const std::vector<int16_t>& samples, int rate = kRate,
                     const std::vector<std::string>& codec = {})
    {
        const std::string path = dir.file(name);
        const bool direct = codec.empty() && path.substr(path.size() - 4) == ".wav";
        writeWav(direct ? path : path + ".wav", rate, channels, samples);
        if (!direct) {
            EXPECT_TRUE(encodeSound(path + ".wav", path, codec)) << name;
        }
        return path;
    }
    // Half a second of the tone.
    std::string tone(const std::string& name, int channels, const std::vector<std::string>& codec = {}, int rate = kRate)
    {
        return make(name, channels, sineSamples(rate, channels, rate / 2, kTone, kAmplitude * 32767), rate, codec);
    }

    // Level of what the sound plays, against the same tone made here.
    double relativeLevel(const SGSound& sound, int channels, int rate = kRate)
    {
        // Both at the output's rate: 0.4 s, of which the middle is measured.
        const long frames = kSoundTestRate * 2 / 5;
        const std::vector<float> played = playAlone(sound.buffers[0], frames);
        const ALuint reference = sineBuffer(channels, rate, rate / 2, kTone, kAmplitude);
        const std::vector<float> expected = playAlone(reference, frames);
        alDeleteBuffers(1, &reference);
        const size_t begin = frames / 4, end = frames * 3 / 4;
        EXPECT_NEAR(frequency(played, begin, end, kSoundTestRate), kTone, kTone * 0.01);
        return rms(played, begin, end) / rms(expected, begin, end);
    }

    TempDir dir;
};

}  // namespace

// Ogg and PCM CAF keep their layout (16-bit at least); the rest becomes mono 16-bit. Content decides.
TEST_F(SGSoundTest, EachFormatGivesOneBufferPlayingTheToneAndOggLengthsAtTheChunkEdgeToo)
{
    const struct {
        std::string file;
        int channels;
        std::vector<std::string> codec;
        int bufferChannels, bits, rate;
        bool exactLength;
        double level = 1;  // below 1: the right channel silent; mixed, not cut, at half the level
    } cases[] = {
        {"stereo.ogg", 2, {}, 2, 16, kRate, true},
        {"ogg.wav", 2, {"-f", "ogg", "-c:a", "libvorbis"}, 2, 16, kRate, true},
        {"stereo16.caf", 2, {"-c:a", "pcm_s16le"}, 2, 16, kRate, true},
        {"mono8.caf", 1, {"-c:a", "pcm_s8"}, 1, 8, kRate, true},
        {"big.caf", 1, {"-c:a", "pcm_s16be"}, 1, 16, kRate, true},
        {"wide.caf", 2, {"-c:a", "pcm_s24le"}, 2, 16, kRate, true},
        {"float.caf", 1, {"-c:a", "pcm_f32be"}, 1, 16, kRate, true},
        {"left.wav", 2, {}, 1, 16, kRate, true, 0.5},
        {"stereo.flac", 2, {}, 1, 16, 44100, true},
        {"stereo.m4a", 2, {}, 1, 16, kRate, false},
        // CAF the PCM reader opens but cannot read, or cannot open. (The decoder's tests read the rest.)
        {"ulaw.caf", 1, {"-c:a", "pcm_mulaw"}, 1, 16, kRate, true},
        {"ima4.caf", 2, {"-c:a", "adpcm_ima_qt"}, 1, 16, kRate, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<int16_t> samples = sineSamples(c.rate, c.channels, c.rate / 2, kTone, kAmplitude * 32767);
        for (size_t i = 1; c.level < 1 && i < samples.size(); i += 2)
            samples[i] = 0;
        SGSound sound;
        EXPECT_TRUE(sound.loadFromFile(make(c.file, c.channels, samples, c.rate, c.codec).c_str()));
        ASSERT_EQ(sound.bufferCount, 1);
        std::vector<int> info = infoOf(sound);
        const int bytes = c.rate / 2 * c.bufferChannels * c.bits / 8;
        EXPECT_NEAR(info.back(), bytes, c.exactLength ? 0 : 4800);
        info.back() = bytes;
        EXPECT_EQ(info, (std::vector<int>{c.bufferChannels, c.bits, c.rate, bytes}));
        // Lossy codecs lose a little level.
        EXPECT_NEAR(relativeLevel(sound, c.bufferChannels, c.rate), c.level, c.exactLength ? 0.05 : 0.1);
        sound.freeSound();
    }

    // 65536 mono frames are exactly one 131072-byte chunk; no frame at all gives an empty buffer.
    for (const long frames : {65536L, 0L}) {
        SCOPED_TRACE(frames);
        SGSound sound;
        sound.loadFromFile(make(std::to_string(frames) + ".ogg", 1, sineSamples(kRate, 1, frames, kTone, 16000)).c_str());
        EXPECT_EQ(infoOf(sound), (std::vector<int>{1, 16, kRate, static_cast<int>(frames) * 2}));
        sound.freeSound();
    }
}

// Undecodable files throw; a PCM CAF of three channels says so in one line. The sound stays empty.
TEST_F(SGSoundTest, FilesThatCannotBeDecodedLeaveTheSoundEmptyAndADamagedOggKeepsWhatCouldBe)
{
    // (The sound assets' test reads a text named .ogg and a six-channel WAV file.)
    writeFile(dir.file("text.wav"), "this is no sound\n");
    writeFile(dir.file("empty.caf"), "");
    tone("three.ogg", 3);
    tone("three.caf", 3, {"-c:a", "pcm_s16le"});
    writeFile(dir.file("truncated.wav"), readFile(tone("whole.wav", 1)).substr(0, 30));
    for (const char* name :
         {"text.wav", "empty.caf", "three.ogg", "truncated.wav", "missing.ogg", "missing.caf", "three.caf"}) {
        SCOPED_TRACE(name);
        SGSound sound;
        testing::internal::CaptureStderr();
        if (std::string(name) != "three.caf") {
            EXPECT_THROW(sound.loadFromFile(dir.file(name).c_str()), KVSoundLoadError);
            testing::internal::GetCapturedStderr();
        } else {
            EXPECT_TRUE(sound.loadFromFile(dir.file(name).c_str()));
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                      dir.file(name) + ": OpenAL takes only mono or stereo samples; the sound stays empty\n");
        }
        EXPECT_TRUE(sound.bufferCount == 0 && !sound.buffers);
    }
    EXPECT_EQ(alGetError(), AL_NO_ERROR);

    // A damaged Ogg file keeps what could be decoded.
    // Noise in short pages, so that the sound spans many.
    std::vector<int16_t> noise(44100);
    srand(1);
    for (int16_t& s : noise)
        s = static_cast<int16_t>(rand() % 32768 - 16384);
    const std::string path = make("damaged.ogg", 1, noise, kRate, {"-page_duration", "100000"});
    std::string bytes = readFile(path);
    // Scribble over a page: the reader reports a hole there and reads on.
    for (size_t i = bytes.size() * 7 / 10; i < bytes.size() * 7 / 10 + 50; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    writeFile(path, bytes);
    SGSound sound;
    testing::internal::CaptureStdout();
    EXPECT_NO_THROW(sound.loadFromFile(path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Ogg read had an error\n");
    ASSERT_EQ(sound.bufferCount, 1);
    const int decoded = infoOf(sound).back();
    EXPECT_GT(decoded, 44100);
    EXPECT_LT(decoded, 44100 * 2);
    sound.freeSound();
}
