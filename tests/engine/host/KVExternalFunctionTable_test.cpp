#include <gtest/gtest.h>

#include <string>

#include "engine/host/KVEngine.h"
#include "engine/host/KVExternalFunctionTable.h"
#include "tests/engine/bridge/ProbeObject.h"
#include "tests/support/LuaChunk.h"

namespace {

// An engine state whose script calls external functions through "callbacks",
// answered by a native object as the shell registers them.
struct ExternalFunctionTest : ::testing::Test {
    LuaTestState lua;
    Ref<ProbeObject> shell = makeRef<ProbeObject>();
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

TEST_F(ExternalFunctionTest, ArgumentsConvertByTheDeclaredTypesAndResultsByTheReturnType)
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
    EXPECT_EQ(call("'describe', 42") + ", " + call("'describe', {}") + ", " + call("'describe', true"),
              "1 string string:42, 1 string none, 1 string none");

    // Results convert by the return type.
    const std::pair<const char*, const char*> results[] = {
        {"number:", "1 number 2.5"}, {"nothing:", "0 nil nil"}, {"nilObject:", "1 nil nil"}, {"int:", "1 number -7"},
        {"uint:", "1 number 4e+09"}, {"double:", "1 number 0.1"}, {"float:", "1 number 1.5"},
        {"bool:", "1 boolean true"},
    };
    for (const auto& [selector, expected] : results) {
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
    for (auto [target, selector] : {std::pair{shell.get(), "noSuch:"}, {shell.get(), "noContext"}, {nullptr, "int:"}})
        EXPECT_FALSE(table()->registerTarget(target, nullptr, selector, "a")) << selector;
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
