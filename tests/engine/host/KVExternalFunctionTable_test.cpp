#include <gtest/gtest.h>

#include <string>

#include "engine/host/KVEngine.h"
#include "engine/host/KVExternalFunctionTable.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"
#include "tests/support/LuaChunk.h"

namespace {

// The kind of native object the shell registers: methods take the context
// first, then the script's arguments.
class Shell : public KVObject {
public:
    std::string seen;
    void* context = nullptr;
    KVClass* objClass() const override { return shellClass(); }

    static KVClass* shellClass()
    {
        static KVClass* cls = define();
        return cls;
    }

private:
    static KVClass* define()
    {
        auto& registry = KVClassRegistry::shared();
        KVClass* cls = registry.defineClass("ExternalShellProbe", registry.lookup("NSObject"));
        auto self = [](KVInvocation& inv) { return inv.targetAs<Shell>(); };
        cls->addInstanceMethod("openURL:withString:extBrowser:", "v@:^v@c", [self](KVInvocation& inv) {
            self(inv)->context = inv.pointerArgument(2);
            self(inv)->seen = kvDescription(inv.objectArgument(3)) + (inv.boolArgument(4) ? " YES" : " NO");
        });
        cls->addInstanceMethod("context:count:scale:", "v@:^vif", [self](KVInvocation& inv) {
            self(inv)->seen = std::to_string(inv.intArgument(3)) + " " + std::to_string(inv.floatArgument(4));
        });
        cls->addInstanceMethod("describe:value:", "@@:^v@", [](KVInvocation& inv) {
            KVObject* o = inv.objectArgument(3);
            std::string kind = !o ? "nil" : dynamic_cast<KVString*>(o) ? "string " + kvDescription(o) : "other";
            inv.setReturnValue(KVValue::object(KVString::withString(kind)));
        });
        cls->addInstanceMethod("number:", "@@:^v", [](KVInvocation& inv) {
            inv.setReturnValue(KVValue::object(KVNumber::withDouble(2.5)));
        });
        cls->addInstanceMethod("nothing:", "v@:^v", [](KVInvocation&) {});
        cls->addInstanceMethod("nilObject:", "@@:^v", [](KVInvocation&) {});
        cls->addInstanceMethod("int:", "i@:^v", [](KVInvocation& inv) { inv.setReturnValue(KVValue::intValue(-7)); });
        cls->addInstanceMethod("uint:", "I@:^v", [](KVInvocation& inv) {
            inv.setReturnValue(KVValue::unsignedIntValue(4000000000u));
        });
        cls->addInstanceMethod("double:", "d@:^v", [](KVInvocation& inv) { inv.setReturnValue(KVValue::doubleValue(0.1)); });
        cls->addInstanceMethod("float:", "f@:^v", [](KVInvocation& inv) { inv.setReturnValue(KVValue::floatValue(1.5f)); });
        cls->addInstanceMethod("bool:", "c@:^v", [](KVInvocation& inv) { inv.setReturnValue(KVValue::boolValue(true)); });
        cls->addInstanceMethod("fail:", "v@:^v", [](KVInvocation&) {
            throw KVObjectException(KVObjectException::InvalidArgument, "shell failed");
        });
        cls->addInstanceMethod("noContext", "v@:", [](KVInvocation&) {});
        return cls;
    }
};

// An engine state whose script calls external functions through "callbacks".
struct ExternalFunctionTest : ::testing::Test {
    LuaTestState lua;
    Ref<Shell> shell = makeRef<Shell>();
    int contextMarker = 0;

    void SetUp() override
    {
        KV_InitFromBuffer(lua.engine, "", 0, nullptr);
        lua.engine->callbacks.externalFunction = callExternalFunction;
    }
    void TearDown() override { KVExternalFunctionTable::destroyExternalFunctionTableForState(lua.L); }
    std::shared_ptr<KVExternalFunctionTable> table()
    {
        return KVExternalFunctionTable::externalFunctionTableForState(lua.L);
    }
    void add(const char* name, const char* selector)
    {
        ASSERT_TRUE(table()->registerTarget(shell.get(), &contextMarker, selector, name));
    }
    // The call's answers: how many, and the first's type and text.
    std::string call(const std::string& arguments)
    {
        return lua.eval("(function(...) return select('#', ...) .. ' ' .. type((...)) .. ' ' .. tostring((...)) end)"
                        "(callbacks.callExternalFunction(" + arguments + "))");
    }
};

TEST_F(ExternalFunctionTest, ArgumentsConvertByTheDeclaredTypes)
{
    add("openURL", "openURL:withString:extBrowser:");
    add("count", "context:count:scale:");
    add("describe", "describe:value:");
    const std::pair<const char*, const char*> cases[] = {
        {"'openURL', 'http://example.test/', true", "http://example.test/ YES"},
        {"'openURL', 'x', nil", "x NO"},
        {"'count', 3.9, 2", "3 2.000000"},
        // Missing arguments read as nil, zero and false.
        {"'count'", "0 0.000000"},
    };
    for (const auto& [arguments, seen] : cases) {
        call(arguments);
        EXPECT_EQ(shell->seen, seen) << arguments;
    }
    EXPECT_EQ(shell->context, &contextMarker);
    EXPECT_EQ(call("'describe', 42"), "1 string string 42");
    EXPECT_EQ(call("'describe', {}"), "1 string nil");
    EXPECT_EQ(call("'describe', true"), "1 string nil");
}

TEST_F(ExternalFunctionTest, ResultsConvertByTheReturnType)
{
    const std::pair<const char*, const char*> cases[] = {
        {"number:", "1 number 2.5"}, {"nothing:", "0 nil nil"}, {"nilObject:", "1 nil nil"}, {"int:", "1 number -7"},
        {"uint:", "1 number 4e+09"}, {"double:", "1 number 0.1"}, {"float:", "1 number 1.5"},
        {"bool:", "1 boolean true"},
    };
    for (const auto& [selector, expected] : cases) {
        add(selector, selector);
        EXPECT_EQ(call(std::string("'") + selector + "'"), expected) << selector;
    }
    // Unknown calls and failures give no values.
    add("fail", "fail:");
    for (const char* arguments : {"'unknown', 1", "", "{}"})
        EXPECT_EQ(call(arguments), "0 nil nil") << arguments;
    testing::internal::CaptureStderr();
    EXPECT_EQ(call("'fail'"), "0 nil nil");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("External function \"fail\" failed"), std::string::npos);
}

TEST_F(ExternalFunctionTest, RegistrationsAreCheckedReplacedAndEndWithTheirState)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(table()->registerTarget(shell.get(), nullptr, "noSuch:", "a"));
    EXPECT_FALSE(table()->registerTarget(shell.get(), nullptr, "noContext", "b"));
    EXPECT_FALSE(table()->registerTarget(nullptr, nullptr, "int:", "c"));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(table()->hasFunction("a"));

    table()->registerTarget(shell.get(), nullptr, {{"value", "int:"}, {"other", "float:"}});
    EXPECT_EQ(call("'value'"), "1 number -7");
    table()->registerTarget(shell.get(), nullptr, "float:", "value");
    EXPECT_EQ(call("'value'"), "1 number 1.5");
    EXPECT_EQ(shell->retainCount(), 3);  // the test and two registrations

    KVExternalFunctionTable::destroyExternalFunctionTableForState(lua.L);
    EXPECT_EQ(shell->retainCount(), 1);
    EXPECT_FALSE(table()->hasFunction("value"));
    EXPECT_EQ(call("'value'"), "0 nil nil");
}

}  // namespace
