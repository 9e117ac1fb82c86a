#include "engine/tables/wrap_tableHelper.h"

#include <climits>
#include <exception>
#include <string>

#include "engine/host/KVBinding.h"
#include "engine/tables/KVTable.h"
#include "engine/tables/TableUtil.h"

namespace {

const char* const kTableMT = "tableHelper.TableDataMT";

// Arguments are taken counting back from the top of the stack, so a call
// must pass exactly `count` of them; returns the index of the first.
int firstArgument(lua_State* L, int count)
{
    int top = lua_gettop(L);
    if (top < count)
        KVThrowMisuse("expected %d arguments, got %d", count, top);
    return top - count + 1;
}

KVTable* checkTable(lua_State* L, int index, const char* argument)
{
    KVTable* table = tableHelper_toTable(L, index);
    if (!table)
        KVThrowMisuse("argument '%s' must be a table object, got %s", argument, luaL_typename(L, index));
    return table;
}

std::string checkText(lua_State* L, int index, const char* argument)
{
    int type = lua_type(L, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        KVThrowMisuse("argument '%s' must be a string or a number, got %s", argument, lua_typename(L, type));
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    return std::string(text, length);
}

// A 1-based number or a title, to a 0-based index; -1 when neither fits.
int resolveRow(const KVTable& table, const std::string& text)
{
    int index = TableUtil::parseInt(text.c_str());
    if (index > 0 && index - 1 < table.numberOfRows())
        return index - 1;
    return table.findRowNumberByName(text);
}

int resolveColumn(const KVTable& table, const std::string& text)
{
    int index = TableUtil::parseInt(text.c_str());
    if (index > 0 && index - 1 < table.numberOfColumns())
        return index - 1;
    return table.findColumnNumberByName(text);
}

// "where" of addRow and removeRow: a 1-based number, -1 for the end, or a title.
int rowTarget(const KVTable& table, const std::string& where)
{
    int number = TableUtil::parseInt(where.c_str());
    if (number == 0)
        return table.findRowNumberByName(where);
    return number == INT_MIN ? -1 : number - 1;
}

int Tables_new(lua_State* L)
{
    auto** slot = static_cast<KVTable**>(lua_newuserdata(L, sizeof(KVTable*)));
    *slot = nullptr;
    luaL_getmetatable(L, kTableMT);
    lua_setmetatable(L, -2);
    *slot = new KVTable();
    return 1;
}

int Tables_setId(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* table = checkTable(L, base, "table");
    table->setTableId(checkText(L, base + 1, "id"));
    return 0;
}

int Tables_setValue(lua_State* L)
{
    int base = firstArgument(L, 4);
    KVTable* table = checkTable(L, base, "table");
    std::string row = checkText(L, base + 1, "row");
    std::string column = checkText(L, base + 2, "column");
    std::string value = checkText(L, base + 3, "value");
    int c = resolveColumn(*table, column);
    int r = resolveRow(*table, row);
    if (c >= 0 && c < table->numberOfColumns() && r >= 0 && r < table->numberOfRows())
        table->setCellValue(r, c, value);
    return 0;
}

int Tables_getValue(lua_State* L)
{
    int base = firstArgument(L, 3);
    KVTable* table = checkTable(L, base, "table");
    std::string row = checkText(L, base + 1, "row");
    std::string column = checkText(L, base + 2, "column");
    int c = resolveColumn(*table, column);
    int r = resolveRow(*table, row);
    if (c < 0 || c >= table->numberOfColumns() || r < 0 || r >= table->numberOfRows()) {
        lua_pushstring(L, "");
        return 1;
    }
    std::string value = table->cellValue(r, c);
    switch (table->columnType(c)) {
    case ColumnTypeInteger:
        lua_pushnumber(L, static_cast<lua_Number>(TableUtil::parseInt(value.c_str())));
        break;
    case ColumnTypeReal:
    case ColumnTypeAngle:
        lua_pushnumber(L, static_cast<lua_Number>(TableUtil::parseDouble(value.c_str())));
        break;
    case ColumnTypeBoolean:
        lua_pushboolean(L, TableUtil::equalsIgnoreCase(value, "True"));
        break;
    default:
        lua_pushlstring(L, value.data(), value.size());
        break;
    }
    return 1;
}

int Tables_getNumRows(lua_State* L)
{
    int base = firstArgument(L, 1);
    lua_pushnumber(L, static_cast<lua_Number>(checkTable(L, base, "table")->numberOfRows()));
    return 1;
}

int Tables_getNumCols(lua_State* L)
{
    int base = firstArgument(L, 1);
    lua_pushnumber(L, static_cast<lua_Number>(checkTable(L, base, "table")->numberOfColumns()));
    return 1;
}

int Tables_loadFromFile(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* table = checkTable(L, base, "table");
    table->loadTable(checkText(L, base + 1, "path"));
    return 0;
}

int Tables_saveTableData(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* table = checkTable(L, base, "table");
    lua_pushboolean(L, table->saveTable(checkText(L, base + 1, "path"), false));
    return 1;
}

int Tables_saveTableToDatabase(lua_State* L)
{
    int base = firstArgument(L, 3);
    std::string directory = checkText(L, base, "directory");
    KVTable* table = checkTable(L, base + 1, "table");
    std::string name = checkText(L, base + 2, "name");
    lua_pushboolean(L, table->saveTable(directory + name + ".xml", false));
    return 1;
}

int Tables_loadTableFromDatabase(lua_State* L)
{
    int base = firstArgument(L, 3);
    std::string directory = checkText(L, base, "directory");
    KVTable* table = checkTable(L, base + 1, "table");
    std::string name = checkText(L, base + 2, "name");
    table->loadTable(directory + name + ".xml");
    return 0;
}

int Tables_addRow(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* table = checkTable(L, base, "table");
    int target = rowTarget(*table, checkText(L, base + 1, "where"));
    if (target == -2)
        table->addRowAtIndex(table->numberOfRows());
    else if (target >= 0 && target <= table->numberOfRows())
        table->addRowAtIndex(target);
    return 0;
}

int Tables_removeRow(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* table = checkTable(L, base, "table");
    std::string where = checkText(L, base + 1, "where");
    if (table->numberOfRows() <= 0)
        return 0;
    int target = rowTarget(*table, where);
    if (target == -2)
        table->removeRowAtIndex(table->numberOfRows() - 1);
    else if (target >= 0 && target < table->numberOfRows())
        table->removeRowAtIndex(target);
    return 0;
}

int Tables_copyTable(lua_State* L)
{
    int base = firstArgument(L, 2);
    KVTable* destination = checkTable(L, base, "destination");
    KVTable* source = checkTable(L, base + 1, "source");
    std::string name = destination->tableName();
    destination->copyTableData(*source);
    destination->setTableName(name);
    return 0;
}

// A table object is the only holder of its table.
int Tables_gc(lua_State* L)
{
    // Also called by hand, with anything.
    auto** slot = static_cast<KVTable**>(kvToUserdata(L, 1, kTableMT));
    if (slot && *slot) {
        delete *slot;
        *slot = nullptr;
    }
    return 0;
}

const luaL_Reg kTablesMethods[] = {
    {"new", Tables_new},
    {"setId", Tables_setId},
    {"setValue", Tables_setValue},
    {"getValue", Tables_getValue},
    {"getNumRows", Tables_getNumRows},
    {"getNumCols", Tables_getNumCols},
    {"loadFromFile", Tables_loadFromFile},
    {"saveTableData", Tables_saveTableData},
    {"saveTableToDatabase", Tables_saveTableToDatabase},
    {"loadTableFromDatabase", Tables_loadTableFromDatabase},
    {"addRow", Tables_addRow},
    {"removeRow", Tables_removeRow},
    {"copyTable", Tables_copyTable},
    {nullptr, nullptr},
};

const luaL_Reg kCollect[] = {
    {"__gc", Tables_gc},
    {nullptr, nullptr},
};

const luaL_Reg kNoFunctions[] = {{nullptr, nullptr}};

const KVModule kModule{"tableHelper.Tables", KVFailure::raise};

}  // namespace

KVTable* tableHelper_toTable(lua_State* L, int index)
{
    auto** slot = static_cast<KVTable**>(kvToUserdata(L, index, kTableMT));
    return slot ? *slot : nullptr;
}

int luaopen_tableHelper(lua_State* L)
{
    luaL_openlib(L, "tableHelper", kNoFunctions, 0);

    lua_createtable(L, 0, 13);
    kvSetFunctions(L, kModule, kTablesMethods);

    kvMethodsMetatable(L, kTableMT);
    kvSetFunctions(L, kModule, kCollect);
    lua_pop(L, 1);

    lua_setfield(L, -2, "Tables");
    return 1;
}
