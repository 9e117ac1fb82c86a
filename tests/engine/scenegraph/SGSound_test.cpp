// Sound files made at test time by sox and ffmpeg, decoded into OpenAL
// buffers and played through the tests' loopback output: the buffer's
// layout, and the tone it plays, its frequency and its level against a
// buffer made here.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/assets/KVSoundLoadError.h"
#include "engine/scenegraph/SGSound.h"
#include "tests/engine/assets/SoundPlayback.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kRate = 22050;
constexpr double kTone = 441.0;
constexpr double kAmplitude = 0.5;
constexpr long kFrames = kRate / 2;

struct BufferInfo {
    int bytes = -1, frequency = -1, channels = -1, bits = -1;
};

BufferInfo infoOf(const SGSound& sound)
{
    BufferInfo info;
    if (sound.bufferCount != 1 || !sound.buffers)
        return info;
    alGetBufferi(sound.buffers[0], AL_SIZE, &info.bytes);
    alGetBufferi(sound.buffers[0], AL_FREQUENCY, &info.frequency);
    alGetBufferi(sound.buffers[0], AL_CHANNELS, &info.channels);
    alGetBufferi(sound.buffers[0], AL_BITS, &info.bits);
    return info;
}

class SGSoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(useSoundTestOutput()); }

    // Runs sox or ffmpeg with these arguments; the test fails if it does.
    void make(std::vector<std::string> command)
    {
        if (command[0] == "/usr/bin/ffmpeg")
            command.insert(command.begin() + 1, {"-v", "error", "-y"});
        const ProgramResult run = runProgram(command);
        ASSERT_EQ(run.status, 0) << command[0] << ": " << run.err;
    }
    // A half-second tone of `channels` channels at `rate` into `name`, with
    // extra sox output options (sample size, encoding).
    std::string tone(const std::string& name, int channels = 1, int rate = kRate, std::vector<std::string> options = {})
    {
        std::vector<std::string> command{"/usr/bin/sox", "-r", std::to_string(rate), "-n", "-c", std::to_string(channels)};
        command.insert(command.end(), options.begin(), options.end());
        const std::string path = dir.file(name);
        command.insert(command.end(), {path, "synth", std::to_string(rate / 2) + "s", "sine", "441", "vol", "0.5"});
        make(command);
        return path;
    }
    // The tone as a CAF file of the FFmpeg codec (sox writes every CAF
    // big-endian).
    std::string caf(const std::string& name, int channels, const std::string& codec)
    {
        const std::string wav = tone(name + ".wav", channels);
        const std::string path = dir.file(name);
        make({"/usr/bin/ffmpeg", "-i", wav, "-c:a", codec, path});
        return path;
    }

    // Level of what the sound plays, against the same tone made here with
    // as many channels.
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

TEST_F(SGSoundTest, OggAndLinearPCMCAFKeepTheirLayout)
{
    const struct {
        std::string file;
        int channels, bits;
        std::string codec;  // of a CAF file
    } cases[] = {
        {"mono.ogg", 1, 16, ""},        {"stereo.ogg", 2, 16, ""},      {"mono16.caf", 1, 16, "pcm_s16le"},
        {"stereo16.caf", 2, 16, "pcm_s16le"}, {"mono8.caf", 1, 8, "pcm_s8"}, {"stereo8.caf", 2, 8, "pcm_s8"},
        // Samples OpenAL does not take as stored become 16-bit ones.
        {"big.caf", 1, 16, "pcm_s16be"}, {"wide.caf", 2, 16, "pcm_s24le"}, {"float.caf", 1, 16, "pcm_f32be"},
        // The content decides, whatever the name says.
        {"ogg.wav", 2, 16, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        SGSound sound;
        const bool misnamed = c.file == "ogg.wav";
        const std::string path = misnamed         ? dir.file(c.file)
                                 : c.codec.empty() ? tone(c.file, c.channels)
                                                   : caf(c.file, c.channels, c.codec);
        if (misnamed)
            std::filesystem::rename(tone("ogg.ogg", c.channels), path);
        EXPECT_TRUE(sound.loadFromFile(path.c_str()));
        ASSERT_EQ(sound.bufferCount, 1);
        const BufferInfo info = infoOf(sound);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bits, c.bits);
        EXPECT_EQ(info.frequency, kRate);
        EXPECT_EQ(info.bytes, kFrames * c.channels * c.bits / 8);
        EXPECT_NEAR(relativeLevel(sound, c.channels), 1.0, 0.05);
        sound.freeSound();
    }
}

