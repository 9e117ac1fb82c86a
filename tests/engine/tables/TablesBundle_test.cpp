// The Tables bundle run twice by the player with one save folder: the first
// run saves its table to the tables directory, the second reads it back, and
// both print the same values.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

TEST(TablesBundle, SecondRunReadsBackWhatTheFirstSaved)
{
    const std::string player = std::string(KV_BUILD_DIR) + "/kelvane-player";
    const std::string bundle = std::string(KV_TEST_DATA_DIR) + "/bundles/Tables.app";
    TempDir dir;
    const std::vector<std::string> args = {player,   "--headless", "--fixed-step", "--frames", "2",
                                           "--save-dir", dir.path(), bundle};
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dir.file("data")};

    ProgramResult first = runProgram(args, env);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("tables: saved"), std::string::npos) << first.err;
    // The tables directory is the save path itself, so the name follows it directly.
    EXPECT_TRUE(fileExists(dir.path() + "/save.datascores.xml"));

    ProgramResult second = runProgram(args, env);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.err.find("tables: read back"), std::string::npos) << second.err;
    EXPECT_EQ(second.out, first.out);
}
