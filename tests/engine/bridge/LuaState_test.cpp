#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "engine/bridge/LuaErrorException.h"
#include "engine/bridge/LuaObject.h"
#include "platform/objects/KVMutableArray.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "tests/engine/bridge/BridgeTestState.h"
#include "tests/support/TempDir.h"

namespace {

// Each test runs in its own bridged state.
struct LuaStateTest : testing::Test {
    BridgeTestState t;
    // The stack is empty and the lock free.
    bool idle()
    {
        if (!t.lua->tryLockState())
            return false;
        const bool empty = t.lua->getTop() == 0;
        t.lua->unlockState();
        return empty;
    }
};

TEST_F(LuaStateTest, NativeValuesReachLuaByTheMapping)
{
    t.lua->doString(
        "function describe(...) local out = {} for i = 1, select('#', ...) do"
        " local v = select(i, ...) out[#out + 1] = type(v) .. ':' .. tostring(v) end"
        " return table.concat(out, ' ') end");
    EXPECT_EQ(shown(t.lua->callSimpleFunction(
                  "describe", {KVNumber::withBool(true), KVNumber::withBool(false), KVNumber::withFloat(2.5f),
                               KVString::withString("h\xC3\xA9"), KVNull::null(), nullptr})),
              "string:number:1 number:0 number:2.5 string:h\xC3\xA9 nil:nil nil:nil");

    // Any other object becomes a luaObjc proxy that keeps the object alive.
    Ref<KVObject> other = KVMutableArray::array();
    t.lua->doString("function keep(x) kept = x return luaObjc.class('NSObject') ~= nil and type(x) end");
    EXPECT_EQ(shown(t.lua->callSimpleFunction("keep", {other})), "string:table");
    EXPECT_EQ(other->retainCount(), 2);
    t.lua->doString("kept = nil");
    t.lua->collectGarbage();
    EXPECT_EQ(other->retainCount(), 1);
}

// nil is the null marker; a function has no native form; asking for more
// slots than there are takes what there is.
TEST_F(LuaStateTest, LuaValuesComeBackByTheMappingAndEverySlotIsPopped)
{
    t.lua->doString("function pick() return print end");
    EXPECT_EQ(t.lua->callFunction("pick")->count(), 0u);
    LuaState::Lock lock(*t.lua);
    ASSERT_EQ(luaL_dostring(t.L(), "return true, false, 1.5, 'x', {}, print, nil"), 0);
    EXPECT_EQ(shown(t.lua->popStack(8)->objects()), "bool:1 bool:0 float:1.5 string:x table null");
    EXPECT_EQ(t.lua->getTop(), 0);
}

TEST_F(LuaStateTest, AnErrorTwoFramesDeepCarriesTheTraceWithLocals)
{
    t.lua->doString("local function inner(n)\n"
                    "  local label, list, missing = 'deep', {}\n"
                    "  return n + missing\n"
                    "end\n"
                    "function outer(count) return (inner(count * 2)) end\n");
    try {
        t.lua->callFunction("outer", {KVNumber::withFloat(3)});
        FAIL() << "no exception";
    } catch (const LuaErrorException& e) {
        EXPECT_EQ(e.name(), "Lua Error");
        const std::string chunk = "[string \"local function inner(n)...\"]";
        EXPECT_EQ(e.luaError(), chunk + ":3: attempt to perform arithmetic on local 'missing' (a nil value)");
        ASSERT_TRUE(e.luaStackTrace());
        EXPECT_EQ(*e.luaStackTrace(),
                  std::string("Stack Trace:\n")
                  + "0: C function (null)\n"
                  "1: [" + chunk + ":inner]:3\n"
                  "{\n"
                  "\tn = 6\n"
                  "\tlabel = deep\n"
                  "\tlist = <table>\n"
                  "\tmissing = nil\n"
                  // The operands of the failed addition are still in their registers.
                  "\t(*temporary) = nil\n"
                  "\t(*temporary) = attempt to perform arithmetic on local 'missing' (a nil value)\n"
                  "}\n"
                  // Called from native code, so Lua knows no name for it.
                  "2: [" + chunk + ":(null)]:5\n"
                  "{\n"
                  "\tcount = 3\n"
                  "}\n");
        EXPECT_EQ(e.reason(), e.luaError() + "\n" + *e.luaStackTrace());
    }
    EXPECT_TRUE(idle());
}

// Under the thread sanitizer as well (its suites are named LuaState).
TEST(LuaState, TheLockExcludesASecondThreadAndIsNotReentrant)
{
    BridgeTestState t;
    t.lua->doString("order = ''");
    t.lua->lockState();
    // Taking it twice on one thread fails instead of hanging.
    EXPECT_THROW(t.lua->doString("x = 1"), KVObjectException);
    std::atomic<bool> tried{false};
    std::atomic<bool> couldLock{true};
    std::thread second([&] {
        couldLock = t.lua->tryLockState();
        tried = true;
        // Blocks until the first thread gives the lock up.
        t.lua->doString("order = order .. 'second'");
    });
    while (!tried)
        std::this_thread::yield();
    EXPECT_FALSE(couldLock);
    ASSERT_EQ(luaL_dostring(t.L(), "order = order .. 'first,'"), 0);  // the lock is ours
    t.lua->unlockState();
    second.join();
    EXPECT_EQ(t.lua->evaluateExpression("order"), "first,second");
}

// doFile gives strings, nothing for nil and a marker otherwise.
TEST_F(LuaStateTest, FilesChunksExpressionsMethodsAndThePrimitivesPreconditions)
{
    TempDir dir;
    auto run = [&](const char* name, const char* text) {
        if (text)
            writeFile(dir.file(name), text);
        return t.lua->doFile(dir.file(name));
    };
    EXPECT_EQ(run("s.lua", "return 'hello'"), "hello");
    EXPECT_EQ(run("n.lua", "return 42"), "Result not a string!");
    EXPECT_EQ(run("none.lua", "x = 1"), std::nullopt);
    // A file that is missing or does not compile reports its own message.
    EXPECT_NE(thrown([&] { run("missing.lua", nullptr); }).find("cannot open " + dir.file("missing.lua")),
              std::string::npos);
    // Syntax errors read as such: no trace, no failed call.
    const std::string syntax =
        thrown([&] { run("bad.lua", "return +"); }) + "\n" + thrown([&] { t.lua->doString("local = 1"); });
    EXPECT_NE(syntax.find("unexpected symbol"), std::string::npos) << syntax;
    EXPECT_NE(syntax.find("'<name>' expected near '='"), std::string::npos) << syntax;
    EXPECT_EQ(syntax.find("Stack Trace"), std::string::npos) << syntax;
    EXPECT_EQ(syntax.find("attempt to call"), std::string::npos) << syntax;
    EXPECT_TRUE(idle());

    EXPECT_EQ(t.lua->doString("value = 5 return 'ignored'"), std::nullopt);
    EXPECT_EQ(t.lua->evaluateExpression("value + 1") + "|" + t.lua->evaluateExpression("''") + "|" +
                  t.lua->evaluateExpression("nil"),
              "6||nil");
    EXPECT_TRUE(t.lua->syntaxCheck("return 1"));
    EXPECT_FALSE(t.lua->syntaxCheck("return +"));
    EXPECT_THROW(t.lua->doString("error('boom')"), LuaErrorException);
    EXPECT_THROW(t.lua->evaluateExpression("nosuch.field"), LuaErrorException);

    t.lua->doString("game = { scale = 3 } function game.times(self, n) return self.scale * n end");
    EXPECT_EQ(shown(t.lua->callSimpleMethod("times", "game", {KVNumber::withFloat(4)})), "float:12");
    EXPECT_THROW(t.lua->callMethod("nosuch", "game"), LuaErrorException);
    EXPECT_THROW(t.lua->callFunction("nosuch"), LuaErrorException);

    // What must not reach Lua at all (fields are the proxies' part, LuaObject's tests).
    {
        LuaState::Lock lock(*t.lua);
        lua_newtable(t.L());
        EXPECT_EQ(thrown([&] { t.lua->getMember(""); }),
                  std::string(KVObjectException::InternalInconsistency) + ": name is an empty string");
        // Storing under a nil key is refused instead of raising outside a protected call.
        EXPECT_THROW(t.lua->setMemberValue(KVNumber::withFloat(1).get(), nullptr), KVObjectException);
        // A panic outside a protected call becomes an exception, without a trace.
        lua_pushstring(t.L(), "outside");
        EXPECT_EQ(thrown([&] { lua_error(t.L()); }), "Lua Error: outside");
        lua_settop(t.L(), 0);
    }
    t.lua->close();
    EXPECT_NE(thrown([&] { t.lua->getTop(); }).find(": Lua State is nil"), std::string::npos);
    EXPECT_EQ(t.lua->callFunction("x")->count(), 0u);
    EXPECT_EQ(t.lua->callSimpleFunction("x"), nullptr);
    EXPECT_EQ(t.lua->doString("x = 1"), std::nullopt);
    EXPECT_EQ(t.lua->evaluateExpression("1"), "");
    EXPECT_FALSE(t.lua->syntaxCheck("x = 1"));
    EXPECT_EQ(t.lua->globalObject(), nullptr);
}

TEST_F(LuaStateTest, LogStackPrintsOneLinePerSlot)
{
    LuaState::Lock lock(*t.lua);
    ASSERT_EQ(luaL_dostring(t.L(), "return nil, true, 1.5, 's', {}, print"), 0);
    lua_newuserdata(t.L(), 4);
    lua_pushlightuserdata(t.L(), nullptr);  // prints nothing
    testing::internal::CaptureStderr();
    t.lua->logStack();
    // Each line without its time stamp.
    EXPECT_EQ(std::regex_replace(testing::internal::GetCapturedStderr(), std::regex("[^\n]*\\] "), ""),
              "Lua Stack:\n1\tnil\n2\tboolean\t1\n3\tnumber\t1.500000\n4\tstring\ts\n5\ttable\n6\tfunction\n"
              "7\tuserdata\n");
    lua_settop(t.L(), 0);
}

// A bare state has the globals and the bridge; instanceOfClass calls a class's new.
TEST(LuaState, ABareStateHasGlobalsAndTheBridgeAndMakesInstances)
{
    Ref<LuaState> lua = LuaState::withNewState();
    Ref<LuaObject> globals = lua->globalObject();
    ASSERT_TRUE(globals);
    EXPECT_EQ(shown({globals->valueForKey("_debuglevel"), globals->valueForKey("luaBinder"),
                     globals->valueForKey("luaObjc")}),
              "float:1 table table");
    lua->doString("Point = {} function Point.new(self) return { x = self == Point and 1 } end");
    Ref<KVObject> point = lua->instanceOfClass("Point");
    ASSERT_EQ(shown(point), "table");
    EXPECT_EQ(shown(static_cast<LuaObject*>(point.get())->valueForKey("x")), "float:1");
    testing::internal::CaptureStderr();
    EXPECT_EQ(lua->instanceOfClass("Nothing"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("No lua class Nothing found"), std::string::npos);
    point = nullptr;
    lua->close();
}
}  // namespace
