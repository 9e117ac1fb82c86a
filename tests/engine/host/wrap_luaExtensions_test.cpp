// The global functions createTable, createTableT and typeCode.
#include <gtest/gtest.h>

#include "engine/host/wrap_luaExtensions.h"
#include "tests/engine/host/ScriptModuleTest.h"

namespace {

int pushLightUserdata(lua_State* L)
{
    lua_pushlightuserdata(L, L);
    return 1;
}

TEST_F(ScriptModules, TypeCodeOfEveryType)
{
    lua_register(L, "light", pushLightUserdata);
    EXPECT_EQ(eval("typeCode(nil)"), "0");
    EXPECT_EQ(eval("typeCode(false)"), "1");
    EXPECT_EQ(eval("typeCode(light())"), "2");
    EXPECT_EQ(eval("typeCode(1.5)"), "3");
    EXPECT_EQ(eval("typeCode('x')"), "4");
    EXPECT_EQ(eval("typeCode({})"), "5");
    EXPECT_EQ(eval("typeCode(print)"), "6");
    EXPECT_EQ(eval("typeCode(io.stdout)"), "7");
    EXPECT_EQ(eval("typeCode(coroutine.create(function() end))"), "8");
    EXPECT_EQ(eval("type(typeCode('x'))"), "number");
    // The last argument counts; none is nil.
    EXPECT_EQ(eval("typeCode({}, 'x')"), "4");
    EXPECT_EQ(eval("typeCode()"), "0");
}

TEST_F(ScriptModules, CreatedTablesHaveTheAskedCapacities)
{
    auto capacity = [&](const std::string& expression) {
        EXPECT_EQ(run("_t = " + expression), "");
        lua_getglobal(L, "_t");
        int arraySlots = -1, hashSlots = -1;
        KVTableCapacity(L, -1, &arraySlots, &hashSlots);
        lua_pop(L, 1);
        return std::to_string(arraySlots) + "/" + std::to_string(hashSlots);
    };
    EXPECT_EQ(capacity("createTable(10, 4)"), "10/4");
    // Like a table of 10 array entries and 3 hash entries, but empty.
    EXPECT_EQ(capacity("createTableT({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, a = 1, b = 2, c = 3})"), "10/4");
    EXPECT_EQ(eval("next(createTable(10, 4)) == nil and next(createTableT({1, a = 2})) == nil"), "true");

    // Wrong arguments are Lua errors naming the argument.
    const std::pair<const char*, const char*> errors[] = {
        {"createTable('a', 2)", "createTable: the array size must be a number, got string"},
        {"createTable(2)", "the array size must be a number, got nothing"},
        {"createTable(1, {})", "the hash size must be a number, got table"},
        {"createTable(-1, 0)", "the array size must be from 0 to"},
        {"createTable(1e30, 0)", "the array size must be from 0"},
        {"createTable(0, 0/0)", "the hash size must be from 0"},
        {"createTableT(5)", "createTableT: the argument must be a table, got number"},
        {"createTableT()", "got nothing"},
    };
    for (const auto& [call, message] : errors)
        EXPECT_NE(run(call).find(message), std::string::npos) << call;
}

}  // namespace
