#include "engine/host/KVEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/TempDir.h"

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

    std::string global(const char* name)
    {
        lua_getglobal(state->L, name);
        const char* text = lua_tostring(state->L, -1);
        std::string value = text ? text : "<nil>";
        lua_pop(state->L, 1);
        return value;
    }

    std::string eval(const std::string& expression)
    {
        const std::string chunk = "_result = tostring(" + expression + ")";
        EXPECT_EQ(luaL_dostring(state->L, chunk.c_str()), 0) << lua_tostring(state->L, -1);
        return global("_result");
    }

    KV_State* state = nullptr;
};

// The Lifecycle bundle shows the lifecycle calls and the PlayerInput bundle
// the keys and the mouse; here the other calls and their arguments' order.
TEST_F(Engine, InputCallsReachTheScriptInOrder)
{
    start(R"(
        calls = ""
        local function record(name) return function(...) calls = calls .. name .. "(" .. table.concat({...}, ",") .. ");" end end
        for _, name in ipairs({"render", "systemInitiatedPause", "behaviorInitiatedPause", "touchDown", "touchMoved",
                               "touchUp", "touchCancel", "accelerated"}) do _G[name] = record(name) end)");
    KV_Render(state);
    KV_SystemInitiatedPause(state);
    KV_BehaviorInitiatedPause(state);
    EXPECT_EQ(KV_TouchDown(state, 7, 8, 9, 10), 0);
    EXPECT_EQ(KV_TouchMoved(state, 11, 12, 13), 0);
    EXPECT_EQ(KV_TouchUp(state, 14, 15, 16, 17), 0);
    EXPECT_EQ(KV_TouchCancel(state), 0);
    EXPECT_EQ(KV_Accelerated(state, 0.25f, -1, 2), 0);
    EXPECT_EQ(global("calls"),
              "render();systemInitiatedPause();behaviorInitiatedPause();touchDown(9,10,7,8);touchMoved(12,13,11);"
              "touchUp(16,17,14,15);touchCancel();accelerated(0.25,-1,2);");
    EXPECT_EQ(lua_gettop(state->L), 0);
    KV_Play(nullptr);
    KV_SystemInitiatedPause(nullptr);
    KV_BehaviorInitiatedPause(nullptr);
}

TEST_F(Engine, SilentFailuresLeaveNothingOnTheStack)
{
    start("function update() error('boom') end function keyDown() error('k') end");
    CaptureStderr();
    for (int i = 0; i < 200; ++i) {
        KV_Update(state, 0.1f);
        KV_Play(state);  // no such function: also silent
        EXPECT_NE(KV_KeyDown(state, "x"), 0);
    }
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(lua_gettop(state->L), 0);
}

TEST_F(Engine, ReportedFailuresPrintOneLineAndAnswerZero)
{
    start("function getVolume() error('no volume') end\n"
          "function sizeAndOrientationForResolution() error('no size') end\n"
          "function getInterfaceOrientation() return 3 end\n"
          "function setVolume(v) volume = v end");
    lua_pushnumber(state->L, 42);  // whatever the caller left is emptied by the report
    CaptureStderr();
    EXPECT_EQ(KV_GetVolume(state), 0.0f);
    const std::string line = GetCapturedStderr();
    EXPECT_EQ(line, "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:1: no volume\n");
    EXPECT_EQ(lua_gettop(state->L), 0);

    unsigned w = 1, h = 1, o = 1;
    CaptureStderr();
    KV_SizeForResolution(state, 2, &w, &h, &o);
    EXPECT_NE(GetCapturedStderr().find("no size"), std::string::npos);
    EXPECT_EQ(w + h + o, 0u);

    EXPECT_EQ(KV_GetInterfaceOrientation(state), 3);
    KV_SetVolume(state, 0.25f);
    EXPECT_EQ(global("volume"), "0.25");
    CaptureStderr();
    KV_SetScreenSize(state, 480, 320);  // no `devices` table: reported, not raised
    EXPECT_NE(GetCapturedStderr().find("(KV_Report_Error) Lua Error: "), std::string::npos);
    EXPECT_EQ(lua_gettop(state->L), 0);
}

// The screen size, resolutions and the display size are the player's tests'
// part (its Lua state and its game view); here the rest.
TEST_F(Engine, QueriesAndSettingsPassTheirArguments)
{
    start(R"lua(
        function sizeAndOrientationForResolution(r) return r * 100, r * 10, 1 end
        function deviceOrientationChanged(o, f) orientation = o .. tostring(f) end
        game = {plugins = {physics = {enabled = {_value = true}}, sound = {enabled = {_value = false}}},
                attributes = {displaySize = {width = {_value = 1024}, height = {_value = 768.9}}},
                setNeedsToChangeScene = function(self, name, flag) scene = name .. tostring(flag) end})lua");
    unsigned w = 0, h = 0, o = 0;
    KV_SizeForResolution(state, 3, &w, &h, &o);
    EXPECT_EQ(w, 300u);
    EXPECT_EQ(h, 30u);
    EXPECT_EQ(o, 1u);
    KV_SetDeviceOrientation(state, 2, true);
    EXPECT_EQ(global("orientation"), "2true");
    KV_SetShouldChangeToScene(state, "Menu");
    EXPECT_EQ(global("scene"), "Menufalse");
    EXPECT_EQ(KV_IsPluginEnabled(state, "physics"), 1);
    EXPECT_EQ(KV_IsPluginEnabled(state, "sound"), 0);
    EXPECT_EQ(KV_IsPluginEnabled(state, "absent"), 0);
    KV_GetIntendedDisplaySize(state, &w, &h);
    EXPECT_EQ(w, 1024u);
    EXPECT_EQ(h, 768u);
    EXPECT_EQ(lua_gettop(state->L), 0);
}

