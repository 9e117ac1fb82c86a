#include "engine/host/wrap_luaExtensions.h"

#include <cmath>

#include "engine/host/KVBinding.h"
#include "lobject.h"

namespace {

// Beyond any table a game presizes; larger requests would only exhaust
// memory while Lua fills the slots.
constexpr lua_Number kLargestPresize = 1 << 24;

int checkSize(lua_State* L, int index, const char* argument)
{
    if (index < 1 || lua_type(L, index) != LUA_TNUMBER)
        KVThrowMisuse("%s must be a number, got %s", argument, index < 1 ? "nothing" : luaL_typename(L, index));
    const lua_Number size = lua_tonumber(L, index);
    if (!(size >= 0 && size <= kLargestPresize))
        KVThrowMisuse("%s must be from 0 to %d, got %f", argument, static_cast<int>(kLargestPresize),
                      static_cast<double>(size));
    return static_cast<int>(size);
}

// createTable(arraySize, hashSize): the last two arguments.
int createTable(lua_State* L)
{
    const int top = lua_gettop(L);
    const int arraySize = checkSize(L, top - 1, "the array size");
    const int hashSize = checkSize(L, top, "the hash size");
    lua_createtable(L, arraySize, hashSize);
    return 1;
}

// createTableT(model): an empty table with the capacities of the last
// argument.
int createTableT(lua_State* L)
{
    const int top = lua_gettop(L);
    if (top < 1 || !lua_istable(L, top))
        KVThrowMisuse("the argument must be a table, got %s", top < 1 ? "nothing" : luaL_typename(L, top));
    int arraySlots = 0, hashSlots = 0;
    KVTableCapacity(L, top, &arraySlots, &hashSlots);
    lua_createtable(L, arraySlots, hashSlots);
    return 1;
}

// typeCode(value): Lua's type code of the last argument (nil when none).
int typeCode(lua_State* L)
{
    const int top = lua_gettop(L);
    lua_pushnumber(L, top < 1 ? LUA_TNIL : lua_type(L, top));
    return 1;
}

const luaL_Reg kGlobals[] = {
    {"createTable", createTable},
    {"createTableT", createTableT},
    {"typeCode", typeCode},
    {nullptr, nullptr},
};

// Globals: messages start with the function's own name.
const KVModule kModule{"", KVFailure::raise};

}  // namespace

void KVTableCapacity(lua_State* L, int index, int* arraySlots, int* hashSlots)
{
    *arraySlots = 0;
    *hashSlots = 0;
    if (!lua_istable(L, index))
        return;
    const auto* table = static_cast<const Table*>(lua_topointer(L, index));
    // A table without a hash part shares Lua's one dummy node, which an
    // empty table shows.
    lua_createtable(L, 0, 0);
    const Node* dummy = static_cast<const Table*>(lua_topointer(L, -1))->node;
    lua_pop(L, 1);
    *arraySlots = table->sizearray;
    *hashSlots = table->node == dummy ? 0 : 1 << table->lsizenode;
}

int luaopen_luaExtensions(lua_State* L)
{
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    kvSetFunctions(L, kModule, kGlobals);
    lua_pop(L, 1);
    return 1;
}
