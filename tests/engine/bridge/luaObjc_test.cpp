#include <gtest/gtest.h>

#include <regex>

#include "engine/bridge/luaObjc.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVMutableArray.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "tests/engine/bridge/BridgeTestState.h"

namespace {

// A native class that records what its methods receive.
class Probe : public KVObject {
public:
    std::string received;
    KVClass* objClass() const override { return probeClass(); }

    static KVClass* probeClass()
    {
        static KVClass* cls = define();
        return cls;
    }

private:
    static KVClass* define()
    {
        auto& registry = KVClassRegistry::shared();
        KVClass* cls = registry.defineClass("BridgeProbe", registry.lookup("NSObject"),
                                            [] { return Ref<KVObject>(makeRef<Probe>()); });
        auto self = [](KVInvocation& inv) { return inv.targetAs<Probe>(); };
        cls->addInstanceMethod("take:int:unsigned:double:float:char:", "v@:@iIdfc", [self](KVInvocation& inv) {
            char text[256];
            std::snprintf(text, sizeof text, "%s|%d|%u|%.3f|%.3f|%d", kvDescription(inv.objectArgument(2)).c_str(),
                          inv.intArgument(3), inv.unsignedIntArgument(4), inv.doubleArgument(5),
                          static_cast<double>(inv.floatArgument(6)), inv.argument(7).isSet() ? 1 : 0);
            self(inv)->received = text;
        });
        cls->addInstanceMethod("kindOf:", "@@:@", [](KVInvocation& inv) {
            KVObject* o = inv.objectArgument(2);
            std::string kind = !o ? "nil"
                               : dynamic_cast<KVNumber*>(o)
                                   ? "number " + std::to_string(dynamic_cast<KVNumber*>(o)->kind() == KVNumber::Kind::Float)
                               : dynamic_cast<KVString*>(o) ? "string"
                               : dynamic_cast<KVClass*>(o)  ? "class"
                                                            : "object";
            inv.setReturnValue(KVValue::object(KVString::withString(kind)));
        });
        cls->addInstanceMethod("takeClass:", "#@:#", [](KVInvocation& inv) {
            inv.setReturnValue(KVValue::classValue(inv.classArgument(2)));
        });
        cls->addInstanceMethod("received", "@@:", [self](KVInvocation& inv) {
            inv.setReturnValue(KVValue::object(KVString::withString(self(inv)->received)));
        });
        cls->addInstanceMethod("ping", "i@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::intValue(-5)); });
        cls->addInstanceMethod("big", "I@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::unsignedIntValue(70000)); });
        cls->addInstanceMethod("half", "d@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::doubleValue(0.5)); });
        cls->addInstanceMethod("quarter", "f@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::floatValue(0.25f)); });
        cls->addInstanceMethod("yes", "c@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::boolValue(true)); });
        cls->addInstanceMethod("pointer", "^v@:", [](KVInvocation& inv) { inv.setReturnValue(KVValue::pointerValue(&inv)); });
        cls->addInstanceMethod("point", "{Point=ff}@:", [](KVInvocation&) {});
        cls->addInstanceMethod("nothing", "v@:", [](KVInvocation&) {});
        cls->addInstanceMethod("explode", "v@:", [](KVInvocation&) {
            throw KVObjectException(KVObjectException::InvalidArgument, "probe exploded");
        });
        return cls;
    }
};

struct LuaObjcTest : ::testing::Test {
    BridgeTestState t;
    void SetUp() override
    {
        Probe::probeClass();
        t.lua->doString("Probe = luaObjc.class('BridgeProbe') p = Probe:new()"
                        " function n(...) return select('#', ...) end");
    }
    std::string eval(const std::string& e) { return t.lua->evaluateExpression(e); }
};

// The Bridge bundle builds arrays from a script and prints their strings
// and counts; here the conversions it does not reach.
TEST_F(LuaObjcTest, ArgumentsAndResultsConvertByTypeCode)
{
    t.lua->doString("p:take_int_unsigned_double_float_char_(12, 3.9, 7.2, 0.125, 1.5, true)");
    // The object argument arrives as a number object; the BOOL is not marshalled.
    EXPECT_EQ(eval("p:received()"), "12|3|7|0.125|1.500|0");
    EXPECT_EQ(eval("table.concat({p:kindOf_(1.5), p:kindOf_('s'), p:kindOf_(nil), p:kindOf_({}), p:kindOf_(p),"
                   " p:kindOf_(Probe)}, '|')"),
              "number 1|string|nil|nil|object|class");
    EXPECT_EQ(eval("p:takeClass_(Probe) ~= nil and p:takeClass_(Probe):description()"), "BridgeProbe");
    // Missing arguments read as nil and zero.
    t.lua->doString("p:take_int_unsigned_double_float_char_()");
    EXPECT_EQ(eval("p:received()"), "(null)|0|0|0.000|0.000|0");

    EXPECT_EQ(eval("table.concat({p:ping(), p:big(), p:half(), p:quarter(), type(p:description())}, ' ')"),
              "-5 70000 0.5 0.25 string");
    // No Lua form: nothing at all.
    EXPECT_EQ(eval("n(p:yes()) .. n(p:pointer()) .. n(p:point()) .. n(p:nothing())"), "0000");
}

TEST_F(LuaObjcTest, FailuresAreLoggedAndGiveNothing)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(eval("n(p:noSuch_(1)) .. n(Probe:noSuch_thing_()) .. n(luaObjc.class('NoSuchClass'):alloc()) .."
                   " n(p.ping({})) .. n(p:explode())"),
              "00000");
    // Without time stamps and addresses.
    EXPECT_EQ(std::regex_replace(testing::internal::GetCapturedStderr(), std::regex("[^\n]*\\] |0x[0-9a-f]+"), ""),
              "luaObjc_object_method_call, <BridgeProbe: > does not respond to selector: noSuch:\n"
              "luaObjc: class BridgeProbe has no method called noSuch_thing_\n"
              "luaObjc: class (null) has no method called alloc\n"
              "luaObject_object_method_call attempt to call method ping on nil\n"
              "luaObjc: explode raised NSInvalidArgumentException: probe exploded\n");
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
    Ref<KVObject> shared = makeRef<Probe>();
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
