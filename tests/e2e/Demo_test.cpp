// The demo game played headless by scripted input, as a user would play it:
// its screens checked by pixels, its high score kept between two runs.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kDemo = std::string(KV_BUILD_DIR) + "/examples/Demo.app";

// Level 1 has its basket at x 360 (120 wide), level 2 at 130. The crane
// starts at 240 and moves 220 points a second; it can drop again 0.8 s
// after a drop.
const char* const kPlay =
    "# start, then a box dropped by the mouse into the basket\n"
    "10 keydown space\n"
    "11 keyup space\n"
    "20 mousemove 360 100\n"
    "21 mousedown 360 100\n"
    "22 mouseup 360 100\n"
    "# the arrow keys move the crane left; space drops a box on the grass\n"
    "90 keydown left\n"
    "120 keyup left\n"
    "125 keydown space\n"
    "126 keyup space\n"
    "# the mouse again, onto the first box\n"
    "180 mousemove 360 100\n"
    "181 mousedown 360 100\n"
    "182 mouseup 360 100\n"
    "# level 2\n"
    "350 mousemove 130 100\n"
    "351 mousedown 130 100\n"
    "352 mouseup 130 100\n"
    "# Q ends the game; the new high score asks for a name\n"
    "420 keydown q\n"
    "421 keyup q\n"
    "430 text Ada\n"
    "431 keydown return\n"
    "432 keyup return\n";

struct DemoRun {
    ProgramResult result;
    Picture shot;
};

// A headless run of the demo for the given frames, with its save folder and
// scripted input ("" for none); the last frame comes back as a picture.
DemoRun playDemo(const TempDir& dir, const std::string& save, const std::string& input, int frames,
             const std::vector<std::string>& env = {})
{
    const std::string shot = dir.file("shot" + std::to_string(frames) + ".png");
    std::vector<std::string> argv = {kPlayer, "--headless", "--fixed-step", "--frames", std::to_string(frames),
                                     "--save-dir", save, "--screenshot", shot};
    if (!input.empty()) {
        writeFile(dir.file("input"), input);
        argv.insert(argv.end(), {"--input", dir.file("input")});
    }
    argv.push_back(kDemo);
    ProgramResult result = runProgram(argv, env);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("Lua Error"), std::string::npos) << result.out;
    EXPECT_EQ(result.err.find("Lua Error"), std::string::npos) << result.err;
    return {result, Picture(shot)};
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Colours of the game's pictures, loosely: the screenshots are blended and
// filtered.
bool sky(const Rgba& c) { return c.b > 200 && c.b > c.r + 40; }
bool grass(const Rgba& c) { return c.g > 120 && c.g > c.r + 50 && c.g > c.b + 50; }
bool wood(const Rgba& c) { return c.r > 140 && c.r > c.g + 30 && c.g > c.b + 20; }
bool white(const Rgba& c) { return c.r > 230 && c.g > 230 && c.b > 230; }
bool yellow(const Rgba& c) { return c.r > 200 && c.g > 180 && c.b < 120; }
bool warm(const Rgba& c) { return c.r > 200 && c.b < 150 && c.r > c.g + 30; }

}  // namespace

TEST(Demo, TitleScreen)
{
    TempDir dir;
    DemoRun title = playDemo(dir, dir.file("save"), "", 30);
    EXPECT_EQ(title.result.out, "Box Drop: no high score yet\n");
    ASSERT_EQ(title.shot.width(), 480);
    ASSERT_EQ(title.shot.height(), 320);
    EXPECT_TRUE(sky(title.shot.at(20, 150)));
    EXPECT_TRUE(grass(title.shot.at(240, 310)));
    // The title in yellow on the darkened panel.
    EXPECT_GT(title.shot.count(150, 75, 180, 40, yellow), 200);
    EXPECT_FALSE(sky(title.shot.at(240, 240))) << "the panel darkens the sky";
}

