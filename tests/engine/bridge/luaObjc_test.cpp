#include <gtest/gtest.h>

#include <regex>

#include "engine/bridge/luaObjc.h"
#include "tests/engine/bridge/ProbeObject.h"

namespace {

struct LuaObjcTest : ::testing::Test {
    BridgeTestState t;
    void SetUp() override
    {
        ProbeObject::probeClass();
        t.lua->doString("Probe = luaObjc.class('BridgeProbe') p = Probe:new()"
                        " function n(...) return select('#', ...) end");
    }
    std::string eval(const std::string& e) { return t.lua->evaluateExpression(e); }
};

// The Bridge bundle builds arrays from a script and prints their strings
// and counts; here the conversions it does not reach.
TEST_F(LuaObjcTest, ArgumentsAndResultsConvertByTypeCodeAndFailuresGiveNothing)
{
    t.lua->doString("p:take_int_unsigned_double_float_char_(12, 3.9, 7.2, 0.125, 1.5, true)");
    // The object argument arrives as a number object; the BOOL is not marshalled.
    EXPECT_EQ(eval("p:seen()"), "12|3|7|0.125|1.500|0");
    EXPECT_EQ(eval("table.concat({p:kindOf_(1.5), p:kindOf_('s'), p:kindOf_(nil), p:kindOf_({}), p:kindOf_(p),"
                   " p:kindOf_(Probe)}, '|')"),
              "float:1.5|string:s|none|none|other|class");
    EXPECT_EQ(eval("p:takeClass_(Probe) ~= nil and p:takeClass_(Probe):description()"), "BridgeProbe");
    // Missing arguments read as nil and zero.
    t.lua->doString("p:take_int_unsigned_double_float_char_()");
    EXPECT_EQ(eval("p:seen()"), "(null)|0|0|0.000|0.000|0");

    EXPECT_EQ(eval("table.concat({p:number_(), p:int_(), p:uint_(), p:double_(), p:float_(), type(p:description())},"
                   " ' ')"),
              "2.5 -7 4e+09 0.1 1.5 string");
    // No Lua form: nothing at all.
    EXPECT_EQ(eval("n(p:bool_()) .. n(p:nothing_())"), "00");

    // Failures are logged and give nothing.
    testing::internal::CaptureStderr();
    EXPECT_EQ(eval("n(p:noSuch_(1)) .. n(Probe:noSuch_thing_()) .. n(luaObjc.class('NoSuchClass'):alloc()) .."
                   " n(p.int_({})) .. n(p:fail_())"),
              "00000");
    // Without time stamps and addresses.
    EXPECT_EQ(std::regex_replace(testing::internal::GetCapturedStderr(), std::regex("[^\n]*\\] |0x[0-9a-f]+"), ""),
              "luaObjc_object_method_call, <BridgeProbe: > does not respond to selector: noSuch:\n"
              "luaObjc: class BridgeProbe has no method called noSuch_thing_\n"
              "luaObjc: class (null) has no method called alloc\n"
              "luaObject_object_method_call attempt to call method int_ on nil\n"
              "luaObjc: fail: raised NSInvalidArgumentException: probe failed\n");
}

TEST_F(LuaObjcTest, RetainsBalanceWhenProxiesAreCollected)
{
    t.lua->collectGarbage();
    long before = KVObject::liveObjectCount();
    t.lua->doString("for i = 1, 20 do local a = luaObjc.class('NSMutableArray'):array()"
                    " a:addObject_(luaObjc.class('NSString'):stringWithString_('s' .. i)) a:addObject_(a:count())"
                    " local d = luaObjc.class('NSMutableDictionary'):dictionary() d:setObject_forKey_(a, 'k') end");
    t.lua->collectGarbage();
    EXPECT_EQ(KVObject::liveObjectCount(), before);

    // One native object pushed twice: two proxies, two retains, two releases.
    Ref<KVObject> shared = makeRef<ProbeObject>();
    {
        LuaState::Lock lock(*t.lua);
        luaObjc_pushid(t.L(), shared.get());
        luaObjc_pushid(t.L(), shared.get());
        EXPECT_FALSE(lua_rawequal(t.L(), -1, -2));
        EXPECT_TRUE(luaObjc_isid(t.L(), -1));
        EXPECT_EQ(luaObjc_getid(t.L(), -2), shared.get());
        lua_settop(t.L(), 0);
    }
    EXPECT_EQ(shared->retainCount(), 3);
    t.lua->collectGarbage();
    EXPECT_EQ(shared->retainCount(), 1);
}

}  // namespace
