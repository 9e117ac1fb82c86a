// The player in a real window under Xvfb, driven by xdotool with a window
// manager running: the intros, keys, clicks, the prompt, full screen, closing.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kBundle = std::string(KV_TEST_DATA_DIR) + "/bundles/PlayerInput.app";
const std::string kSprites = std::string(KV_TEST_DATA_DIR) + "/bundles/Sprites.app";
const std::string kSession = std::string(KV_TEST_DATA_DIR) + "/../e2e/window-session.sh";
const std::string kFullScreenSession = std::string(KV_TEST_DATA_DIR) + "/../e2e/fullscreen-session.sh";

const std::string kXvfbRun = "/usr/bin/xvfb-run";

// Runs a session script under its own X server; answers what its player
// printed and a log of how it went. Its files go into dir/name.
struct Session {
    std::string out, log, status;
};

Session runSession(const TempDir& dir, const std::string& name, const std::string& screen,
                   const std::vector<std::string>& script)
{
    const std::string out = dir.file(name);
    // Servers started at the same moment by "-a" alone may pick the same
    // display; start each session's search at its own number.
    static int session = 0;
    const int display = 200 + (static_cast<int>(getpid()) % 300) * 8 + (session++ % 8);
    std::vector<std::string> argv = {kXvfbRun, "-a", "-n", std::to_string(display), "-s", "-screen 0 " + screen,
                                     "/bin/bash", script[0], kPlayer, script[1], out};
    argv.insert(argv.end(), script.begin() + 2, script.end());
    // SDL unloads the window's GL driver at exit, after which the driver's
    // own allocations belong to no module the leak checker can name or
    // suppress; sanitizer builds of windowed sessions check memory errors only.
    ProgramResult run = runProgram(argv, {"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"});
    return {readFile(out + "/stdout"), run.out + run.err + readFile(out + "/session.log") + readFile(out + "/stderr"),
            readFile(out + "/status")};
}

Session runSession(const TempDir& dir, const std::string& mode)
{
    return runSession(dir, mode, "1280x800x24", {kSession, kBundle, mode});
}

