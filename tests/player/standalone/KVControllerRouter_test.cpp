// Game controllers in a headless run: SDL's virtual joystick stands in for a
// device, and what each input becomes reaches the script.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <filesystem>

#include "player/common/KVKeyboardInputViewController.h"
#include "player/standalone/KelvanePlayerAppDelegate.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBundle.h"

namespace {

const char* kGameScript = R"(
log = {}
local function add(s) log[#log + 1] = s end
Project = {new = function() return {load = function() end} end}
game = {attributes = {displaySize = {width = {_value = 480}, height = {_value = 320}}}}
function update(dt) end
function keyDown(k)
  add("keyDown " .. k)
  if k == askOn then callbacks.callExternalFunction("KeyboardInput", "Name?", "Ann", false) end
end
function keyUp(k) add("keyUp " .. k) end
function mouseDown(x, y) add(string.format("mouseDown %g %g", x, y)) end
function mouseUp(x, y) add(string.format("mouseUp %g %g", x, y)) end
function mouseMoved(x, y) lastMove = string.format("%g %g", x, y) end
function raiseExternalEvent(name, args) add(name .. " " .. args[1]) end
)";

// A button by SDL's name (1 down, 0 up), or an axis to a value.
struct Step {
    const char* input;
    int value;
};

// One headless game with one virtual controller plugged in. The mapping
// files are written before it starts.
class ControllerRun {
public:
    explicit ControllerRun(const std::string& defaultMapping = "", const std::string& gameMapping = "")
    {
        const std::string path = writeBundle(dir_.path(), "Pad", kGameScript);
        std::filesystem::create_directories(dir_.file("config/kelvane-player"));
        if (!defaultMapping.empty())
            writeFile(dir_.file("config/kelvane-player/default.controller"), defaultMapping);
        if (!gameMapping.empty())
            writeFile(dir_.file("config/kelvane-player/Pad.controller"), gameMapping);
        environment_.set("XDG_CONFIG_HOME", dir_.file("config").c_str());
        EXPECT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        std::string error;
        bundle_ = GameBundle::open(path, &error);
        options_.headless = true;
        options_.saveDir = dir_.file("save");
        delegate_.emplace(app_, *bundle_, options_);
        runUntil([&] { return delegate_->isPlaying(); });

        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Virtual pad";
        joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        EXPECT_NE(joystick_, nullptr) << SDL_GetError();
        // Triggers at rest, as a device reports them.
        set("lefttrigger", -32768);
        set("righttrigger", -32768);
        runUntil([&] { return delegate_->controllers().hasControllers(); });
    }

    ~ControllerRun()
    {
        app_.terminate();
        app_.runOnce(*delegate_);
        delegate_.reset();
        SDL_JoystickClose(joystick_);
        SDL_Quit();
    }

    void set(std::initializer_list<Step> steps)
    {
        for (const Step& step : steps)
            set(step.input, step.value);
    }

    void set(const std::string& input, int value)
    {
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(input.c_str());
        if (button != SDL_CONTROLLER_BUTTON_INVALID)
            SDL_JoystickSetVirtualButton(joystick_, button, static_cast<Uint8>(value));
        else
            SDL_JoystickSetVirtualAxis(joystick_, SDL_GameControllerGetAxisFromString(input.c_str()),
                                       static_cast<Sint16>(value));
        for (int i = 0; i < 3; ++i)
            app_.runOnce(*delegate_);
    }

    template <class Done>
    void runUntil(Done done)
    {
        const double until = KVApplication::now() + 20;
        while (!done() && KVApplication::now() < until)
            ASSERT_TRUE(app_.runOnce(*delegate_));
    }

    std::string evaluate(const std::string& expression)
    {
        return delegate_->luaState()->evaluateExpression(expression);
    }

    // The script's log once it holds that many lines, joined by ", ".
    std::string log(int lines)
    {
        runUntil([&] {
            SDL_Delay(10);  // the script is asked now and then, not on every pass
            return evaluate("#log") == std::to_string(lines);
        });
        return evaluate("table.concat(log, ', ')");
    }

