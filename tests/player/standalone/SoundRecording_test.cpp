// What a headless game sounds like, recorded through OpenAL Soft's wave
// back end and measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBundle.h"
#include "tests/support/TestSounds.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";

constexpr int kRate = 44100;

// Where the recording sounds: [start, end) sample indices of each stretch of
// 10 ms blocks whose peak is above the dither of silence.
std::vector<std::pair<size_t, size_t>> soundingStretches(const std::vector<float>& sound)
{
    constexpr size_t kBlock = kRate / 100;
    std::vector<std::pair<size_t, size_t>> stretches;
    for (size_t at = 0, end; at < sound.size(); at = end) {
        end = std::min(sound.size(), at + kBlock);
        if (std::none_of(&sound[at], &sound[0] + end, [](float x) { return std::fabs(x) > 100 / 32768.0f; }))
            continue;
        if (stretches.empty() || stretches.back().second != at)
            stretches.push_back({at, end});
        stretches.back().second = end;
    }
    return stretches;
}

// Music from the start, stopped by the script after one second; at 1.3 s a
// sound player node plays the effect "boom" loaded by the asset manager;
// the game ends at 2 s.
const char* kMusicAndEffectScript = R"(
Project = {new = function() return {
    load = function(self, path) gamePath = path end,
    pathForSound = function(self, name) return gamePath .. "/" .. name .. ".wav" end,
} end}
function play()
    sharedSoundManager = soundManager.new()
    sharedAssetManager = assetManager.new()
    scene = scenegraph.scene.new(sharedSoundManager, sharedAssetManager)
    local space = scene:createSpace(scenegraph.ortho2DSpace)
    space:createNode(scenegraph.soundListenerNode)
    local loader = space:createNode(scenegraph.soundLoaderNode)
    effect = space:createNode(scenegraph.soundPlayerNode)
    loader.name:setValue("boom", true)
    effect.sound:setValue(loader.asset)
    platformWrappers.playMusic(gamePath .. "/music.wav", 1)
    print("music playing " .. platformWrappers.isMusicPlaying())
    start = platformWrappers.getSystemTime()
end
function update(dt)
    scene:render()
    sharedSoundManager:update()
    local t = platformWrappers.getSystemTime() - start
    if t > 1.0 and not stopped then
        platformWrappers.stopMusic()
        stopped = true
        print("music playing " .. platformWrappers.isMusicPlaying())
    end
    if t > 1.3 and not fired then
        effect.trigger:setValue(true, true)
        print("effect playing " .. tostring(effect.playing:value()))
        effect.trigger:setValue(false, true)
        fired = true
    end
    if t > 2.0 then
        print("effect playing " .. tostring(effect.playing:value()))
        callbacks.gameDidEnd()
    end
end
function shutdownEngine()
    scene:delete()
    sharedAssetManager:delete()
    sharedSoundManager:delete()
end
)";

TEST(SoundRecording, MusicAndAScriptedEffectAreHeardInTurnOrPlaySilentlyWithoutADevice)
{
    TempDir dir;
    const std::string bundle = writeBundle(dir.path(), "Recording", kMusicAndEffectScript);
    const std::string project = bundle + "/Contents/Resources/Recording.gameproj/";
    // Music: half a second of a 330 Hz tone, looped. The effect: 0.3 s of
    // 1000 Hz, mono, as sound effects are loaded.
    writeWav(project + "music.wav", 44100, 2, sineSamples(44100, 2, 22050, 330, 12000));
    writeWav(project + "boom.wav", 22050, 1, sineSamples(22050, 1, 6615, 1000, 12000));
    const std::string wav = dir.file("out.wav");
    writeFile(dir.file("alsoft.conf"), "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n"
                                       "frequency = 44100\n[wave]\nfile = " + wav + "\n");

    const ProgramResult run = runProgram({kPlayer, "--headless", bundle},
                                         {"ALSOFT_CONF=" + dir.file("alsoft.conf"), "ALSOFT_DRIVERS=",
                                          "XDG_DATA_HOME=" + dir.file("data")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "music playing 1\nmusic playing 0\neffect playing true\neffect playing false\n");
    ASSERT_TRUE(fileExists(wav)) << run.err;

    // Two stretches of sound in the recording: the music, for about the
    // second the script let it play (through its loop point at 0.5 s),
    // then the effect for exactly its length. Both tones have an RMS of
    // 12000 / 32768 / sqrt(2), about 0.26: the effect plays at its own
    // level, right under the listener. Where they fall in the file depends
    // on the machine's pace, so they are found, not assumed.
    const std::vector<float> sound = readSound(wav, kRate);
    const auto stretches = soundingStretches(sound);
    ASSERT_EQ(stretches.size(), 2u);
    const auto [music, effect] = std::make_pair(stretches[0], stretches[1]);
    EXPECT_GT(music.second - music.first, kRate * 8 / 10);
    EXPECT_LT(music.first, kRate / 2);  // a loaded machine opens the device late
    EXPECT_GT(effect.first - music.second, kRate / 50);  // in turn: silence between them
    EXPECT_NEAR(effect.second - effect.first, kRate * 0.3, kRate * 0.03);
    const size_t margin = kRate / 20;
    for (const auto& [stretch, hz] : {std::make_pair(music, 330.0), std::make_pair(effect, 1000.0)}) {
        EXPECT_NEAR(rms(sound, stretch.first + margin, stretch.second - margin), 0.26, 0.03) << hz;
        EXPECT_NEAR(frequency(sound, stretch.first + margin, stretch.second - margin, kRate), hz, hz / 22) << hz;
    }

    // Without a sound device (no back end of that name) the game runs all
    // the same, its sounds played silently in real time: the effect ends.
    const ProgramResult silent = runProgram({kPlayer, "--headless", bundle},
                                            {"ALSOFT_DRIVERS=no-such-driver", "ALSOFT_CONF=/dev/null",
                                             "XDG_DATA_HOME=" + dir.file("data")});
    EXPECT_EQ(silent.status, 0) << silent.err;
    EXPECT_EQ(silent.out, run.out);
    EXPECT_NE(silent.err.find("No sound device can be opened"), std::string::npos) << silent.err;
}

}  // namespace
