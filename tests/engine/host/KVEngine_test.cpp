#include "engine/host/KVEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/LuaChunk.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

class Engine : public ::testing::Test {
protected:
    void TearDown() override { KV_DestroyState(state); }

    // Creates a state running the script from a buffer, without saved values.
    void start(const std::string& script, int mode = 0)
    {
        state = KV_NewState(mode);
        ASSERT_NE(state, nullptr);
        KV_InitFromBuffer(state, script.data(), script.size(), nullptr);
    }

    // tostring of the expression's value; the stack is left as it was.
    std::string eval(const std::string& expression, KV_State* in = nullptr)
    {
        lua_State* L = (in ? in : state)->L;
        EXPECT_EQ(runLuaChunk(L, "_result = tostring(" + expression + ")"), "") << expression;
        lua_getglobal(L, "_result");
        const std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(failed)";
        lua_pop(L, 1);
        return value;
    }

    // Width, height and orientation for a resolution.
    std::string sizeFor(unsigned resolution)
    {
        unsigned w = 1, h = 1, o = 1;
        KV_SizeForResolution(state, resolution, &w, &h, &o);
        return std::to_string(w) + " " + std::to_string(h) + " " + std::to_string(o);
    }

    KV_State* state = nullptr;
};

// The Lifecycle bundle shows the lifecycle calls; here the input calls and
// their arguments' order (the player reaches the script's key and mouse
// functions through its own Lua state, so only this test calls these).
TEST_F(Engine, InputCallsReachTheScriptInOrder)
{
    start(R"(
        calls = ""
        local function record(name) return function(...) calls = calls .. name .. "(" .. table.concat({...}, ",") .. ");" end end
        for _, name in ipairs({"render", "systemInitiatedPause", "behaviorInitiatedPause", "keyDown", "keyUp",
                               "mouseDown", "mouseMoved", "mouseUp", "touchDown", "touchMoved", "touchUp",
                               "touchCancel", "accelerated"}) do _G[name] = record(name) end)");
    KV_Render(state);
    KV_SystemInitiatedPause(state);
    KV_BehaviorInitiatedPause(state);
    // A braced list runs the calls in order; each answers 0 as its function ran.
    const std::vector<int> answers = {
        KV_KeyDown(state, "space"), KV_KeyUp(state, "a"), KV_MouseDown(state, 1.5f, 2), KV_MouseMoved(state, 3, 4),
        KV_MouseUp(state, 5, 6), KV_TouchDown(state, 7, 8, 9, 10), KV_TouchMoved(state, 11, 12, 13),
        KV_TouchUp(state, 14, 15, 16, 17), KV_TouchCancel(state), KV_Accelerated(state, 0.25f, -1, 2)};
    EXPECT_EQ(answers, std::vector<int>(10, 0));
    EXPECT_EQ(eval("calls"),
              "render();systemInitiatedPause();behaviorInitiatedPause();keyDown(space);keyUp(a);mouseDown(1.5,2);"
              "mouseMoved(3,4);mouseUp(5,6);touchDown(9,10,7,8);touchMoved(12,13,11);touchUp(16,17,14,15);"
              "touchCancel();accelerated(0.25,-1,2);");
    EXPECT_EQ(lua_gettop(state->L), 0);
    KV_Play(nullptr);
    KV_SystemInitiatedPause(nullptr);
    KV_BehaviorInitiatedPause(nullptr);
}

// Per-frame and input calls fail silently; queries and events print one line.
TEST_F(Engine, FailuresAreSilentOrPrintOneLineAndLeaveNothingOnTheStack)
{
    start("function getVolume() error('no volume') end\n"
          "function sizeAndOrientationForResolution() error('no size') end\n"
          "function raiseExternalEvent() error('bad event') end\n"
          "function update() error('boom') end function keyDown() error('k') end");
    CaptureStderr();
    for (int i = 0; i < 200; ++i) {
        KV_Update(state, 0.1f);
        KV_Play(state);  // no such function: also silent
        EXPECT_NE(KV_KeyDown(state, "x"), 0);
    }
    EXPECT_EQ(lua_gettop(state->L), 0);
    lua_pushnumber(state->L, 42);  // whatever the caller left is emptied by the report
    EXPECT_EQ(KV_GetVolume(state), 0.0f);
    EXPECT_EQ(sizeFor(2), "0 0 0");
    KV_RaiseExternalEvent(state, "x", nullptr, 0);
    KV_SetScreenSize(state, 480, 320);  // no `devices` table: reported, not raised
    EXPECT_EQ(GetCapturedStderr(), "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:1: no volume\n"
                                   "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:2: no size\n"
                                   "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:3: bad event\n"
                                   "(KV_Report_Error) Lua Error: attempt to call a nil value\n");
    EXPECT_EQ(lua_gettop(state->L), 0);
}

