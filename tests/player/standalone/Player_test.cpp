// The player program run as users and tests run it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBundle.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";

TEST(Player, SavedValuesSurviveTwoRuns)
{
    TempDir dir;
    const std::string bundle = writeBundle(dir.path(), "Saver", R"(
        Project = {new = function() return {load = function(self, path) print("project " .. path:match("[^/]+$")) end} end}
        function play()
            local runs = tonumber(database.loadValueForKey("runs")) or 0
            database.storeValueForKey(runs + 1, "runs")
            print("run " .. runs + 1)
            -- Never closed: still completed at exit.
            open = pgf.writer.newToFile(database.getTablesDirectoryPath() .. "run.json", "json")
            if open then open:startElement("run") open:endElement() end
        end
        -- The state is not destroyed at exit.
        function shutdownEngine() print("shutdownEngine") end)");
    for (const char* project : {"B.gameproj", "A.gameproj"})
        std::filesystem::create_directories(bundleResources(bundle) + "/" + project);
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dir.file("data")};
    ProgramResult first = runProgram({kPlayer, "--headless", "--frames", "1", bundle}, env);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "project A.gameproj\nrun 1\n") << "the first game project by name is loaded";
    ProgramResult second = runProgram({kPlayer, "--headless", "--frames", "1", "--pool", bundle}, env);
    EXPECT_EQ(second.out, "project A.gameproj\nrun 2\n");
    EXPECT_TRUE(fileExists(dir.file("data/Saver/save.datapersistent.save")));
    EXPECT_EQ(readFile(dir.file("data/Saver/save.datarun.json")), "{\"_type\":\"run\"}");

    ProgramResult elsewhere =
        runProgram({kPlayer, "--headless", "--frames", "1", "--save-dir", dir.file("saves/x"), bundle}, env);
    EXPECT_EQ(elsewhere.out, "project A.gameproj\nrun 1\n");
    EXPECT_TRUE(fileExists(dir.file("saves/x/save.datapersistent.save")));

    // A save folder that cannot be made: the game still has its saved-values
    // module, whose loads answer nil, and is told why on one line.
    writeFile(dir.file("plain"), "");
    ProgramResult blocked =
        runProgram({kPlayer, "--headless", "--frames", "1", "--save-dir", dir.file("plain/x"), bundle}, env);
    EXPECT_EQ(blocked.status, 0) << blocked.err;
    EXPECT_EQ(blocked.out, "project A.gameproj\nrun 1\n");
    EXPECT_NE(blocked.err.find("Cannot create the save folder " + dir.file("plain/x")), std::string::npos) << blocked.err;
}

const std::string kInputBundle = std::string(KV_TEST_DATA_DIR) + "/bundles/PlayerInput.app";

// Refused before the game starts with a message naming the file or value:
// one line of the player's own, or the usage after it (status 2).
TEST(Player, BadBundlesOptionsAndFilesAreRefusedAndNamed)
{
    TempDir dir;
    auto bundle = [&](const std::string& name, const std::string& script) {
        return writeBundle(dir.path(), name, script);
    };
    std::filesystem::remove(bundle("NoEngine", "") + "/Contents/Resources/engine64.luo");
    std::filesystem::remove_all(bundleResources(bundle("NoProject", "")) + "/NoProject.gameproj");
    writeFile(bundle("BadPlist", "") + "/Contents/Info.plist", "not a plist at all");
    writeFile(dir.file("engine.lua"), "function update() print('frame') end\n");
    ASSERT_EQ(runProgram({KV_BUILD_DIR "/kvluac", "-o", dir.file("engine.luo"), dir.file("engine.lua")}).status, 0);
    const std::string chunk = readFile(dir.file("engine.luo"));
    // The length of the chunk's source name follows the 12-byte header.
    std::string hugeName = chunk;
    hugeName.replace(12, 8, std::string("\xff\xff\xff\xff\xff\xff\x00\x00", 8));
    bundle("Cut", chunk.substr(0, chunk.size() / 2));
    bundle("Huge", hugeName);
    bundle("Syntax", "x = = 1");
    writeFile(dir.file("bad"), "# comments count\n0 keydown a\n0 mousedown 1\n");
    const std::string none = dir.file("none/run.mp4"), start = "cannot start the game: " + dir.file("");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string named;
    } cases[] = {
        {{dir.file("Nothing.app")}, 1, dir.file("Nothing.app")},
        {{dir.file("NoEngine.app")}, 1, "engine64.luo"},
        {{dir.file("NoProject.app")}, 1, "gameproj"},
        {{dir.file("BadPlist.app")}, 1, "Info.plist"},
        {{dir.file("Cut.app")}, 1, start + "Cut.app/Contents/Resources/engine64.luo: unexpected end in precompiled chunk"},
        {{dir.file("Huge.app")}, 1, start + "Huge.app/Contents/Resources/engine64.luo: not enough memory"},
        {{dir.file("Syntax.app")}, 1, start + "Syntax.app/Contents/Resources/engine64.luo:1: unexpected symbol near '='"},
        {{}, 1, "bundle"},  // the program does not lie inside one
        {{"--input", dir.file("bad"), kInputBundle}, 1, dir.file("bad") + ":3: "},
        {{"--input", none, kInputBundle}, 1, none},
        {{"--record", none, kInputBundle}, 1, none},
        {{"--video", none, kInputBundle}, 1, none},
        {{"--frobnicate", "x.app"}, 2, "--frobnicate"},
        {{"--frames", "many", "x.app"}, 2, "many"},
        {{"--frames"}, 2, "--frames needs"},
        {{"--fullscreen", "--windowed", "x.app"}, 2, "--fullscreen and --windowed"},
        {{"--input", "", "x.app"}, 2, "--input needs"},
        {{"--video", "run.avi", "x.app"}, 2, "run.avi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        std::vector<std::string> argv = {kPlayer, "--headless", "--frames", "3"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProgramResult run = runProgram(
            argv, {"XDG_DATA_HOME=" + dir.file("data"), "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1"});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "");
        // A sanitizer build that lets the huge allocation fail adds a
        // warning of its own ("==PID==...").
        std::istringstream lines(run.err);
        std::vector<std::string> ours;
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 2, "==") != 0)
                ours.push_back(line);
        EXPECT_NE((ours.empty() ? "" : ours[0]).find(c.named), std::string::npos) << run.err;
        if (c.status == 1)
            EXPECT_EQ(ours.size(), 1u) << run.err;
        else
            EXPECT_NE(run.err.find("\nUsage: kelvane-player"), std::string::npos) << run.err;
    }
}