// Pixels darker than mid grey.
bool dark(const Rgba& c)
{
    return c.r + c.g + c.b < 384;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(WindowE2E, KeysClicksFullScreenAndClosing)
{
    TempDir dir;
    const Session s = runSession(dir, "full");
    ASSERT_EQ(s.status, "0\n") << s.log << s.out;
    const std::string& out = s.out;
    // Loading image first: the window took its size, then the game's.
    EXPECT_TRUE(contains(readFile(dir.file("full/geometry-intro.txt")), "320x200")) << s.log;
    EXPECT_TRUE(contains(readFile(dir.file("full/geometry-game.txt")), "480x320")) << s.log;
    // The release of B names what the press typed; window points from the
    // top left reach the game from the bottom left; F11 and Alt+Enter are
    // the player's, and Escape reaches the game too.
    for (const char* part : {"play\n", "keyDown a\nkeyUp a\n", "keyDown left shift\nkeyDown B\n", "keyUp B\n",
                             "keyDown left shift\nkeyDown right shift\nkeyUp left shift\nkeyUp right shift\n",
                             "mouseDown 100 270\nmouseUp 100 270\n", "screen 1280x800\n", "keyDown esc\n"})
        EXPECT_TRUE(contains(out, part)) << part << " in\n" << out;
    EXPECT_FALSE(contains(out, "keyDown \xEF\x9C\x8E")) << "F11 went to the game";
    EXPECT_FALSE(contains(out, "return")) << "Alt+Enter went to the game";
    EXPECT_EQ(out.substr(out.size() - 5), "stop\n") << out;

    // The intro's orange, then the game cleared to the click's colour.
    const Rgba clicked{53, 215, 255, 255};
    EXPECT_EQ(Picture(dir.file("full/clicked.png")).at(640, 400), clicked) << "the game in the centre of the screen";
    EXPECT_EQ(Picture(dir.file("full/fullscreen.png")).at(5, 5), clicked);
    // Kept at closing, from the window's own frame.
    EXPECT_EQ(Picture(dir.file("full/last.png")).at(5, 5), clicked);
    // Recorded as --input reads it: keys by name, the click in window points.
    const std::string recording = readFile(dir.file("full/recording"));
    for (const char* line : {" keydown a\n", " keyup B\n", " keydown esc\n", " mouseup 100 50\n"})
        EXPECT_TRUE(contains(recording, line)) << line << " in\n" << recording;
}

TEST(WindowE2E, TypingIntoTheKeyboardPrompt)
{
    TempDir dir;
    const Session s = runSession(dir, "prompt");
    ASSERT_EQ(s.status, "0\n") << s.log << s.out;
    const std::string& out = s.out;
    // The release of n may reach the render thread's queue before the
    // pause does when a slow frame delays the press.
    EXPECT_TRUE(contains(out, "keyDown n\nasking\npause\n") || contains(out, "keyDown n\nasking\nkeyUp n\npause\n"))
        << out;
    EXPECT_TRUE(contains(out, "keyboardInputEntered Zo\xC3\xA9\nplay\n")) << "the answer, then play again\n" << out;
    EXPECT_TRUE(contains(out, "keyDown a\n")) << "keys reach the game again";
    EXPECT_FALSE(contains(out, "keyDown Z")) << "typing went to the prompt, not the game";
    EXPECT_FALSE(contains(out, "keyDown return")) << out;
    const std::string recording = readFile(dir.file("prompt/recording"));
    for (const char* line : {" keydown n\n", " text \xC3\xA9\n", " keydown return\n"})
        EXPECT_TRUE(contains(recording, line)) << "typed into the prompt: " << line << " in\n" << recording;

    // The prompt over the 480 x 320 window centred on the 1280 x 800
    // screen: its background, its button, and the field white until typed.
    const Picture prompt(dir.file("prompt/prompt.png"));
    EXPECT_EQ(prompt.at(400 + 5, 240 + 315), (Rgba{235, 235, 240, 255}));
    EXPECT_EQ(prompt.at(400 + 370, 240 + 130), (Rgba{41, 112, 230, 255}));
    EXPECT_EQ(prompt.count(400 + 34, 240 + 72, 100, 32, dark), 0) << "an empty field (the caret left of it)";
    EXPECT_GT(Picture(dir.file("prompt/typed.png")).count(400 + 34, 240 + 72, 100, 32, dark), 40)
        << "the typed name shows";
}

// The Sprites bundle's 320 x 128 game on a 1280 x 1024 screen, letterboxed
// (times 4, game rows 256 to 767) or cropped (times 8, columns -640 to 1919),
// whichever the game asks for; the window manager or its absence changes
// nothing. Its left sprite's quadrants lie at game x 16 to 144, y 32 to 96.
TEST(WindowE2E, FullScreenFillsTheScreenWithOrWithoutAWindowManager)
{
    const Rgba grey{64, 64, 64, 255}, red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255},
        yellow{255, 255, 0, 255};
    struct Case {
        const char* wm;
        bool overscan;
        std::vector<std::pair<std::pair<int, int>, Rgba>> pixels;
    };
    const Case cases[] = {
        {"none", false, {{{640, 100}, grey}, {{100, 400}, red}, {{540, 400}, green}, {{100, 620}, blue},
                         {{540, 620}, yellow}}},
        {"openbox", true, {{{640, 100}, grey}, {{256, 300}, green}, {{256, 700}, yellow}}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string name = std::string(c.wm) + (c.overscan ? "-crop" : "-letterbox");
        const Session s = runSession(dir, name, "1280x1024x24", {kFullScreenSession, kSprites, c.wm,
                                     c.overscan ? "true" : "false", c.overscan ? "broken" : "playable"});
        ASSERT_EQ(s.status, "0\n") << name << s.log;
        EXPECT_EQ(contains(s.log, "intro-mac.mov"), c.overscan) << "only the unplayable movie is named";
        const Picture screen(dir.file(name + "/screen.png"));
        for (const auto& [at, rgb] : c.pixels)
            EXPECT_EQ(screen.at(at.first, at.second), rgb)
                << name << " at " << at.first << "," << at.second;
    }
}

}  // namespace
