#include <gtest/gtest.h>

#include <atomic>
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

KVNumber* number(const Ref<KVObject>& o) { return dynamic_cast<KVNumber*>(o.get()); }
KVString* string(const Ref<KVObject>& o) { return dynamic_cast<KVString*>(o.get()); }

// A native value as text: "bool:1", "float:1.5", "string:x", "null", "table" or "none".
std::string shown(const Ref<KVObject>& o)
{
    if (number(o))
        return (number(o)->isBoolean() ? "bool:" : number(o)->kind() == KVNumber::Kind::Float ? "float:" : "number:") +
               kvDescription(o.get());
    if (string(o))
        return "string:" + string(o)->utf8();
    return o.get() == KVNull::null() ? "null" : dynamic_cast<LuaObject*>(o.get()) ? "table" : o ? "other" : "none";
}

std::string shown(const Ref<KVArray>& values)
{
    std::string out;
    for (size_t i = 0; i < values->count(); ++i)
        out += (i ? " " : "") + shown(values->objectAtIndex(i));
    return out;
}

// The name and reason of what `f` throws.
template <class F>
std::string thrown(F f)
{
    try {
        f();
    } catch (const KVObjectException& e) {
        return e.name() + ": " + e.reason();
    }
    return "no exception";
}

// Each test runs in its own bridged state.
struct LuaStateTest : testing::Test {
    BridgeTestState t;
};

TEST_F(LuaStateTest, NativeValuesReachLuaByTheMapping)
{
    t.lua->doString(
        "function describe(...) local out = {} for i = 1, select('#', ...) do"
        " local v = select(i, ...) out[#out + 1] = type(v) .. ':' .. tostring(v) end"
        " return table.concat(out, ' ') end");
    Ref<KVObject> other = KVMutableArray::array();
    Ref<KVObject> text = t.lua->callSimpleFunction(
        "describe", {KVNumber::withBool(true), KVNumber::withBool(false), KVNumber::withFloat(2.5f),
                     KVString::withString("h\xC3\xA9"), KVNull::null(), nullptr});
    ASSERT_TRUE(string(text));
    EXPECT_EQ(string(text)->utf8(), "number:1 number:0 number:2.5 string:h\xC3\xA9 nil:nil nil:nil");

    // Any other object becomes a luaObjc proxy that keeps the object alive.
    t.lua->doString("function keep(x) kept = x return luaObjc.class('NSObject') ~= nil and type(x) end");
    Ref<KVObject> kind = t.lua->callSimpleFunction("keep", {other});
    EXPECT_EQ(string(kind)->utf8(), "table");
    EXPECT_EQ(other->retainCount(), 2);
    t.lua->doString("kept = nil");
    t.lua->collectGarbage();
    EXPECT_EQ(other->retainCount(), 1);
}

