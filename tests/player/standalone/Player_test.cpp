// The player program run as users and tests run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";

// Writes a bundle whose engine script is the given Lua source.
std::string makeBundle(const TempDir& dir, const std::string& script, const std::string& name = "Saver")
{
    const std::string bundle = dir.file(name + ".app");
    const std::string resources = bundle + "/Contents/Resources";
    std::filesystem::create_directories(resources + "/B.gameproj");
    std::filesystem::create_directories(resources + "/A.gameproj");
    writeFile(bundle + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleName</key><string>" + name + "</string></dict></plist>\n");
    writeFile(resources + "/engine64.luo", script);
    return bundle;
}

TEST(Player, SavedValuesSurviveTwoRuns)
{
    TempDir dir;
    const std::string bundle = makeBundle(dir, R"(
        Project = {new = function() return {load = function(self, path) print("project " .. path:match("[^/]+$")) end} end}
        function play()
            local runs = tonumber(database.loadValueForKey("runs") or 0) + 1
            database.storeValueForKey(runs, "runs")
            print("run " .. runs)
        end)");
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dir.file("data")};
    ProgramResult first = runProgram({kPlayer, "--headless", "--frames", "1", bundle}, env);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "project A.gameproj\nrun 1\n") << "the first game project by name is loaded";
    ProgramResult second = runProgram({kPlayer, "--headless", "--frames", "1", "--pool", bundle}, env);
    EXPECT_EQ(second.out, "project A.gameproj\nrun 2\n");
    EXPECT_TRUE(fileExists(dir.file("data/Saver/save.datapersistent.save")));

    ProgramResult elsewhere =
        runProgram({kPlayer, "--headless", "--frames", "1", "--save-dir", dir.file("saves/x"), bundle}, env);
    EXPECT_EQ(elsewhere.out, "project A.gameproj\nrun 1\n");
    EXPECT_TRUE(fileExists(dir.file("saves/x/save.datapersistent.save")));
}

TEST(Player, RunsUntilTheScriptEndsTheGame)
{
    TempDir dir;
    const std::string bundle = makeBundle(dir, R"(
        frames = 0
        function update(dt) frames = frames + 1 if frames == 5 then callbacks.gameDidEnd() end end
        function stop() print("stopped after " .. frames) end)");
    ProgramResult result = runProgram({kPlayer, "--headless", bundle}, {"XDG_DATA_HOME=" + dir.file("data")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "stopped after 5\n");
}

TEST(Player, MissingPartsOfABundleAreNamed)
{
    TempDir dir;
    ProgramResult none = runProgram({kPlayer, "--headless", dir.file("Nothing.app")});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find(dir.file("Nothing.app")), std::string::npos) << none.err;

    const std::string bundle = makeBundle(dir, "");
    std::filesystem::remove(bundle + "/Contents/Resources/engine64.luo");
    ProgramResult noEngine = runProgram({kPlayer, "--headless", bundle});
    EXPECT_EQ(noEngine.status, 1);
    EXPECT_NE(noEngine.err.find("engine64.luo"), std::string::npos);

    writeFile(bundle + "/Contents/Resources/engine64.luo", "");
    std::filesystem::remove_all(bundle + "/Contents/Resources/A.gameproj");
    std::filesystem::remove_all(bundle + "/Contents/Resources/B.gameproj");
    ProgramResult noProject = runProgram({kPlayer, "--headless", bundle});
    EXPECT_EQ(noProject.status, 1);
    EXPECT_NE(noProject.err.find("gameproj"), std::string::npos);

    writeFile(bundle + "/Contents/Info.plist", "not a plist at all");
    ProgramResult badPlist = runProgram({kPlayer, "--headless", bundle});
    EXPECT_EQ(badPlist.status, 1);
    EXPECT_NE(badPlist.err.find("Info.plist"), std::string::npos);
    EXPECT_EQ(std::count(badPlist.err.begin(), badPlist.err.end(), '\n'), 1) << badPlist.err;
}

TEST(Player, OptionsAreCheckedAndExplained)
{
    EXPECT_EQ(runProgram({kPlayer, "--frobnicate", "x.app"}).status, 2);
    EXPECT_EQ(runProgram({kPlayer, "--headless", "--frames", "many", "x.app"}).status, 2);
    EXPECT_EQ(runProgram({kPlayer, "--headless", "--frames"}).status, 2);
    ProgramResult noBundle = runProgram({kPlayer, "--headless"});
    EXPECT_EQ(noBundle.status, 1) << "the program does not lie inside a bundle";
    EXPECT_EQ(std::count(noBundle.err.begin(), noBundle.err.end(), '\n'), 1) << noBundle.err;
    EXPECT_EQ(runProgram({kPlayer, "--fullscreen", "--windowed", "x.app"}).status, 2);
    EXPECT_EQ(runProgram({kPlayer, "--input", "", "x.app"}).status, 2);
    ProgramResult usage = runProgram({kPlayer, "--bad"});
    EXPECT_NE(usage.err.find("Usage: kelvane-player"), std::string::npos);

    ProgramResult help = runProgram({kPlayer, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--fixed-step"), std::string::npos);
    ProgramResult version = runProgram({kPlayer, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kelvane-player ", 0), 0u);
}

}  // namespace
