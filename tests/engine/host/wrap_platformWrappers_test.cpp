// The platformWrappers module: clocks, debug statements, music.
#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVString.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSounds.h"

namespace {

TEST(PlatformWrappers, ClockSystemTimeAndDebugStatements)
{
    LuaTestState s;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(s.run("t = platformWrappers.getClockTime()"), "");
    // Keys 1 to 6 follow key 0.
    EXPECT_EQ(s.eval("t[0] .. ' ' .. t[1] .. ' ' .. tostring(t[7]) .. ' ' .. #t"),
              std::to_string(local.tm_year + 1900) + " " + std::to_string(local.tm_mon + 1) + " nil 6");
    EXPECT_EQ(s.eval("t[2] >= 1 and t[2] <= 31 and t[3] < 24 and t[4] < 60 and t[5] <= 60 and t[6] < 1000"), "true");
    EXPECT_EQ(s.run("a = platformWrappers.getSystemTime() for i = 1, 1e5 do end b = platformWrappers.getSystemTime()"), "");
    EXPECT_EQ(s.eval("type(a) == 'number' and b >= a and a >= 0"), "true");

    // Debug statements are posted as notifications.
    std::vector<std::string> statements;
    auto& center = KVNotificationCenter::defaultCenter();
    const auto token = center.addObserver("KVLogDebugStatementNotification", nullptr, [&](const KVNotification& n) {
        auto key = KVString::withString("debugStatement");
        auto* text = n.userInfo ? dynamic_cast<KVString*>(n.userInfo->objectForKey(key.get())) : nullptr;
        statements.push_back((n.object ? "object " : "") + (text ? text->utf8() : "<missing>"));
    });
    EXPECT_EQ(s.run("platformWrappers.logDebugStatement('ignored', 'score 12') platformWrappers.logDebugStatement(7)"),
              "");
    center.removeObserver(token);
    EXPECT_EQ(statements, (std::vector<std::string>{"score 12", "7"}));
}

TEST(PlatformWrappers, MusicFunctionsAnswerAsScriptsExpect)
{
    LuaTestState s;
    ASSERT_EQ(s.run("P = platformWrappers function n(...) return select('#', ...) end"), "");
    EXPECT_EQ(s.eval("n(P.playMusic(nil, 1)) .. n(P.pauseMusic()) .. n(P.stopMusic()) .. n(P.setMusicVolume(0.5))"),
              "0000");
    EXPECT_EQ(s.eval("type(P.isMusicPlaying()) .. P.isMusicPlaying()"), "number0");  // a number, not a boolean

    // The flag is taken as a number: true is 0 and plays once, as a lone
    // argument (the path) does; 1 loops. Heard through the loopback device.
    ASSERT_TRUE(soundTestOutputReady());
    TempDir dir;
    writeWav(dir.file("short.wav"), kSoundTestRate, 2, sineSamples(kSoundTestRate, 2, 3000, 441, 16000));
    ASSERT_EQ(s.run("path = '" + dir.file("short.wav") + "'"), "");
    for (const auto& [call, loops] : {std::pair{"playMusic(path, true)", false}, std::pair{"playMusic(path)", false},
                                      std::pair{"playMusic(path, 1)", true}}) {
        SCOPED_TRACE(call);
        ASSERT_EQ(s.run(std::string("platformWrappers.") + call), "");
        const std::vector<float> out = renderSound(9000);
        EXPECT_GT(peak(out, 0, 2 * 3000), 0.4f);
        EXPECT_EQ(peak(out, 2 * 3100) > 0.4f, loops);
    }
    ASSERT_EQ(s.run("platformWrappers.stopMusic()"), "");
}

}  // namespace