TEST_F(LuaStateTest, LuaValuesComeBackByTheMapping)
{
    t.lua->doString("function pick(k) local v = { b = true, f = false, n = 1.5, s = 'x', t = {} }"
                    " if k == 'fn' then return print end return v[k] end");
    // nil is the null marker in the result array; a function has no native form.
    const std::pair<const char*, const char*> cases[] = {
        {"b", "bool:1"}, {"f", "bool:0"}, {"n", "float:1.5"}, {"s", "string:x"}, {"t", "table"}, {"missing", "null"},
        {"fn", ""},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(shown(t.lua->callFunction("pick", {KVString::withString(key)})), expected) << key;
}

TEST_F(LuaStateTest, PopStackSkipsValuesWithoutANativeFormAndPopsEverySlot)
{
    LuaState::Lock lock(*t.lua);
    lua_pushnumber(t.L(), 7);
    lua_getglobal(t.L(), "print");
    lua_pushnumber(t.L(), 3);
    EXPECT_EQ(shown(t.lua->popStack(2)), "float:3");
    EXPECT_EQ(t.lua->getTop(), 1);
    lua_pushnil(t.L());
    lua_pushstring(t.L(), "a");
    EXPECT_EQ(shown(t.lua->popStack(3)), "float:7 null string:a");
    // Asking for more slots than there are takes what there is.
    lua_pushnumber(t.L(), 1);
    EXPECT_EQ(t.lua->popStack(5)->count(), 1u);
    EXPECT_EQ(t.lua->getTop(), 0);
}

TEST_F(LuaStateTest, AnErrorTwoFramesDeepCarriesTheTraceWithLocals)
{
    t.lua->doString("local function inner(n)\n"
                    "  local label = 'deep'\n"
                    "  local list = {}\n"
                    "  local missing\n"
                    "  return n + missing\n"
                    "end\n"
                    "function outer(count)\n"
                    "  local r = inner(count * 2)\n"
                    "  return r\n"
                    "end\n");
    try {
        t.lua->callFunction("outer", {KVNumber::withFloat(3)});
        FAIL() << "no exception";
    } catch (const LuaErrorException& e) {
        EXPECT_EQ(e.name(), "Lua Error");
        const std::string chunk = "[string \"local function inner(n)...\"]";
        EXPECT_EQ(e.luaError(), chunk + ":5: attempt to perform arithmetic on local 'missing' (a nil value)");
        ASSERT_TRUE(e.luaStackTrace());
        EXPECT_EQ(*e.luaStackTrace(),
                  std::string("Stack Trace:\n")
                  + "0: C function (null)\n"
                  "1: [" + chunk + ":inner]:5\n"
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
                  "2: [" + chunk + ":(null)]:8\n"
                  "{\n"
                  "\tcount = 3\n"
                  "}\n");
        EXPECT_EQ(e.reason(), e.luaError() + "\n" + *e.luaStackTrace());
    }
    // The stack is empty and the lock free afterwards.
    ASSERT_TRUE(t.lua->tryLockState());
    EXPECT_EQ(t.lua->getTop(), 0);
    t.lua->unlockState();
}

TEST_F(LuaStateTest, TheLockExcludesASecondThread)
{
    t.lua->doString("order = ''");
    t.lua->lockState();
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
    lua_getglobal(t.L(), "order");
    lua_pushstring(t.L(), "first,");
    lua_concat(t.L(), 2);
    lua_setglobal(t.L(), "order");
    t.lua->unlockState();
    second.join();
    EXPECT_EQ(t.lua->evaluateExpression("order"), "first,second");
}

TEST_F(LuaStateTest, TakingTheLockTwiceOnOneThreadFailsInsteadOfHanging)
{
    LuaState::Lock lock(*t.lua);
    EXPECT_THROW(t.lua->doString("x = 1"), KVObjectException);
    EXPECT_FALSE(t.lua->tryLockState());
}

TEST_F(LuaStateTest, DoFileGivesStringsNothingForNilAndAMarkerOtherwise)
{
    TempDir dir;
    writeFile(dir.file("s.lua"), "return 'hello'");
    writeFile(dir.file("n.lua"), "return 42");
    writeFile(dir.file("none.lua"), "x = 1");
    writeFile(dir.file("bad.lua"), "return +");
    EXPECT_EQ(t.lua->doFile(dir.file("s.lua")), std::optional<std::string>("hello"));
    EXPECT_EQ(t.lua->doFile(dir.file("n.lua")), std::optional<std::string>("Result not a string!"));
    EXPECT_EQ(t.lua->doFile(dir.file("none.lua")), std::nullopt);
    // A file that is missing or does not compile reports its own message.
    EXPECT_NE(thrown([&] { t.lua->doFile(dir.file("missing.lua")); }).find("cannot open " + dir.file("missing.lua")),
              std::string::npos);
    const std::string syntax = thrown([&] { t.lua->doFile(dir.file("bad.lua")); });
    EXPECT_NE(syntax.find("unexpected symbol"), std::string::npos) << syntax;
    EXPECT_EQ(syntax.find("Stack Trace"), std::string::npos) << syntax;
    ASSERT_TRUE(t.lua->tryLockState());
    EXPECT_EQ(t.lua->getTop(), 0);
    t.lua->unlockState();
}

TEST_F(LuaStateTest, TextChunksExpressionsAndMethods)
{
    EXPECT_EQ(t.lua->doString("value = 5 return 'ignored'"), std::nullopt);
    EXPECT_EQ(t.lua->evaluateExpression("value + 1"), "6");
    EXPECT_EQ(t.lua->evaluateExpression("''"), "");
    EXPECT_EQ(t.lua->evaluateExpression("nil"), "nil");
    EXPECT_TRUE(t.lua->syntaxCheck("return 1"));
    EXPECT_FALSE(t.lua->syntaxCheck("return +"));
    EXPECT_THROW(t.lua->doString("error('boom')"), LuaErrorException);
    EXPECT_THROW(t.lua->evaluateExpression("nosuch.field"), LuaErrorException);
    const std::string syntax = thrown([&] { t.lua->doString("local = 1"); });
    EXPECT_EQ(syntax.find("attempt to call"), std::string::npos) << syntax;
    EXPECT_NE(syntax.find("'<name>' expected near '='"), std::string::npos) << syntax;

    t.lua->doString("game = { scale = 3 } function game.times(self, n) return self.scale * n end");
    Ref<KVObject> r = t.lua->callSimpleMethod("times", "game", {KVNumber::withFloat(4)});
    ASSERT_TRUE(number(r));
    EXPECT_EQ(number(r)->floatValue(), 12);
    EXPECT_THROW(t.lua->callMethod("nosuch", "game"), LuaErrorException);
    EXPECT_THROW(t.lua->callFunction("nosuch"), LuaErrorException);
    t.lua->close();
    EXPECT_EQ(t.lua->evaluateExpression("1"), "");
}

// Fields are the proxies' part (LuaObject's tests); here what must not
// reach Lua at all.
TEST_F(LuaStateTest, PrimitivesCheckTheirPreconditions)
{
    {
        LuaState::Lock lock(*t.lua);
        lua_newtable(t.L());
        EXPECT_EQ(thrown([&] { t.lua->getMember(""); }),
                  std::string(KVObjectException::InternalInconsistency) + ": name is an empty string");
        // Storing under a nil key is refused instead of raising outside a protected call.
        EXPECT_THROW(t.lua->setMemberValue(KVNumber::withFloat(1).get(), nullptr), KVObjectException);
        lua_settop(t.L(), 0);
    }
    t.lua->close();
    EXPECT_NE(thrown([&] { t.lua->getTop(); }).find(": Lua State is nil"), std::string::npos);
    EXPECT_EQ(t.lua->callFunction("x")->count(), 0u);
    EXPECT_EQ(t.lua->callSimpleFunction("x"), nullptr);
    EXPECT_EQ(t.lua->doString("x = 1"), std::nullopt);
    EXPECT_FALSE(t.lua->syntaxCheck("x = 1"));
    EXPECT_EQ(t.lua->globalObject(), nullptr);
}

TEST_F(LuaStateTest, LogStackPrintsOneLinePerSlot)
{
    LuaState::Lock lock(*t.lua);
    ASSERT_EQ(luaL_dostring(t.L(), "return nil, true, 1.5, 's', {}, print"), 0);
    lua_newuserdata(t.L(), 4);
    lua_pushlightuserdata(t.L(), nullptr);
    testing::internal::CaptureStderr();
    t.lua->logStack();
    std::string log = testing::internal::GetCapturedStderr();
    std::string expected[] = {"Lua Stack:", "1\tnil", "2\tboolean\t1", "3\tnumber\t1.500000", "4\tstring\ts",
                              "5\ttable", "6\tfunction", "7\tuserdata"};
    size_t at = 0;
    for (const auto& line : expected) {
        size_t found = log.find("] " + line + "\n", at);
        ASSERT_NE(found, std::string::npos) << line << " in " << log;
        at = found;
    }
    EXPECT_EQ(log.find("8\t"), std::string::npos);
    lua_settop(t.L(), 0);
}

TEST_F(LuaStateTest, PanicsBecomeExceptions)
{
    LuaState::Lock lock(*t.lua);
    lua_pushstring(t.L(), "outside");
    EXPECT_EQ(thrown([&] { lua_error(t.L()); }), "Lua Error: outside");  // no stack trace added
}

TEST_F(LuaStateTest, InstanceOfClassCallsNewAndAnnouncesIt)
{
    t.lua->doString("Point = {} Point.__index = Point"
                    " function Point.new(self) return setmetatable({ x = 1 }, Point) end");
    int announced = 0;
    t.center.addObserver(LuaState::ObjectCreatedNotification, t.lua.get(),
                         [&](const KVNotification&) { ++announced; });
    Ref<KVObject> p = t.lua->instanceOfClass("Point");
    auto point = dynamic_cast<LuaObject*>(p.get());
    ASSERT_TRUE(point);
    EXPECT_EQ(number(point->valueForKey("x"))->floatValue(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.lua->instanceOfClass("Nothing"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("No lua class Nothing found"), std::string::npos);
    EXPECT_EQ(announced, 2);
}

TEST(LuaState, ABareStateHasGlobalsAndTheBridge)
{
    Ref<LuaState> lua = LuaState::withNewState();
    ASSERT_TRUE(lua->globalObject());
    EXPECT_EQ(number(lua->globalObject()->valueForKey("_debuglevel"))->floatValue(), 1);
    EXPECT_TRUE(dynamic_cast<LuaObject*>(lua->globalObject()->valueForKey("luaBinder").get()));
    EXPECT_TRUE(dynamic_cast<LuaObject*>(lua->globalObject()->valueForKey("luaObjc").get()));
    lua->close();
}
}  // namespace