// (--help: ManualPage.)
TEST(Player, VersionAndStatistics)
{
    ProgramResult version = runProgram({kPlayer, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kelvane-player ", 0), 0u);

    TempDir dir;
    ProgramResult stats = runProgram({kPlayer, "--headless", "--frames", "4", "--stats", "--save-dir",
                                      dir.file("save"), kInputBundle});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const std::regex line("\nframes 4, median [0-9.]+ ms, p95 [0-9.]+ ms, max [0-9.]+ ms, lua memory [0-9]+ bytes\n$");
    EXPECT_TRUE(std::regex_search(stats.out, line)) << stats.out;
}

TEST(Player, ScriptedInputReachesTheGameAndTheScreenshotShowsTheClick)
{
    struct Case {
        std::vector<std::string> options;
        const char* input;
        const char* output;  // the end of what the game printed
        Rgba clicked;        // the last click's colour
        int width, height;
    };
    const Case cases[] = {
        // Reshaped when the game is loaded and again when it starts to play.
        // The click at (120, 240) in game points: red 120/480, green 240/320.
        {{"--fixed-step", "--frames", "3"},
         "# a click, keys and typed text\n0 mousedown 120 80\n1 keydown space\n1 keyup space\n1 text H\xC3\xA9 \n"
         "2 mousemove 10 10\n9 keydown never\n",
         "ready\nscreen 480x320\nscreen 480x320\nmouseDown 120 240\nkeyDown space\nkeyUp space\n"
         "keyDown H\nkeyUp H\nkeyDown \xC3\xA9\nkeyUp \xC3\xA9\nkeyDown space\nkeyUp space\nmouseMoved 10 310\nstop\n",
         {64, 191, 255, 255}, 480, 320},
        // A 480 x 320 game on a 1920 x 1080 screen: bars of 150 points each side.
        {{"--fullscreen", "--frames", "2"}, "0 mousedown 960 540\n0 mousedown 150 1080\n1 mouseup 1770 0\n",
         "screen 1920x1080\nmouseDown 960 540\nmouseDown 0 0\nmouseUp 1920 1080\nstop\n", {0, 0, 255, 255}, 1920, 1080},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0]);
        writeFile(dir.file("input"), c.input);
        std::vector<std::string> argv = {kPlayer, "--headless", "--input", dir.file("input"), "--screenshot",
                                         dir.file("shot.png"), "--save-dir", dir.file("save"), kInputBundle};
        argv.insert(argv.begin() + 2, c.options.begin(), c.options.end());
        ProgramResult run = runProgram(argv);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), strlen(c.output))), c.output) << run.out;
        const Picture shot(dir.file("shot.png"));
        EXPECT_EQ(shot.at(5, 5), c.clicked);
        EXPECT_EQ(shot.width(), c.width);
        EXPECT_EQ(shot.height(), c.height);
    }
}

