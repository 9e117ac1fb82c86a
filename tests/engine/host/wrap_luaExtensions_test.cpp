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
    EXPECT_EQ(capacity("createTable(0, 0)"), "0/0");
    EXPECT_EQ(capacity("createTable('ignored', 3, 5)"), "3/8");  // hash parts are powers of two
    EXPECT_EQ(eval("next(createTable(10, 4))"), "nil");

    // Like a table of 10 array entries and 3 hash entries, but empty.
    EXPECT_EQ(run("model = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, a = 1, b = 2, c = 3}"), "");
    EXPECT_EQ(capacity("model"), "10/4");
    EXPECT_EQ(capacity("createTableT(model)"), "10/4");
    EXPECT_EQ(eval("next(createTableT(model))"), "nil");
    EXPECT_EQ(capacity("createTableT({})"), "0/0");
    EXPECT_EQ(capacity("createTableT({x = 1})"), "0/1");

    // Wrong arguments are Lua errors naming the argument.
    EXPECT_NE(run("createTable('a', 2)").find("createTable: the array size must be a number, got string"),
              std::string::npos);
    EXPECT_NE(run("createTable(2)").find("the array size must be a number, got nothing"), std::string::npos);
    EXPECT_NE(run("createTable(1, {})").find("the hash size must be a number, got table"), std::string::npos);
    EXPECT_NE(run("createTable(-1, 0)").find("the array size must be from 0 to"), std::string::npos);
    EXPECT_NE(run("createTable(1e30, 0)").find("the array size must be from 0"), std::string::npos);
    EXPECT_NE(run("createTable(0, 0/0)").find("the hash size must be from 0"), std::string::npos);
    EXPECT_NE(run("createTableT(5)").find("createTableT: the argument must be a table, got number"),
              std::string::npos);
    EXPECT_NE(run("createTableT()").find("got nothing"), std::string::npos);
}

}  // namespace
