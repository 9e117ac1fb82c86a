// The global functions createTable, createTableT and typeCode.
#include <gtest/gtest.h>

#include "engine/host/wrap_luaExtensions.h"
#include "tests/support/LuaChunk.h"

namespace {

// typeCode gives Lua's own type codes; of the last argument, nil when none.
TEST(LuaExtensions, CreatedTablesHaveTheAskedCapacitiesAndTypeCodesTheLastArgument)
{
    LuaTestState s;
    auto capacity = [&](const std::string& expression) {
        EXPECT_EQ(s.run("_t = " + expression), "");
        lua_getglobal(s.L, "_t");
        int arraySlots = -1, hashSlots = -1;
        KVTableCapacity(s.L, -1, &arraySlots, &hashSlots);
        lua_pop(s.L, 1);
        return std::to_string(arraySlots) + "/" + std::to_string(hashSlots);
    };
    EXPECT_EQ(capacity("createTable(10, 4)"), "10/4");
    // Like a table of 10 array entries and 3 hash entries, but empty.
    EXPECT_EQ(capacity("createTableT({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, a = 1, b = 2, c = 3})"), "10/4");
    EXPECT_EQ(s.eval("next(createTable(10, 4)) == nil and next(createTableT({1, a = 2})) == nil"), "true");
    EXPECT_EQ(s.eval("typeCode() .. typeCode(1, 'x', {}) .. typeCode(print)"), "056");

    // Wrong arguments are Lua errors naming the argument.
    const std::pair<const char*, const char*> errors[] = {
        {"createTable('a', 2)", "createTable: the array size must be a number, got string"},
        {"createTable(2)", "the array size must be a number, got nothing"},
        {"createTable(1, {})", "the hash size must be a number, got table"},
        {"createTable(1e30, 0)", "the array size must be from 0 to"},
        {"createTable(0, 0/0)", "the hash size must be from 0"},
        {"createTableT(5)", "createTableT: the argument must be a table, got number"},
        {"createTableT()", "got nothing"},
    };
    for (const auto& [call, message] : errors)
        EXPECT_NE(s.run(call).find(message), std::string::npos) << call;
}

}  // namespace