TEST_F(SGSoundTest, OtherFilesAreMixedDownToMono16AtTheirOwnRate)
{
    const std::string wav = tone("stereo.wav", 2);
    const struct {
        std::string file;
        int rate;
        bool exactLength;
    } cases[] = {
        {"mono.wav", kRate, true},       {"stereo.wav", kRate, true}, {"stereo.aiff", kRate, true},
        {"stereo.flac", 44100, true},    {"ulaw.caf", kRate, true},   {"stereo.mp3", kRate, false},
        {"stereo.m4a", kRate, false},
        // What the Mac's converter read in CAF, AIFF-C and WAV files.
        {"ima4.caf", kRate, false},      {"alaw.caf", kRate, true},
        {"alac.caf", kRate, true},       {"mp3.caf", kRate, false},   {"ima4.aifc", kRate, false},
        {"sowt.aifc", kRate, true},      {"ima.wav", kRate, false},   {"msadpcm.wav", kRate, false},
    };
    // Encoded from the stereo tone by ffmpeg, with these options.
    const std::map<std::string, std::vector<std::string>> encodings = {
        {"stereo.mp3", {}},                      {"stereo.m4a", {}},
        {"ima4.caf", {"-c:a", "adpcm_ima_qt"}},  {"alaw.caf", {"-c:a", "pcm_alaw"}},
        {"alac.caf", {"-c:a", "alac"}},
        {"mp3.caf", {"-c:a", "libmp3lame"}},     {"ima4.aifc", {"-c:a", "adpcm_ima_qt"}},
        {"sowt.aifc", {"-c:a", "pcm_s16le"}},    {"ima.wav", {"-c:a", "adpcm_ima_wav"}},
        {"msadpcm.wav", {"-c:a", "adpcm_ms"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path;
        if (encodings.count(c.file)) {
            path = dir.file(c.file);
            std::vector<std::string> command{"/usr/bin/ffmpeg", "-i", wav};
            command.insert(command.end(), encodings.at(c.file).begin(), encodings.at(c.file).end());
            command.push_back(path);
            make(command);
        } else if (c.file == "ulaw.caf") {
            path = tone(c.file, 1, kRate, {"-e", "u-law"});
        } else {
            path = tone(c.file, c.file == "mono.wav" ? 1 : 2, c.rate);
        }
        SGSound sound;
        sound.loadFromFile(path.c_str());
        ASSERT_EQ(sound.bufferCount, 1);
        const BufferInfo info = infoOf(sound);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.bits, 16);
        EXPECT_EQ(info.frequency, c.rate);
        const long frames = c.rate / 2;
        if (c.exactLength)
            EXPECT_EQ(info.bytes, frames * 2);
        else
            EXPECT_NEAR(info.bytes / 2, frames, 2400);
        // Lossy codecs lose a little level.
        EXPECT_NEAR(relativeLevel(sound, 1, c.rate), 1.0, c.exactLength ? 0.05 : 0.1);
        sound.freeSound();
    }
}

TEST_F(SGSoundTest, StereoIsMixedNotCut)
{
    // Left channel a tone, right channel silent: the mix is the tone at
    // half its level.
    const std::string path = dir.file("left.wav");
    make({"/usr/bin/sox", "-r", std::to_string(kRate), "-n", "-c", "2", path, "synth", std::to_string(kFrames) + "s", "sine",
          "441", "vol", "0.5", "remix", "1", "0"});
    SGSound sound;
    sound.loadFromFile(path.c_str());
    ASSERT_EQ(sound.bufferCount, 1);
    EXPECT_NEAR(relativeLevel(sound, 1), 0.5, 0.05);
    sound.freeSound();
}

TEST_F(SGSoundTest, OggLengthsAtTheChunkEdgeAndNothingAtAll)
{
    // 65536 mono frames decode to exactly one 131072-byte chunk.
    const std::string exact = dir.file("exact.ogg");
    make({"/usr/bin/sox", "-r", std::to_string(kRate), "-n", "-c", "1", exact, "synth", "65536s", "sine", "441", "vol", "0.5"});
    SGSound sound;
    sound.loadFromFile(exact.c_str());
    EXPECT_EQ(infoOf(sound).bytes, 131072);
    sound.freeSound();

    const std::string empty = dir.file("empty.ogg");
    make({"/usr/bin/sox", exact, empty, "trim", "0", "0"});
    sound.loadFromFile(empty.c_str());
    ASSERT_EQ(sound.bufferCount, 1);
    EXPECT_EQ(infoOf(sound).bytes, 0);
    EXPECT_EQ(infoOf(sound).frequency, kRate);
    sound.freeSound();
}

TEST_F(SGSoundTest, ALinearPCMCAFOfMoreThanTwoChannelsLeavesTheSoundEmpty)
{
    const std::string path = caf("three.caf", 3, "pcm_s16le");
    testing::internal::CaptureStderr();
    SGSound sound;
    EXPECT_TRUE(sound.loadFromFile(path.c_str()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sound.bufferCount, 0);
    EXPECT_EQ(sound.buffers, nullptr);
    EXPECT_EQ(err.rfind(path + ": ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(SGSoundTest, FilesThatCannotBeDecodedThrowAndLeaveTheSoundEmpty)
{
    writeFile(dir.file("text.ogg"), "this is no sound\n");
    writeFile(dir.file("text.wav"), "this is no sound either\n");
    writeFile(dir.file("empty.caf"), "");
    const std::string six = tone("six.wav", 6);
    const std::string three = tone("three.ogg", 3);
    const std::string whole = readFile(tone("whole.wav", 1));
    writeFile(dir.file("truncated.wav"), whole.substr(0, 30));
    for (const char* name :
         {"text.ogg", "text.wav", "empty.caf", "six.wav", "three.ogg", "truncated.wav", "missing.ogg", "missing.caf"}) {
        SCOPED_TRACE(name);
        SGSound sound;
        EXPECT_THROW(sound.loadFromFile(dir.file(name).c_str()), KVSoundLoadError);
        EXPECT_EQ(sound.bufferCount, 0);
        EXPECT_EQ(sound.buffers, nullptr);
    }
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SGSoundTest, ADamagedOggKeepsWhatCouldBeDecoded)
{
    // Noise, so that the sound spans many pages.
    const std::string path = dir.file("damaged.ogg");
    make({"/usr/bin/sox", "-r", std::to_string(kRate), "-n", "-c", "1", path, "synth", "44100s", "whitenoise", "vol",
          "0.5"});
    std::string bytes = readFile(path);
    // Scribble over a page: the reader reports a hole there and reads on.
    for (size_t i = bytes.size() * 7 / 10; i < bytes.size() * 7 / 10 + 50; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    writeFile(path, bytes);
    SGSound sound;
    testing::internal::CaptureStdout();
    try {
        sound.loadFromFile(path.c_str());
    } catch (const KVSoundLoadError& e) {
        ADD_FAILURE() << e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Ogg read had an error\n");
    ASSERT_EQ(sound.bufferCount, 1);
    const int decoded = infoOf(sound).bytes;
    EXPECT_GT(decoded, 44100);
    EXPECT_LT(decoded, 44100 * 2);
    sound.freeSound();
}