TEST_F(Engine, ExternalEventsArriveWithATableOfStrings)
{
    start("function raiseExternalEvent(name, args) event = name .. '#' .. #args .. '#' .. table.concat(args, '|') "
          "for k in pairs(args) do keys = (keys or 0) + 1 end end");
    // The player's tests send the prompt's text; here two strings and none.
    const char* strings[] = {"abc", "d"};
    KV_RaiseExternalEvent(state, "two", strings, 2);
    EXPECT_EQ(global("event"), "two#2#abc|d");
    EXPECT_EQ(global("keys"), "2");
    KV_RaiseExternalEvent(state, "empty", nullptr, 0);
    EXPECT_EQ(global("event"), "empty#0#");

    luaL_dostring(state->L, "function raiseExternalEvent() error('bad event') end");
    CaptureStderr();
    KV_RaiseExternalEvent(state, "x", nullptr, 0);
    const std::string line = GetCapturedStderr();
    EXPECT_EQ(line.rfind("(KV_Report_Error) Lua Error: [string ", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 14), ":1: bad event\n") << line;
}

TEST_F(Engine, BrokenEngineScriptIsReportedAndInitEngineStillRuns)
{
    state = KV_NewState(0);
    CaptureStderr();
    const std::string script = "function initEngine() started = 'yes' end error('chunk failed')";
    KV_InitFromBuffer(state, script.data(), script.size(), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "(KV_Report_Error) Lua Error: [string \"engine.luo\"]:1: chunk failed\n");
    EXPECT_EQ(global("started"), "yes");
    EXPECT_EQ(global("_debuglevel"), "1");

    KV_State* missing = KV_NewState(0);
    CaptureStderr();
    KV_Init(missing, "/nonexistent/engine64.luo", nullptr);
    const std::string line = GetCapturedStderr();
    EXPECT_EQ(line.rfind("(KV_Report_Error) Lua Error: cannot open /nonexistent/engine64.luo", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    KV_Update(missing, 0.1f);  // the state stays usable
    lua_getglobal(missing->L, "callbacks");
    EXPECT_TRUE(lua_istable(missing->L, -1));
    lua_getglobal(missing->L, "database");
    EXPECT_TRUE(lua_isnil(missing->L, -1)) << "no save path, no database module";
    KV_DestroyState(missing);
}

TEST_F(Engine, NumbersAreSinglePrecisionFloatsAndRandomStaysInItsInterval)
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
    ASSERT_EQ(luaL_dostring(state->L, R"(
        ok = true
        for i = 1, 200000 do
            local a, b, c = math.random(3), math.random(-2, 2), math.random()
            if a < 1 or a > 3 or a ~= math.floor(a) or b < -2 or b > 2 or c < 0 or c >= 1 then ok = false end
        end
        ok = tostring(ok))"), 0);
    EXPECT_EQ(global("ok"), "true");
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
    const std::string plain = global("result");
    KV_DestroyState(state);
    start(script, 1);
    EXPECT_EQ(global("result"), plain);
    EXPECT_NE(plain, "<nil>");
}

int recordedExternalCalls = 0;

int externalFunction(void*, lua_State* L)
{
    ++recordedExternalCalls;
    lua_pushstring(L, "answer");
    lua_pushnumber(L, lua_gettop(L) - 1);
    return 2;
}

void gameEnded(void* context) { *static_cast<int*>(context) += 1; }

TEST_F(Engine, CallbacksReachTheSlotsTheOwnerFilled)
{
    start("");
    ASSERT_EQ(luaL_dostring(state->L, "a, b = callbacks.callExternalFunction('x') callbacks.gameDidEnd() "
                                      "callbacks.loadingWillStart() callbacks.loadingWillEnd() n = select('#', a)"),
              0);
    EXPECT_EQ(global("a"), "<nil>");

    int ended = 0;
    state->callbacks.context = &ended;
    state->callbacks.gameDidEnd = gameEnded;
    state->callbacks.externalFunction = externalFunction;
    ASSERT_EQ(luaL_dostring(state->L, "callbacks.gameDidEnd() a, b = callbacks.callExternalFunction('f', 1, 2)"), 0);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(global("a"), "answer");
    EXPECT_EQ(global("b"), "3");

    const int before = recordedExternalCalls;
    // From a coroutine: no answer and one line, and the coroutine goes on.
    const char* fromCoroutine = R"(
        local co = coroutine.create(function() return select('#', callbacks.callExternalFunction('f')) .. ' answers' end)
        ok, message = coroutine.resume(co) ok = tostring(ok))";
    testing::internal::CaptureStderr();
    ASSERT_EQ(luaL_dostring(state->L, fromCoroutine), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "callbacks.callExternalFunction: called from a coroutine; f answers nothing\n");
    EXPECT_EQ(global("ok"), "true");
    EXPECT_EQ(global("message"), "0 answers");
    EXPECT_EQ(recordedExternalCalls, before);
}

}  // namespace
