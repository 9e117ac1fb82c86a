#include "engine/tables/wrap_tableHelper.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/tables/KVTable.h"
#include "tests/engine/tables/TableTestSupport.h"
#include "tests/support/LuaChunk.h"

namespace {

// The module in a bare state, plus a global table object `t` whose native
// table the test can reach.
class TableHelperTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(run("T = tableHelper.Tables; t = T.new()"), "");
        table = tableAt("t");
        ASSERT_NE(table, nullptr);
    }

    KVTable* tableAt(const char* global)
    {
        lua_getglobal(L, global);
        KVTable* found = tableHelper_toTable(L, -1);
        lua_pop(L, 1);
        return found;
    }
    std::string run(const std::string& code) { return lua.run(code); }
    // The value's type initial and text: "s:text", "n:12", "b:true", or "error: ...".
    std::string eval(const std::string& expression)
    {
        return lua.eval("(function(v) return type(v):sub(1, 1) .. ':' .. tostring(v) end)(" + expression + ")");
    }

    // Three rows titled "level 1", "level 2", "bonus" and four columns:
    // Text "Name", Integer "Score", Boolean "Done", Real "Time".
    void buildLevels()
    {
        writeFile(dir.file("levels.xml"), R"(<table numRows="3" numCols="4"><rows><row id="0" name="level 1"/>
            <row id="1" name="level 2"/><row id="2" name="bonus"/></rows><columns>
            <column id="0" name="Name" type="1">first,second,third</column>
            <column id="1" name="Score" type="2">12abc,-3,7</column>
            <column id="2" name="Done" type="4">TRUE,yes,true</column>
            <column id="3" name="Time" type="3">2.5,1e2,x</column></columns></table>)");
        ASSERT_TRUE(table->loadTable(dir.file("levels.xml")));
    }

    std::string column0()
    {
        std::string out;
        for (int r = 0; r < table->numberOfRows(); ++r)
            out += (r ? "|" : "") + table->cellValue(r, 0) + (table->rowTitle(r).empty() ? "" : "/" + table->rowTitle(r));
        return out;
    }

    TempDir dir;
    LuaTestState lua{{luaopen_tableHelper}};
    lua_State* L = lua.L;
    KVTable* table = nullptr;
};

}  // namespace