// The screen size, resolutions and the display size are the player's tests'
// part (its Lua state, its game view and the screenshots); here the rest.
TEST_F(Engine, QueriesSettingsAndEventsPassTheirArguments)
{
    start(R"lua(
        function sizeAndOrientationForResolution(r) return r * 100, r * 10, 1 end
        function deviceOrientationChanged(o, f) orientation = o .. tostring(f) end
        function getInterfaceOrientation() return 3 end
        function setVolume(v) volume = v end
        function raiseExternalEvent(name, args)
            local n = 0 for _ in pairs(args) do n = n + 1 end
            event = name .. '#' .. n .. '#' .. table.concat(args, '|')
        end
        game = {plugins = {physics = {enabled = {_value = true}}, sound = {enabled = {_value = false}}},
                setNeedsToChangeScene = function(self, name, flag) scene = name .. tostring(flag) end})lua");
    EXPECT_EQ(sizeFor(3), "300 30 1");
    KV_SetDeviceOrientation(state, 2, true);
    KV_SetShouldChangeToScene(state, "Menu");
    KV_SetVolume(state, 0.25f);
    EXPECT_EQ(eval("orientation .. ' ' .. scene .. ' ' .. volume"), "2true Menufalse 0.25");
    EXPECT_EQ(KV_GetInterfaceOrientation(state), 3);
    EXPECT_EQ(std::vector<int>({KV_IsPluginEnabled(state, "physics"), KV_IsPluginEnabled(state, "sound"),
                                KV_IsPluginEnabled(state, "absent")}),
              std::vector<int>({1, 0, 0}));
    // The player's tests send the prompt's text; here two strings and none.
    const char* strings[] = {"abc", "d"};
    KV_RaiseExternalEvent(state, "two", strings, 2);
    EXPECT_EQ(eval("event"), "two#2#abc|d");
    KV_RaiseExternalEvent(state, "empty", nullptr, 0);
    EXPECT_EQ(eval("event"), "empty#0#");
    EXPECT_EQ(lua_gettop(state->L), 0);
}

TEST_F(Engine, BrokenEngineScriptIsReportedAndInitEngineStillRuns)
{
    CaptureStderr();
    start("function initEngine() started = 'yes' end error('chunk failed')");
    EXPECT_EQ(GetCapturedStderr(), "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:1: chunk failed\n");
    EXPECT_EQ(eval("started .. _debuglevel"), "yes1");

    KV_State* missing = KV_NewState(0);
    CaptureStderr();
    KV_Init(missing, "/nonexistent/engine64.luo", nullptr);
    const std::string line = GetCapturedStderr();
    EXPECT_EQ(line.rfind("(KV_Report_Error) Lua Error: cannot open /nonexistent/engine64.luo", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    KV_Update(missing, 0.1f);  // the state stays usable; no save path, no database module
    EXPECT_EQ(eval("type(callbacks) .. type(database)", missing), "tablenil");
    KV_DestroyState(missing);
}

TEST_F(Engine, NumbersAreSinglePrecisionRandomStaysInItsIntervalAndCallbacksReachTheOwnersSlots)
{
    start("");
    const std::pair<const char*, const char*> cases[] = {
        {"16777217", "16777216"}, {"16777215", "16777215"}, {"-12345678", "-12345678"}, {"2^24", "16777216"},
        {"2^25", "3.355443e+07"}, {"-2^24 - 2", "-1.677722e+07"}, {"0.1", "0.1"}, {"1/3", "0.3333333"},
        {"tonumber('16777217') == 16777216", "true"}, {"math.floor(-3.5)", "-4"},
        {"string.format('%d', 3.9)", "3"},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(eval(expression), expected) << expression;
    EXPECT_EQ(runLuaChunk(state->L, R"(
        for i = 1, 200000 do
            local a, b, c = math.random(3), math.random(-2, 2), math.random()
            assert(a >= 1 and a <= 3 and a == math.floor(a) and b >= -2 and b <= 2 and c >= 0 and c < 1)
        end)"), "");

    // Callbacks reach the slots the owner filled.
    // Empty slots answer nothing.
    EXPECT_EQ(runLuaChunk(state->L, "callbacks.gameDidEnd() callbacks.loadingWillStart() callbacks.loadingWillEnd()"
                                    " assert(select('#', callbacks.callExternalFunction('x')) == 0)"),
              "");
    int ended = 0;
    state->callbacks.context = &ended;
    state->callbacks.gameDidEnd = [](void* context) { ++*static_cast<int*>(context); };
    state->callbacks.externalFunction = [](void*, lua_State* L) {
        lua_pushstring(L, "answer");
        lua_pushnumber(L, lua_gettop(L) - 1);
        return 2;
    };
    EXPECT_EQ(eval("(callbacks.gameDidEnd() or '') .. table.concat({callbacks.callExternalFunction('f', 1, 2)}, ' ')"),
              "answer 3");
    EXPECT_EQ(ended, 1);
    // From a coroutine: no answer and one line, and the coroutine goes on.
    CaptureStderr();
    EXPECT_EQ(eval("select(2, coroutine.resume(coroutine.create(function()"
                   " return select('#', callbacks.callExternalFunction('f')) .. ' answers' end)))"),
              "0 answers");
    EXPECT_EQ(GetCapturedStderr(), "callbacks.callExternalFunction: called from a coroutine; f answers nothing\n");
}

// The pool allocator moves blocks between its pools and the system's heap
// as a script's tables and strings grow and shrink: the result is the same.
TEST_F(Engine, PoolModeGivesTheSameResultsAsTheSystemHeap)
{
    const char* script = R"(
        local parts = {}
        for i = 1, 20000 do parts[#parts + 1] = {i, tostring(i), string.rep("x", i % 700)} end
        for i = 1, 20000, 2 do parts[i] = nil end
        collectgarbage()
        local s = {} for i = 1, 5000 do s[i] = string.rep("y", i % 1000) .. parts[i * 4][2] end
        local joined = table.concat(s)
        local sum = 0 for i = 1, #joined, 97 do sum = (sum * 31 + joined:byte(i)) % 65521 end
        result = #joined .. " " .. sum)";
    start(script, 0);
    const std::string plain = eval("result");
    KV_DestroyState(state);
    start(script, 1);
    EXPECT_EQ(eval("result"), plain);
    EXPECT_NE(plain, "nil");
}

}  // namespace