TEST(Player, ZippedGamesAndTheBundleAroundTheProgram)
{
    TempDir dir;
    const std::string bundle = writeBundle(dir.path(), "Zipped", "function play() print('zipped play') end");
    ProgramResult zip =
        runProgram({"/bin/sh", "-c", "cd '" + dir.path() + "' && zip -qr game.zip Zipped.app"});
    ASSERT_EQ(zip.status, 0) << zip.err;
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dir.file("data"), "XDG_CACHE_HOME=" + dir.file("cache")};
    ProgramResult run = runProgram({kPlayer, "--headless", "--frames", "1", dir.file("game.zip")}, env);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "zipped play\n");
    EXPECT_TRUE(fileExists(dir.file("cache/kelvane-player/game/Zipped.app/Contents/Info.plist")));

    writeFile(dir.file("empty.txt"), "x");
    runProgram({"/bin/sh", "-c", "cd '" + dir.path() + "' && zip -q nothing.zip empty.txt"});
    ProgramResult none = runProgram({kPlayer, "--headless", dir.file("nothing.zip")}, env);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("holds no game bundle"), std::string::npos) << none.err;

    // A program inside a bundle runs that bundle when given none.
    const std::string inner = bundle + "/Contents/MacOS";
    std::filesystem::create_directories(inner);
    std::filesystem::copy_file(kPlayer, inner + "/kelvane-player");
    std::filesystem::permissions(inner + "/kelvane-player", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    ProgramResult own = runProgram({inner + "/kelvane-player", "--headless", "--frames", "1"}, env);
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_EQ(own.out, "zipped play\n");
}

TEST(Player, OpensOnlyWebAndMailURLsWithTheDesktopOpener)
{
    TempDir dir;
    // A stand-in opener, first on PATH, that records its arguments. The
    // openers run at once: each appends its record in a single write.
    std::filesystem::create_directories(dir.file("bin"));
    writeFile(dir.file("bin/xdg-open"),
              "#!/bin/sh\nline=$(printf '%s|' \"$#\" \"$@\")\nprintf '%s\\n' \"$line\" >> \"$KV_OPENED\"\n");
    chmod(dir.file("bin/xdg-open").c_str(), 0755);
    const std::string bundle = writeBundle(dir.path(), "Opener", R"lua(
        function play()
            for _, url in ipairs({"https://example.test/?q=1&r=$(id)", "HTTP://example.test/page",
                                  "mailto:someone@example.test", "file:///etc/passwd", "-https://x"}) do
                callbacks.callExternalFunction("openURL", url, true)
            end
            callbacks.callExternalFunction("openURL", nil, false)
            callbacks.callExternalFunction("TrackSceneChange", "menu", "level")
            print("asked")
        end)lua");
    const char* path = std::getenv("PATH");
    ProgramResult run = runProgram({kPlayer, "--headless", "--frames", "1", bundle},
                                   {"PATH=" + dir.file("bin") + ":" + (path ? path : "/usr/bin:/bin"),
                                    "KV_OPENED=" + dir.file("opened"), "XDG_DATA_HOME=" + dir.file("data")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "asked\n");

    // The opener runs on its own; wait for its three records.
    std::vector<std::string> opened;
    for (int i = 0; i < 200 && opened.size() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        opened.clear();
        std::istringstream lines(readFile(dir.file("opened")));
        for (std::string line; std::getline(lines, line);)
            opened.push_back(line);
    }
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, (std::vector<std::string>{"1|HTTP://example.test/page|", "1|https://example.test/?q=1&r=$(id)|",
                                                "1|mailto:someone@example.test|"}));
    // Which others are refused is KVOpenURLSupport's table; each is named.
    for (const char* refused : {"\"file:///etc/passwd\" refused", "\"-https://x\" refused"})
        EXPECT_NE(run.err.find(refused), std::string::npos) << refused << "\n" << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
}

TEST(Player, AHeadlessPromptNeverWaits)
{
    TempDir dir;
    const std::string bundle = writeBundle(dir.path(), "Asker", R"(
        frames = 0
        function update(dt)
            frames = frames + 1
            if frames == 1 then callbacks.callExternalFunction("KeyboardInput", "Name?", "Guest", false) end
            if frames == 3 then callbacks.gameDidEnd() end
        end
        function raiseExternalEvent(name, args) print(name .. " " .. args[1]) end
        function stop() print("stop after " .. frames) end)");
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dir.file("data")};
    // The script ends the run.
    ProgramResult none = runProgram({kPlayer, "--headless", bundle}, env);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "keyboardInputEntered Guest\nstop after 3\n");
    EXPECT_NE(none.err.find("no scripted answer"), std::string::npos) << none.err;

    // Scripted text without a Return: what the prompt holds by then.
    writeFile(dir.file("input"), "1 text , Ada\n");
    ProgramResult partial = runProgram({kPlayer, "--headless", "--input", dir.file("input"), bundle}, env);
    EXPECT_EQ(partial.out, "keyboardInputEntered Guest, Ada\nstop after 3\n") << partial.err;

    // A prompt asked for by a key: the frame the key came before is drawn
    // once the prompt is answered, as in a window.
    const std::string byKey = writeBundle(dir.path(), "KeyAsker", R"(
        function update(dt) print("update") end
        function keyDown(k) callbacks.callExternalFunction("KeyboardInput", "Name?", "", false) end
        function raiseExternalEvent(name, args) print(name .. " " .. args[1]) end)");
    writeFile(dir.file("keyed"), "0 keydown n\n0 text Bo\n0 keydown return\n");
    ProgramResult keyed = runProgram({kPlayer, "--headless", "--frames", "2", "--input", dir.file("keyed"), byKey}, env);
    EXPECT_EQ(keyed.out, "keyboardInputEntered Bo\nupdate\nupdate\n") << keyed.err;
}

}  // namespace