TEST(Demo, PlayedByKeysAndTheMouse)
{
    TempDir dir;
    DemoRun playing = playDemo(dir, dir.file("save"), kPlay, 200);
    EXPECT_EQ(playing.result.out, "Box Drop: no high score yet\nlevel 1\n"
                                  "drop 1 at 360\nscore 1\ndrop 2 at 250\ndrop 3 at 360\n");
    const Picture& shot = playing.shot;
    // The first box in the basket between its walls, the second on the
    // grass where the keys took the crane, the third falling.
    EXPECT_TRUE(wood(shot.at(370, 254)));
    EXPECT_TRUE(wood(shot.at(303, 260)));
    EXPECT_TRUE(wood(shot.at(416, 260)));
    EXPECT_TRUE(wood(shot.at(260, 258)));
    EXPECT_GT(shot.count(340, 70, 40, 60, wood), 400);
    // Every other box is mirrored: its brace runs the other way.
    EXPECT_FALSE(wood(shot.at(352, 250)));
    EXPECT_TRUE(wood(shot.at(368, 250)));
    EXPECT_TRUE(wood(shot.at(242, 256)));
    EXPECT_FALSE(wood(shot.at(258, 256)));
    EXPECT_TRUE(sky(shot.at(330, 200)));
    EXPECT_TRUE(grass(shot.at(100, 310)));
    // "Score 1" in the top left corner.
    EXPECT_GT(shot.count(8, 5, 90, 22, white), 20);
}

TEST(Demo, StarsWhenABoxScoresAndCloudsThatWrapAround)
{
    TempDir dir;
    // The first box scores at about frame 85; the stars rise over the
    // basket for a second.
    DemoRun celebrating = playDemo(dir, dir.file("save"), kPlay, 110);
    DemoRun later = playDemo(dir, dir.file("save2"), kPlay, 200);
    auto stars = [](const Picture& shot) { return shot.count(290, 110, 140, 126, warm); };
    EXPECT_GT(stars(celebrating.shot), 50);
    EXPECT_EQ(stars(later.shot), 0);

    // Three clouds 160 apart drift right at 12 points a second. At frame
    // 110 the first is at x 22, and its copy one screen width on shows at
    // the right edge; by frame 200 that copy has moved off.
    EXPECT_TRUE(white(celebrating.shot.at(22, 105)));
    EXPECT_TRUE(white(celebrating.shot.at(182, 105)));
    EXPECT_TRUE(sky(celebrating.shot.at(100, 105)));
    EXPECT_TRUE(white(celebrating.shot.at(475, 105)));
    EXPECT_TRUE(sky(later.shot.at(475, 105)));
}

TEST(Demo, HighScoreAndItsNameSurviveASecondRun)
{
    TempDir dir;
    const std::string save = dir.file("save");
    DemoRun first = playDemo(dir, save, kPlay, 460);
    EXPECT_TRUE(contains(first.result.out, "level 2\ndrop 4 at 130\nscore 3\ngame over: score 3\nhigh score 3\n"
                                           "name Ada\n"))
        << first.result.out;
    // The game-over screen's title.
    EXPECT_GT(first.shot.count(150, 75, 180, 40, yellow), 200);

    DemoRun second = playDemo(dir, save, "", 30);
    EXPECT_EQ(second.result.out, "Box Drop: best 3 by Ada\n");
    // The recent games are a saved table beside the saved values.
    const std::string table = readFile(save + "/save.datascores.xml");
    EXPECT_TRUE(contains(table, ">Ada</column>")) << table;
    EXPECT_TRUE(contains(table, ">3</column>")) << table;
    EXPECT_TRUE(fileExists(save + "/save.datapersistent.save"));
}

TEST(Demo, InAWindowAfterItsLoadingImage)
{
    if (access("/usr/bin/xvfb-run", X_OK) != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    TempDir dir;
    // Default.png first sizes the window to itself; the game then takes the
    // size its description gives, which happens to be the same.
    Picture loading(kDemo + "/Contents/Resources/Default.png");
    EXPECT_EQ(loading.width(), 480);
    EXPECT_EQ(loading.height(), 320);
    ProgramResult run = runProgram({"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1024x768x24", kPlayer, "--frames",
                                    "60", "--screenshot", dir.file("window.png"), "--save-dir", dir.file("save"), kDemo},
                                   {"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Box Drop: no high score yet\n");
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    Picture shot(dir.file("window.png"));
    ASSERT_EQ(shot.width(), 480);
    EXPECT_TRUE(sky(shot.at(20, 150)));
    EXPECT_GT(shot.count(150, 75, 180, 40, yellow), 200);
}