    KelvanePlayerAppDelegate& delegate() { return *delegate_; }

private:
    TempDir dir_;
    ScopedEnvironment environment_;
    std::optional<GameBundle> bundle_;
    PlayerOptions options_;
    KVApplication app_{false};
    std::optional<KelvanePlayerAppDelegate> delegate_;
    SDL_Joystick* joystick_ = nullptr;
};

TEST(KVControllerRouter, DefaultMappingReachesTheScriptAsKeysAndMouse)
{
    ControllerRun run;
    run.set({{"a", 1}, {"a", 0}, {"b", 1}, {"b", 0}, {"x", 1}, {"x", 0}, {"y", 1}, {"y", 0}, {"start", 1},
             {"start", 0}, {"back", 1}, {"back", 0}, {"dpdown", 1}, {"dpdown", 0}, {"dpleft", 1}, {"dpleft", 0},
             {"dpright", 1}, {"dpright", 0},
             // A stick held past its threshold presses once, whatever it does
             // until it comes back inside the dead zone.
             {"leftx", 30000}, {"leftx", 12000}, {"leftx", 32767}, {"leftx", 0},
             // Two inputs on one key: one press, one release.
             {"dpup", 1}, {"lefty", -30000}, {"dpup", 0}, {"lefty", 0},
             // The right mouse button reaches no game; the left one at the
             // pointer, the view's centre.
             {"lefttrigger", 32767}, {"lefttrigger", -32768}, {"righttrigger", 32767}, {"righttrigger", -32768}});
    EXPECT_EQ(run.log(24),
              "keyDown space, keyUp space, keyDown esc, keyUp esc, keyDown return, keyUp return, keyDown tab, "
              "keyUp tab, keyDown return, keyUp return, keyDown esc, keyUp esc, keyDown down, keyUp down, "
              "keyDown left, keyUp left, keyDown right, keyUp right, keyDown right, keyUp right, "
              "keyDown up, keyUp up, mouseDown 240 160, mouseUp 240 160");

    // The right stick moves the pointer right; the next click is there.
    run.set("rightx", 32767);
    run.runUntil([&] { return run.evaluate("lastMove") != "nil"; });
    run.set("rightx", 0);
    run.set("righttrigger", 32767);
    const std::string log = run.log(25);
    const std::string lastMove = run.evaluate("lastMove");
    EXPECT_GT(std::stod(lastMove), 240) << lastMove;
    EXPECT_EQ(lastMove.substr(lastMove.find(' ')), " 160");
    EXPECT_EQ(log.substr(log.rfind(", ") + 2), "mouseDown " + lastMove);
}

TEST(KVControllerRouter, MappingFilesChangeItAndBadLinesAreSkipped)
{
    testing::internal::CaptureStderr();
    ControllerRun run("b = key q\na = key Z\n",
                      "# mine\na = key w\ndpup = none\nbogus\nleftstick = key x\nlefttrigger = mousebutton left\n"
                      "rightstickup = key left shift\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Pad.controller:4: expected \"input = action\"; line skipped"), std::string::npos) << err;
    EXPECT_NE(err.find("Pad.controller:5: a stick takes"), std::string::npos) << err;

    // The game's file over the default one; a direction line makes the
    // right stick send keys, here a shift that applies to the next key.
    run.set({{"a", 1}, {"a", 0}, {"dpup", 1}, {"dpup", 0}, {"b", 1}, {"b", 0}, {"lefttrigger", 32767},
             {"lefttrigger", -32768}, {"righty", -32767}, {"b", 1}, {"b", 0}, {"righty", 0}});
    EXPECT_EQ(run.log(10), "keyDown w, keyUp w, keyDown q, keyUp q, mouseDown 240 160, mouseUp 240 160, "
                           "keyDown left shift, keyDown Q, keyUp Q, keyUp left shift");
}

TEST(KVControllerRouter, ThePromptIsTypedFromTheController)
{
    ControllerRun run;
    run.delegate().luaState()->doString("askOn = 'space'");
    KVKeyboardInputViewController& prompt =
        run.delegate().keyboardInputSupport()->keyboardInputViewController();
    for (const char* finish : {"start", "b"}) {
        run.set("a", 1);
        run.runUntil([&] { return prompt.isShown(); });
        run.set("a", 0);
        EXPECT_TRUE(prompt.showsCharacterGrid());
        run.set({{"dpright", 1}, {"dpright", 0}, {"dpleft", 1}, {"dpleft", 0}, {"dpleft", 1}, {"dpleft", 0},
                 {"a", 1}, {"a", 0}, {"dpdown", 1}, {"dpdown", 0}, {"a", 1}, {"a", 0}, {"x", 1}, {"x", 0}});
        // Start confirms; B cancels and answers the initial value.
        run.set(finish, 1);
        EXPECT_FALSE(prompt.isShown());
        run.set(finish, 0);
    }
    EXPECT_EQ(run.log(6), "keyDown space, keyUp space, keyboardInputEntered AnnM, "
                          "keyDown space, keyUp space, keyboardInputEntered Ann");
}

}  // namespace
