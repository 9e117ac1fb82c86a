// The "database" module: saved values for the engine script.
#include "engine/host/KVDatabase.h"
#include "engine/host/KVBinding.h"

namespace {

// Registry key of the userdata shared by the module's functions.
char databaseHandleKey;

KVDatabase* handle(lua_State* L)
{
    return *static_cast<KVDatabase**>(lua_touserdata(L, lua_upvalueindex(1)));
}

// The key or value at a stack index as text; numbers arrive in their Lua
// string form. Anything else (nil included) has no text.
bool textAt(lua_State* L, int index, std::string* out)
{
    const int type = lua_type(L, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return false;
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    out->assign(text, length);
    return true;
}

// Always exactly one value: the stored text, or nil (no such key, no file
// yet, a key without text, no database), so scripts can pass it on.
int database_loadValueForKey(lua_State* L)
{
    KVDatabase* database = handle(L);
    std::string key;
    std::optional<std::string> value;
    if (database && lua_gettop(L) >= 1 && textAt(L, lua_gettop(L), &key))
        value = KVDatabaseLoadValue(database, key);
    if (value)
        lua_pushlstring(L, value->data(), value->size());
    else
        lua_pushnil(L);
    return 1;
}

// A value without text (nil, a boolean, a table) forgets the key.
int database_storeValueForKey(lua_State* L)
{
    KVDatabase* database = handle(L);
    const int top = lua_gettop(L);
    std::string key, value;
    if (!database || top < 1 || !textAt(L, top, &key))
        return 0;
    if (top >= 2 && textAt(L, top - 1, &value))
        KVDatabaseStoreValue(database, value, key);
    else
        KVDatabaseForgetValue(database, key);
    return 0;
}

int database_getTablesDirectoryPath(lua_State* L)
{
    KVDatabase* database = handle(L);
    if (!database || !database->tablesDirectory)
        lua_pushnil(L);
    else
        lua_pushlstring(L, database->tablesDirectory->data(), database->tablesDirectory->size());
    return 1;
}

const luaL_Reg database_functions[] = {
    {"loadValueForKey", database_loadValueForKey},
    {"storeValueForKey", database_storeValueForKey},
    {"getTablesDirectoryPath", database_getTablesDirectoryPath},
    {nullptr, nullptr},
};

const KVModule kModule{"database", KVFailure::report};

}  // namespace

void KVDatabaseLoadLib(KVDatabase* database, lua_State* L)
{
    auto** box = static_cast<KVDatabase**>(lua_newuserdata(L, sizeof(KVDatabase*)));
    *box = database;
    lua_pushlightuserdata(L, &databaseHandleKey);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    kvOpenModule(L, "database", kModule, database_functions, 1);
    lua_pop(L, 1);
}

void KVDatabaseUnloadLib(lua_State* L)
{
    lua_pushlightuserdata(L, &databaseHandleKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (auto** box = static_cast<KVDatabase**>(lua_touserdata(L, -1)))
        *box = nullptr;
    lua_pop(L, 1);
}
