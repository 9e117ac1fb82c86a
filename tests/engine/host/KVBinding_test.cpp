// The binding runtime: what a script sees when a native function fails, and
// that every module's functions go through it.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "engine/bridge/LuaState.h"
#include "engine/host/KVBinding.h"
#include "engine/host/KVEngine.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/TempDir.h"

namespace {

const luaL_Reg kFunctions[] = {
    {"failure", [](lua_State*) -> int { throw std::runtime_error("disk on fire"); }},
    {"misuse", [](lua_State*) -> int { KVThrowMisuse("expected a %s", "thing"); }},
    {"luaError", [](lua_State* L) { return luaL_error(L, "plain Lua error"); }},
    {nullptr, nullptr},
};
const luaL_Reg kWithUpvalue[] = {
    {"upvalue",
     [](lua_State* L) {
         lua_pushvalue(L, lua_upvalueindex(1));
         return 1;
     }},
    {nullptr, nullptr},
};
const KVModule kRaising{"probe.Raise", KVFailure::raise};
const KVModule kReporting{"probe.Report", KVFailure::report};
const KVModule kCounting{"probe.Count", KVFailure::reportZero};

TEST(KVBinding, FailuresBecomeALuaErrorOrOneLineAsTheModuleChooses)
{
    LuaTestState bare({});
    lua_State* L = bare.L;
    kvOpenModule(L, "raise", kRaising, kFunctions);
    lua_pushliteral(L, "kept");
    kvOpenModule(L, "report", kReporting, kWithUpvalue, 1);
    kvSetFunctions(L, kReporting, kFunctions);
    kvOpenModule(L, "count", kCounting, kFunctions);
    lua_settop(L, 0);
    struct Case {
        const char* chunk;
        const char* error;  // the Lua error's text; "" for none
        const char* line;   // on standard error
    } cases[] = {
        {"raise.failure()", "probe.Raise.failure: disk on fire", ""},
        {"raise.misuse()", "probe.Raise.misuse: expected a thing", ""},
        {"raise.luaError()", "plain Lua error", ""},
        {"assert(select('#', report.failure()) == 0)", "", "probe.Report.failure: disk on fire\n"},
        {"report.misuse()", "", "probe.Report.misuse: expected a thing\n"},
        {"report.luaError()", "plain Lua error", ""},
        {"assert(report.upvalue() == 'kept')", "", ""},
        {"assert(count.misuse() == 0)", "", "probe.Count.misuse: expected a thing\n"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        const std::string error = runLuaChunk(L, c.chunk);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line) << c.chunk;
        // Lua's own position prefix aside, the text is the expected one.
        EXPECT_EQ(error.substr(error.empty() ? 0 : error.find(": ") + 2), c.error) << c.chunk;
    }
}

// An engine state as a game has it: every module, saved values, the bridge.
class EngineModules : public ::testing::Test {
protected:
    struct Bridge : LuaState {
        explicit Bridge(lua_State* L) : LuaState(L) {}
        ~Bridge() override { close(); }
        void destroyLuaState(lua_State*) override {}  // the engine state closes it
    };

    void SetUp() override
    {
        KV_InitFromBuffer(lua.engine, "", 0, (dir.path() + "/").c_str());
        bridge = Ref<Bridge>::adopt(new Bridge(lua.L));
    }

    TempDir dir;
    LuaTestState lua;
    Ref<Bridge> bridge;  // goes first
};

// Every C function reachable by name from `index`, by its path; null for
// those the binding guards.
void collect(lua_State* L, int index, const std::string& path, std::set<const void*>& seen,
             std::set<std::pair<std::string, lua_CFunction>>& out)
{
    if (!seen.insert(lua_topointer(L, index)).second)
        return;
    if (lua_iscfunction(L, index)) {
        out.insert({path, kvIsGuarded(L, index) ? nullptr : lua_tocfunction(L, index)});
        return;
    }
    if (lua_getmetatable(L, index)) {
        collect(L, lua_gettop(L), path + "<mt>", seen, out);
        lua_pop(L, 1);
    }
    if (!lua_istable(L, index))
        return;
    lua_pushnil(L);
    while (lua_next(L, index)) {
        // Named entries only: scripts reach modules and metatables by name;
        // the native side's own helpers sit under light userdata keys.
        if (lua_type(L, -2) == LUA_TSTRING && (lua_istable(L, -1) || lua_isfunction(L, -1) || lua_isuserdata(L, -1)))
            collect(L, lua_gettop(L), path + "." + lua_tostring(L, -2), seen, out);
        lua_pop(L, 1);
    }
}

std::set<std::pair<std::string, lua_CFunction>> functionsOf(lua_State* L)
{
    std::set<const void*> seen;
    std::set<std::pair<std::string, lua_CFunction>> out;
    lua_pushvalue(L, LUA_REGISTRYINDEX);  // the globals too, as _LOADED._G
    collect(L, lua_gettop(L), "registry", seen, out);
    lua_pop(L, 1);
    return out;
}

TEST_F(EngineModules, EveryModuleFunctionIsGuarded)
{
    LuaTestState plain({});
    std::set<lua_CFunction> standard;
    for (const auto& entry : functionsOf(plain.L))
        standard.insert(entry.second);

    // Functions made as scripts call: a proxy's method.
    ASSERT_EQ(lua.run("object = luaObjc.class('NSMutableArray'):array(); method = object.count"), "");
    for (const auto& [path, function] : functionsOf(lua.L))
        EXPECT_TRUE(!function || standard.count(function)) << path << " is not guarded";
}

TEST_F(EngineModules, CollectingByHandSomethingElseFreesNothing)
{
    for (const char* gc : {"getmetatable(tableHelper.Tables.new()).__gc",
                           "getmetatable(luaObjc.class('NSMutableArray'):array().luaObjc__object).__gc"}) {
        SCOPED_TRACE(gc);
        EXPECT_EQ(lua.run(std::string("local gc = ") + gc + R"(
            local held = io.tmpfile()
            gc(held)
            held:write("still a file")
            held:close())"),
                  "");
    }
}

}  // namespace
