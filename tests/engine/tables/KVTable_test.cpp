#include "engine/tables/KVTable.h"

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/tables/TableTestSupport.h"

namespace {

// A table of `rows` x `cols` whose cell (r, c) holds "r<r>c<c>".
void fill(KVTable& t, int rows, int cols)
{
    t.setNumberOfRows(rows);
    t.setNumberOfColumns(cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            t.setCellValue(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
}

// Logs "tag row,column old>new" and "~tag" when destroyed; runs `then`
// while it is told.
struct Recorder : TableCallback {
    Recorder(std::vector<std::string>& log, std::string tag) : log(log), tag(std::move(tag)) {}
    ~Recorder() override { log.push_back("~" + tag); }
    void tableChanged(const TableChangeContainer& c) override
    {
        log.push_back(tag + " " + std::to_string(c.row) + "," + std::to_string(c.column) + " " + c.oldValue + ">" + c.newValue);
        if (then)
            then();
    }
    std::vector<std::string>& log;
    std::string tag;
    std::function<void()> then;
};

// Rows joined by '|', their cells by '/'.
std::string cells(KVTable& t)
{
    std::string out;
    for (int r = 0; r < t.numberOfRows(); ++r)
        for (int c = 0; c < t.numberOfColumns(); ++c)
            out += (c ? "/" : r ? "|" : "") + t.cellValue(r, c);
    return out;
}

}  // namespace

TEST(KVTable, OutOfRangeReadsAndWritesChangeNothing)
{
    KVTable t;
    fill(t, 2, 2);
    std::string out = "untouched";
    // (5, 5): the row is checked first.
    EXPECT_EQ(t.cellValue(2, 0) + t.cellValue(-1, 0) + t.cellValue(0, 2) + t.cellValue(5, 5) +
                  t.xmlCellValue(out, 0, -1) + t.jsonCellValue(out, -1, 0),
              "BadRowBadRowBadColBadRowBadColBadRow");

    EXPECT_FALSE(t.setCellValue(2, 0, "x") || t.setCellValue(0, -1, "x"));
    t.setRowTitle(9, "ghost");
    t.setColumnTitle(9, "ghost");
    t.setColumnType(9, ColumnTypeText);
    t.setNumberOfRows(-4);
    t.setNumberOfColumns(-1);
    t.addRowAtIndex(3);
    t.removeRowAtIndex(2);
    EXPECT_EQ(std::tuple(t.jsonCellValue(out, 0, 2), t.findRowNumberByName("ghost"), t.columnAtIndex(9) == nullptr,
                         t.columnType(9)),
              std::tuple("BadCol", -1, true, ColumnTypeUndefined));
    KVTable same;
    fill(same, 2, 2);
    EXPECT_EQ(tabletest::dump(t), tabletest::dump(same));
}

TEST(KVTable, TableTypeZeroSetsFlagEight)
{
    KVTable t;
    EXPECT_TRUE(t.isLoaded());  // a table in memory is always whole
    t.setFlags(0x11);
    t.setTableType(TableType(0));
    EXPECT_EQ(t.flags(), 0x19u);
    t.setTableType(TableType(2));
    EXPECT_EQ(t.flags(), 0x11u);
}

TEST(KVTable, RowsGrowWithColumnDefaultsShrinkDroppingCellsAndMoveWithTheirValues)
{
    KVTable t;
    t.setNumberOfColumns(4);
    t.setColumnType(0, ColumnTypeInteger);
    t.setColumnType(1, ColumnTypeBoolean);
    t.setColumnType(2, ColumnTypeText);
    t.setColumnType(3, ColumnTypeReal);
    t.setCellValue(0, 0, "7");
    t.setNumberOfRows(3);
    EXPECT_EQ(cells(t), "7///|0/False//0|0/False//0");

    // Dropped rows lose their cells and titles, dropped columns their type too.
    t.setCellValue(1, 0, "5");
    t.setRowTitle(2, "last");
    t.setNumberOfRows(1);
    EXPECT_EQ(t.findRowNumberByName("last"), -1);
    t.setNumberOfRows(3);
    t.setNumberOfColumns(3);
    t.setNumberOfColumns(4);
    EXPECT_EQ(cells(t) + t.rowTitle(2), "7///|0/False//|0/False//");
    EXPECT_EQ(t.columnType(3), ColumnTypeUndefined);

    // Row edits keep values on their rows in sparse columns: a file that says
    // 6 rows but stores two values, then a value set on row 4.
    TempDir dir;
    writeFile(dir.file("sparse.xml"),
              "<table numRows=\"6\" numCols=\"1\"><columns><column type=\"1\">a,b</column></columns></table>");
    ASSERT_TRUE(t.loadTable(dir.file("sparse.xml")));
    t.setCellValue(4, 0, "four");
    t.addRowAtIndex(0);
    EXPECT_EQ(cells(t), "|a|b|||four|");
    t.removeRowAtIndex(1);
    t.removeRowAtIndex(1);
    EXPECT_EQ(cells(t), "|||four|");
}

TEST(KVTable, ColumnInsertionRemovalAndReordering)
{
    KVTable t;
    fill(t, 2, 3);
    t.setColumnTitle(0, "A");
    t.setColumnTitle(1, "B");
    t.setColumnTitle(2, "C");
    t.setColumnReadOnly(1, true);

    TableColumn inserted;
    inserted.setColumnName("New");
    inserted.setColumnType(ColumnTypeInteger);
    inserted.cellAtRowIndex(1).value = "5";
    t.addColumnAtIndex(1, inserted);
    t.addColumnAtIndex(4, TableColumn());  // appending is allowed
    t.addColumnAtIndex(6, TableColumn());  // past the end is not
    t.addColumnAtIndex(-1, TableColumn());
    EXPECT_EQ(cells(t), "r0c0//r0c1/r0c2/|r1c0/5/r1c1/r1c2/");
    EXPECT_TRUE(t.columnReadOnly(2));

    t.reorderColumns(0, 3);
    t.reorderColumns(2, 9);  // out of range: nothing
    t.removeColumnAtIndex(1);
    t.removeColumnAtIndex(4);
    std::string titles;
    for (int c = 0; c < t.numberOfColumns(); ++c)
        titles += t.columnTitle(c) + (t.columnReadOnly(c) ? "(ro) " : " ");
    EXPECT_EQ(titles, "C B(ro) A  ");
    EXPECT_EQ(cells(t), "r0c2/r0c1/r0c0/|r1c2/r1c1/r1c0/");
}

TEST(KVTable, ObserversHearCellThenColumnThenTableAndMayUnregisterEachOther)
{
    std::vector<std::string> log;
    int mine = 0, theirs = 0;
    {
        KVTable t;
        fill(t, 6, 3);
        t.registerObserver(new Recorder(log, "table"), &theirs, -1, -1);
        t.registerObserver(new Recorder(log, "column"), &mine, 2, -1);
        t.registerObserver(new Recorder(log, "cell"), &theirs, 2, 5);
        t.registerObserver(new Recorder(log, "mine"), &mine, 2, 5);
        t.registerObserver(new Recorder(log, "other-column"), &mine, 1, -1);

        t.setCellValue(5, 2, "new");
        t.setCellValue(4, 2, "r4c2");  // unchanged values notify too
        t.setCellValue(9, 2, "x");     // refused: nobody hears of it
        t.unRegisterObserver(&mine, 2, 5);
        EXPECT_EQ(log, (std::vector<std::string>{"cell 5,2 r5c2>new", "mine 5,2 r5c2>new", "column 5,2 r5c2>new",
                                                 "table 5,2 r5c2>new", "column 4,2 r4c2>r4c2",
                                                 "table 4,2 r4c2>r4c2", "~mine"}));

        // One that unregisters the others while it is told: those gathered
        // before still hear this change, then never again.
        auto* remover = new Recorder(log, "remover");
        remover->then = [&t, &theirs] { t.unRegisterObserver(&theirs, -1, -1); };
        t.registerObserver(remover, &remover, 2, 5);
        log.clear();
        t.setCellValue(5, 2, "a");
        t.setCellValue(5, 2, "b");
        EXPECT_EQ(log, (std::vector<std::string>{"cell 5,2 new>a", "remover 5,2 new>a", "column 5,2 new>a",
                                                 "table 5,2 new>a", "~table", "cell 5,2 a>b", "remover 5,2 a>b",
                                                 "column 5,2 a>b"}));
        log.clear();
    }
    EXPECT_EQ(log.size(), 4u);  // the table destroys the rest
}

TEST(KVTableCSV, ImportSplitsRecordsAndFieldsAndDecodesEscapes)
{
    struct Case {
        const char* text;
        const char* cells;
    } cases[] = {
        {"1,\"2,3\"\nx", "1/2,3|x/"},
        {"a,b\nc,d\n", "a/b|c/d"},
        {"a,b\r\nc,d\r\n", "a/b|c/d"},
        {"a,b\rc,d", "a/b|c/d"},
        {"a\n\nb\n", "a||b"},
        {"\"one\ntwo\",x\r\n\"three\r\nfour\",y\r\n", "one\ntwo/x|three\r\nfour/y"},
        // An escaped comma outside quotes still separates fields: the split
        // comes before the decoding, and our own export quotes every value.
        {"\"a&amp;b\",\"c\\,d\",e\\nf,&lt;g&gt;,", "a&b/c,d/e\nf/<g>/"},
        {"25\xC2\xB0,\xC2\xB1" "1\n\xD0\xB0\xD0\xB1,z\n", "25\xC2\xB0/\xC2\xB1" "1|\xD0\xB0\xD0\xB1/z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        KVTable t;
        t.setTableName("kept");
        t.setNumberOfRows(9);
        t.setNumberOfColumns(9);
        t.importCSV(c.text);
        EXPECT_EQ(t.tableName(), "kept");
        EXPECT_EQ(cells(t), c.cells);
    }
}

// What export writes, load reads back; empty typed cells go out as their
// defaults; a missing file is reported and changes nothing.
TEST(KVTableCSV, ExportThenLoadGivesTheSameCells)
{
    TempDir dir;
    const std::vector<std::string> values = {
        "a,b", "say \"hi\"\n", "cr\rtab\t", "back\\slash", "literal \\n not a break", "&amp; and &lt;", "<>&'",
        "\xC2\xB0 degrees",
    };
    KVTable t;
    t.setNumberOfRows(static_cast<int>(values.size()));
    t.setNumberOfColumns(3);
    t.setColumnType(1, ColumnTypeInteger);
    t.setColumnType(2, ColumnTypeBoolean);
    for (size_t i = 0; i < values.size(); ++i)
        t.setCellValue(static_cast<int>(i), 0, values[i]);
    t.setCellValue(1, 1, "3");
    t.setCellValue(0, 2, " ");
    ASSERT_TRUE(t.exportCSV(dir.file("t.csv")));
    EXPECT_EQ(readFile(dir.file("t.csv")).substr(0, 48), "\"a\\,b\",0,False\n\"say &quot;hi&quot;\\n\",\"3\",False\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left behind

    std::string expected;
    for (size_t i = 0; i < values.size(); ++i)
        expected += (i ? "|" : "") + values[i] + (i == 1 ? "/3/False" : "/0/False");
    KVTable back;
    ASSERT_TRUE(back.loadCSV(dir.file("t.csv")));
    EXPECT_EQ(cells(back), expected);
    for (bool load : {true, false}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(load ? back.loadCSV("/nonexistent/dir/file.csv") : back.exportCSV("/nonexistent/dir/file.csv"));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("/nonexistent/dir/file.csv"), std::string::npos);
    }
    EXPECT_EQ(cells(back), expected);
}