TEST_F(TableHelperTest, ValuesAreFoundByNumberOrTitleTypedByColumnAndCopied)
{
    buildLevels();
    const std::pair<const char*, const char*> cases[] = {
        {"t:getValue(2, 1)", "s:second"},
        {"t:getValue('2', 'Name')", "s:second"},
        {"t:getValue('3rd', 1)", "s:third"},          // atoi reads the leading digits
        {"t:getValue('Level 1', 'NAME')", "s:first"},  // titles ignore case
        {"t:getValue(4, 1)", "s:"},
        {"t:getValue(0, 1)", "s:"},
        {"t:getValue(1, 5)", "s:"},
        {"t:getValue(1, 'Score')", "n:12"},
        {"t:getValue(1, 'Done')", "b:true"},
        {"t:getValue(2, 'Done')", "b:false"},
        {"t:getValue(2, 'Time')", "n:100"},
        {"t:getValue(3, 'Time')", "n:0"},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(eval(expression), expected) << expression;

    table->setColumnType(1, ColumnTypeImage);
    EXPECT_EQ(eval("t:getValue(1, 2)"), "s:12abc");
    table->setColumnType(1, ColumnTypeAngle);
    EXPECT_EQ(eval("t:getValue(1, 2)"), "n:12");

    // setValue finds its cell the same way; where none fits nothing changes.
    const std::string before = tabletest::dump(*table);
    EXPECT_EQ(run("t:setValue('nowhere', 1, 'x'); t:setValue(1, 'nothing', 'x'); t:setValue(9, 1, 'x')"), "");
    EXPECT_EQ(tabletest::dump(*table), before);
    EXPECT_EQ(run("t:setValue('Bonus', 'score', 99); t:setId('levels')"), "");
    EXPECT_EQ(table->cellValue(2, 1) + " " + table->tableId(), "99 levels");

    // copyTable keeps the destination's name and copies deeply.
    table->setTableName("source");
    table->setFlags(3);
    table->setTableType(TableType(6));
    ASSERT_EQ(run("d = T.new()"), "");
    KVTable* dest = tableAt("d");
    dest->setTableName("destination");

    EXPECT_EQ(run("T.copyTable(d, t)"), "");
    EXPECT_EQ(dest->tableName(), "destination");
    dest->setTableName("source");
    EXPECT_EQ(tabletest::dump(*dest), tabletest::dump(*table));
    table->setCellValue(2, 1, "8");  // a deep copy
    EXPECT_EQ(eval("d:getValue('bonus', 'Score')"), "n:99");
}

// Rows are found by number (from 1, -1 the last) or title; their titles move
// with them. Column 1 and the titles after each call.
TEST_F(TableHelperTest, AddAndRemoveRowPositions)
{
    table->setNumberOfRows(3);
    for (int r = 0; r < 3; ++r)
        table->setCellValue(r, 0, std::to_string(r + 1));
    table->setRowTitle(0, "Top");
    table->setRowTitle(1, "Middle");
    const std::pair<const char*, const char*> steps[] = {
        {"t:addRow(-1)", "1/Top|2/Middle|3|"},
        {"t:addRow(1)", "|1/Top|2/Middle|3|"},
        {"t:addRow('middle')", "|1/Top||2/Middle|3|"},  // before the row titled so
        {"t:addRow(7)", "|1/Top||2/Middle|3||"},         // count + 1 appends
        {"t:addRow(9); t:addRow('unknown'); t:addRow(0); t:addRow(-5)", "|1/Top||2/Middle|3||"},
        {"t:removeRow(9)", "|1/Top||2/Middle|3||"},
        {"t:removeRow(-1)", "|1/Top||2/Middle|3|"},
        {"t:removeRow('TOP')", "||2/Middle|3|"},
        {"t:removeRow(1); t:removeRow(1); t:removeRow(1)", "3|"},
        {"t:removeRow(1); t:removeRow(1); t:removeRow(-1); assert(t:getValue(1, 1) == '')", ""},
        {"t:addRow(-1); t:setValue(1, 1, 'back')", "back"},
    };
    for (const auto& [call, rows] : steps) {
        EXPECT_EQ(run(call), "") << call;
        EXPECT_EQ(column0(), rows) << call;
    }
}

// Saving to and reading from the tables directory, run by the player, is
// the Tables bundle's part; here the file functions and their answers.
// The folder's path is longer than a kilobyte.
TEST_F(TableHelperTest, FilesSaveAndLoadAndTheScriptHearsWhetherTheSaveWasMade)
{
    TempDir dir;
    std::string folder = dir.path();
    for (int i = 0; i < 6; ++i) {
        folder += "/" + std::string(200, static_cast<char>('a' + i));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    }
    buildLevels();
    lua_pushstring(L, (folder + "/").c_str());
    lua_setglobal(L, "dir");

    ASSERT_EQ(run("t:saveTableData(dir .. 'plain.xml'); v = T.new(); v:loadFromFile(dir .. 'plain.xml')"), "");
    EXPECT_EQ(readFile(folder + "/plain.xml"), table->getFileStream());
    EXPECT_EQ(eval("v:getValue(1, 'Done')"), "b:true");
    EXPECT_EQ(eval("v:getNumCols()"), "n:4");

    EXPECT_EQ(eval("T.saveTableToDatabase(dir, t, 'again')"), "b:true");
    ASSERT_EQ(run("u = T.new() T.loadTableFromDatabase(dir, u, 'again')"), "");
    EXPECT_EQ(eval("u:getValue(1, 'Name')"), "s:first");
    ASSERT_EQ(run("t:setValue(1, 1, 'bell\\7')"), "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(eval("t:saveTableData(dir .. 'plain.xml')"), "b:false");
    EXPECT_EQ(eval("T.saveTableToDatabase(dir, t, 'again')"), "b:false");
    testing::internal::GetCapturedStderr();

    // A missing file leaves the table as it was.
    testing::internal::CaptureStdout();
    EXPECT_EQ(run("v:loadFromFile(dir .. 'absent.xml')"), "");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(eval("v:getValue(1, 'Done')"), "b:true");
}

TEST_F(TableHelperTest, BadArgumentsRaiseErrorsNamingFunctionAndArgument)
{
    const std::pair<const char*, const char*> cases[] = {
        {"t:setValue(1, {}, 'x')", "setValue: argument 'column'"},
        {"t:setId(print)", "setId: argument 'id'"},
        {"t:addRow(nil)", "addRow: argument 'where'"},
        {"t:removeRow(false)", "removeRow: argument 'where'"},
        {"t:loadFromFile({})", "loadFromFile: argument 'path'"},
        {"t:saveTableData(nil)", "saveTableData: argument 'path'"},
        {"T.saveTableToDatabase(nil, t, 'x')", "saveTableToDatabase: argument 'directory'"},
        {"T.loadTableFromDatabase('/tmp/', t, nil)", "loadTableFromDatabase: argument 'name'"},
        {"T.copyTable(t, 'x')", "copyTable: argument 'source'"},
        {"T.getNumRows(io.stdout)", "getNumRows: argument 'table'"},
        {"T.getValue(t, 1)", "getValue: expected 3 arguments"},
    };
    for (const auto& [code, expected] : cases) {
        const std::string error = run(code);
        EXPECT_NE(error.find(std::string("tableHelper.Tables.") + expected), std::string::npos) << code << ": " << error;
    }
    EXPECT_EQ(table->numberOfRows(), 1);
    EXPECT_EQ(table->cellValue(0, 0), "");
}
