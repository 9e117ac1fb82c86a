// The demo game played headless by scripted input, as a user would play it:
// its high score and the name typed for it kept between two runs. (What its
// screens look like is compared with reference screenshots.)
#include <gtest/gtest.h>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kDemo = std::string(KV_BUILD_DIR) + "/examples/Demo.app";

// Level 1 has its basket at x 360, level 2 at 130. The crane starts at 240
// and moves 220 points a second; it can drop again 0.8 s after a drop.
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

// A headless run of the demo for the given frames with its save folder and
// scripted input ("" for none).
ProgramResult playDemo(const TempDir& dir, const std::string& input, int frames)
{
    std::vector<std::string> argv = {kPlayer, "--headless", "--fixed-step", "--frames", std::to_string(frames),
                                     "--save-dir", dir.file("save")};
    if (!input.empty()) {
        writeFile(dir.file("input"), input);
        argv.insert(argv.end(), {"--input", dir.file("input")});
    }
    argv.push_back(kDemo);
    ProgramResult result = runProgram(argv);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("Lua Error"), std::string::npos) << result.out;
    EXPECT_EQ(result.err.find("Lua Error"), std::string::npos) << result.err;
    return result;
}

}  // namespace

TEST(Demo, PlayedByKeysAndTheMouseItsHighScoreAndNameSurviveASecondRun)
{
    TempDir dir;
    const ProgramResult first = playDemo(dir, kPlay, 460);
    // Boxes dropped where the mouse and the keys took the crane.
    EXPECT_EQ(first.out, "Box Drop: no high score yet\nlevel 1\ndrop 1 at 360\nscore 1\ndrop 2 at 250\n"
                         "drop 3 at 360\nscore 2\nlevel 2\ndrop 4 at 130\nscore 3\ngame over: score 3\n"
                         "high score 3\nname Ada\n");

    EXPECT_EQ(playDemo(dir, "", 30).out, "Box Drop: best 3 by Ada\n");
    // The recent games are a saved table beside the saved values.
    const std::string table = readFile(dir.file("save/save.datascores.xml"));
    EXPECT_NE(table.find(">Ada</column>"), std::string::npos) << table;
    EXPECT_NE(table.find(">3</column>"), std::string::npos) << table;
    EXPECT_TRUE(fileExists(dir.file("save/save.datapersistent.save")));
}
