#include <gtest/gtest.h>

#include <string>

#include "engine/host/KVEngine.h"
#include "engine/host/KVExternalFunctionTable.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"
#include "tests/support/TempDir.h"

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
    TempDir dir;
    KV_State* state = nullptr;
    Ref<Shell> shell = makeRef<Shell>();
    int contextMarker = 0;

    void SetUp() override
    {
        state = KV_NewState(0);
        KV_LoadLibs(state->L);
        const std::string engine = "function initEngine() end";
        KV_InitFromBuffer(state, engine.data(), engine.size(), dir.file("save.data").c_str());
        state->callbacks.externalFunction = callExternalFunction;
    }
    void TearDown() override
    {
        KVExternalFunctionTable::destroyExternalFunctionTableForState(state->L);
        KV_DestroyState(state);
    }
    std::shared_ptr<KVExternalFunctionTable> table()
    {
        return KVExternalFunctionTable::externalFunctionTableForState(state->L);
    }
    void add(const char* name, const char* selector)
    {
        ASSERT_TRUE(table()->registerTarget(shell.get(), &contextMarker, selector, name));
    }
    // Runs a chunk and gives back what it returns as text.
    std::string run(const std::string& chunk)
    {
        lua_State* L = state->L;
        if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
            std::string error = lua_tostring(L, -1);
            lua_settop(L, 0);
            return "error: " + error;
        }
        std::string result = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(not text)";
        lua_settop(L, 0);
        return result;
    }
};

TEST_F(ExternalFunctionTest, ArgumentsConvertByTheDeclaredTypes)
{
    add("openURL", "openURL:withString:extBrowser:");
    add("count", "context:count:scale:");
    add("describe", "describe:value:");
    run("callbacks.callExternalFunction('openURL', 'http://example.test/', true)");
    EXPECT_EQ(shell->seen, "http://example.test/ YES");
    EXPECT_EQ(shell->context, &contextMarker);
    run("callbacks.callExternalFunction('openURL', 'x', nil)");
    EXPECT_EQ(shell->seen, "x NO");
    run("callbacks.callExternalFunction('count', 3.9, 2)");
    EXPECT_EQ(shell->seen, "3 2.000000");
    // Missing arguments read as nil, zero and false.
    run("callbacks.callExternalFunction('count')");
    EXPECT_EQ(shell->seen, "0 0.000000");
    EXPECT_EQ(run("return callbacks.callExternalFunction('describe', 42)"), "string 42");
    EXPECT_EQ(run("local n = 42 callbacks.callExternalFunction('describe', n) return type(n)"), "number");
    EXPECT_EQ(run("return callbacks.callExternalFunction('describe', {})"), "nil");
    EXPECT_EQ(run("return callbacks.callExternalFunction('describe', true)"), "nil");
}

TEST_F(ExternalFunctionTest, ResultsConvertByTheReturnType)
{
    const std::pair<const char*, const char*> cases[] = {
        {"number:", "number 2.5"}, {"nothing:", "0 values"}, {"nilObject:", "nil nil"}, {"int:", "number -7"},
        {"uint:", "number 4000000000"}, {"double:", "number 0.1"}, {"float:", "number 1.5"},
        {"bool:", "boolean true"},
    };
    for (const auto& [selector, expected] : cases) {
        add(selector, selector);
        EXPECT_EQ(run(std::string("local n = select('#', callbacks.callExternalFunction('") + selector + "'))"
                      " local v = callbacks.callExternalFunction('" + selector + "')"
                      " if n == 0 then return '0 values' end"
                      " return type(v) .. ' ' .. (v == 0.1 and '0.1' or v == 4000000000 and '4000000000' or tostring(v))"),
                  expected)
            << selector;
    }
}

TEST_F(ExternalFunctionTest, UnknownCallsAndFailuresGiveNoValues)
{
    add("fail", "fail:");
    EXPECT_EQ(run("return select('#', callbacks.callExternalFunction('unknown', 1))"), "0");
    EXPECT_EQ(run("return select('#', callbacks.callExternalFunction())"), "0");
    EXPECT_EQ(run("return select('#', callbacks.callExternalFunction({}))"), "0");
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("return select('#', callbacks.callExternalFunction('fail'))"), "0");
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
    EXPECT_EQ(run("return callbacks.callExternalFunction('value')"), "-7");
    table()->registerTarget(shell.get(), nullptr, "float:", "value");
    EXPECT_EQ(run("return callbacks.callExternalFunction('value')"), "1.5");
    EXPECT_EQ(shell->retainCount(), 3);  // the test and two registrations

    KVExternalFunctionTable::destroyExternalFunctionTableForState(state->L);
    EXPECT_EQ(shell->retainCount(), 1);
    EXPECT_FALSE(table()->hasFunction("value"));
    EXPECT_EQ(run("return select('#', callbacks.callExternalFunction('value'))"), "0");
}

}  // namespace
