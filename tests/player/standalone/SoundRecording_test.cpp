// What a headless game sounds like, recorded through OpenAL Soft's wave
// back end and measured with sox.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";

std::string makeBundle(const TempDir& dir, const std::string& script)
{
    const std::string bundle = dir.file("Recording.app");
    const std::string resources = bundle + "/Contents/Resources";
    std::filesystem::create_directories(resources + "/Recording.gameproj");
    writeFile(bundle + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleName</key><string>Recording</string></dict></plist>\n");
    writeFile(resources + "/engine64.luo", script);
    return bundle;
}

// The RMS amplitude (0 to 1) of `seconds` of the file from `start`, as sox
// measures it; -1 when sox fails.
double soxRms(const std::string& wav, double start, double seconds)
{
    const ProgramResult r =
        runProgram({"/usr/bin/sox", wav, "-n", "trim", std::to_string(start), std::to_string(seconds), "stat"});
    const size_t at = r.err.find("RMS     amplitude:");
    if (r.status != 0 || at == std::string::npos)
        return -1;
    return std::strtod(r.err.c_str() + at + 18, nullptr);
}

// Music from the start, stopped by the script after one second; the game
// ends half a second later.
const char* kMusicScript = R"(
Project = {new = function() return {load = function(self, path) gamePath = path end} end}
function play()
    sharedSoundManager = soundManager.new()
    platformWrappers.playMusic(gamePath .. "/music.wav", 1)
    print("music playing " .. platformWrappers.isMusicPlaying())
    start = platformWrappers.getSystemTime()
end
function update(dt)
    sharedSoundManager:update()
    local t = platformWrappers.getSystemTime() - start
    if t > 1.0 and not stopped then
        platformWrappers.stopMusic()
        stopped = true
        print("music playing " .. platformWrappers.isMusicPlaying())
    end
    if t > 1.5 then callbacks.gameDidEnd() end
end
)";

TEST(SoundRecording, MusicIsHeardUntilTheScriptStopsIt)
{
    TempDir dir;
    const std::string bundle = makeBundle(dir, kMusicScript);
    // Half a second of tone, looped.
    writeWav(bundle + "/Contents/Resources/Recording.gameproj/music.wav", 44100, 2,
             sineSamples(44100, 2, 22050, 330, 12000));
    const std::string wav = dir.file("out.wav");
    writeFile(dir.file("alsoft.conf"), "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n"
                                       "frequency = 44100\n[wave]\nfile = " + wav + "\n");

    const ProgramResult run = runProgram({kPlayer, "--headless", bundle},
                                         {"ALSOFT_CONF=" + dir.file("alsoft.conf"), "ALSOFT_DRIVERS=",
                                          "XDG_DATA_HOME=" + dir.file("data")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "music playing 1\nmusic playing 0\n");
    ASSERT_TRUE(fileExists(wav)) << run.err;

    // The tone's RMS is 12000 / 32768 / sqrt(2), about 0.26, through the
    // loop point at 0.5 s; silence after the stop.
    EXPECT_NEAR(soxRms(wav, 0.1, 0.8), 0.26, 0.03);
    const double after = soxRms(wav, 1.2, 0.2);
    EXPECT_GE(after, 0);
    EXPECT_LT(after, 0.001);
}

}  // namespace
