#include "engine/tables/KVTable.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/tables/TableTestSupport.h"


namespace {

// A table of `rows` x `cols` whose cell (r, c) holds "r<r>c<c>" and row r
// the title "row<r>".
void fill(KVTable& t, int rows, int cols)
{
    t.setNumberOfRows(rows);
    t.setNumberOfColumns(cols);
    for (int r = 0; r < rows; ++r) {
        t.setRowTitle(r, "row" + std::to_string(r));
        for (int c = 0; c < cols; ++c)
            t.setCellValue(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
}

std::vector<std::string> columnValues(KVTable& t, int c)
{
    std::vector<std::string> out;
    for (int r = 0; r < t.numberOfRows(); ++r)
        out.push_back(t.cellValue(r, c));
    return out;
}

std::vector<std::string> rowTitles(KVTable& t)
{
    std::vector<std::string> out;
    for (int r = 0; r < t.numberOfRows(); ++r)
        out.push_back(t.rowTitle(r));
    return out;
}

struct Recorded {
    std::string tag;
    int column, row;
    std::string oldValue, newValue;
};

class RecordingCallback : public TableCallback {
public:
    RecordingCallback(std::vector<Recorded>& log, std::string tag, int* destroyed = nullptr)
        : log_(log), tag_(std::move(tag)), destroyed_(destroyed)
    {
    }
    ~RecordingCallback() override
    {
        if (destroyed_)
            ++*destroyed_;
    }
    void tableChanged(const TableChangeContainer& change) override
    {
        log_.push_back({tag_, change.column, change.row, change.oldValue, change.newValue});
    }

private:
    std::vector<Recorded>& log_;
    std::string tag_;
    int* destroyed_;
};

std::vector<std::string> tags(const std::vector<Recorded>& log)
{
    std::vector<std::string> out;
    for (const auto& r : log)
        out.push_back(r.tag);
    return out;
}

}  // namespace

TEST(KVTable, NewTableIsOneByOneAndEmpty)
{
    KVTable t;
    EXPECT_EQ(t.numberOfRows(), 1);
    EXPECT_EQ(t.numberOfColumns(), 1);
    EXPECT_EQ(t.cellValue(0, 0), "");
    EXPECT_EQ(t.columnType(0), ColumnTypeUndefined);
    EXPECT_EQ(t.flags(), 0u);
    EXPECT_EQ(t.tableType(), 0u);
    EXPECT_TRUE(t.isLoaded());
    EXPECT_EQ(t.columnTypeName(ColumnTypeBoolean), "Boolean");
    EXPECT_EQ(t.columnTypeName(ColumnTypeSound), "Sound");
    EXPECT_EQ(t.columnTypeName(static_cast<ColumnType>(8)), "");
}

TEST(KVTable, OutOfRangeCellsReadAsBadRowOrBadColAndRefuseWrites)
{
    KVTable t;
    fill(t, 2, 2);
    EXPECT_EQ(t.cellValue(2, 0), "BadRow");
    EXPECT_EQ(t.cellValue(-1, 0), "BadRow");
    EXPECT_EQ(t.cellValue(0, 2), "BadCol");
    EXPECT_EQ(t.cellValue(5, 5), "BadRow");  // the row is checked first
    std::string out = "untouched";
    EXPECT_EQ(t.xmlCellValue(out, 0, -1), "BadCol");
    EXPECT_EQ(t.jsonCellValue(out, -1, 0), "BadRow");

    EXPECT_FALSE(t.setCellValue(2, 0, "x"));
    EXPECT_FALSE(t.setCellValue(0, -1, "x"));
    EXPECT_EQ(t.numberOfRows(), 2);
    EXPECT_EQ(t.numberOfColumns(), 2);
    EXPECT_TRUE(t.setCellValue(1, 1, "x"));
    EXPECT_EQ(t.cellValue(1, 1), "x");
}

TEST(KVTable, EscapedCellValues)
{
    KVTable t;
    t.setCellValue(0, 0, "a<b,\"c\"");
    std::string out;
    EXPECT_EQ(t.xmlCellValue(out, 0, 0), "a&lt;b\\,&quot;c&quot;");
    EXPECT_EQ(out, "a&lt;b\\,&quot;c&quot;");
    EXPECT_EQ(t.jsonCellValue(out, 0, 0), "a<b,\\\"c\\\"");

    t.setCellValue(0, 0, "back\\slash\nline\ttab&amp;");
    EXPECT_EQ(t.xmlCellValue(out, 0, 0), "back\\\\slash\\nline\\ttab&amp;amp;");
    EXPECT_EQ(t.jsonCellValue(out, 0, 0), "back\\\\slash\\nline\\ttab&amp;");
}

TEST(KVTable, NameLookups)
{
    KVTable t;
    fill(t, 3, 2);
    t.setRowTitle(1, "level");
    t.setColumnTitle(1, "Level");
    EXPECT_EQ(t.findRowNumberByName("LEVEL"), 1);
    EXPECT_EQ(t.findRowNumberByName("level 2"), -1);
    EXPECT_EQ(t.findColumnNumberByName("lEvEl"), 1);
    EXPECT_EQ(t.columnWithName("level"), nullptr);  // exact match only
    EXPECT_EQ(t.columnWithName("Level"), t.columnAtIndex(1));
    EXPECT_EQ(t.columnAtIndex(7), nullptr);

    // Setters never create what is absent.
    t.setRowTitle(9, "ghost");
    t.setColumnTitle(9, "ghost");
    t.setColumnType(9, ColumnTypeText);
    EXPECT_EQ(t.findRowNumberByName("ghost"), -1);
    EXPECT_EQ(t.columnAtIndex(9), nullptr);
    EXPECT_EQ(t.rowTitle(9), "");
    EXPECT_EQ(t.columnTitle(9), "");
    EXPECT_EQ(t.columnType(9), ColumnTypeUndefined);
}

TEST(KVTable, TableTypeZeroSetsFlagEight)
{
    KVTable t;
    t.setFlags(0x11);
    t.setTableType(TableType(0));
    EXPECT_EQ(t.flags(), 0x19u);
    t.setTableType(TableType(2));
    EXPECT_EQ(t.flags(), 0x11u);
    EXPECT_EQ(t.tableType(), 2u);
}

TEST(KVTable, ResetKeepsNameIdFlagsAndType)
{
    KVTable t;
    fill(t, 3, 3);
    t.setTableName("n");
    t.setTableId("id");
    t.setFlags(4);
    t.setTableType(TableType(5));
    t.reset();
    EXPECT_EQ(t.numberOfRows(), 1);
    EXPECT_EQ(t.numberOfColumns(), 1);
    EXPECT_EQ(t.cellValue(0, 0), "");
    EXPECT_EQ(t.rowTitle(0), "");
    EXPECT_EQ(t.tableName(), "n");
    EXPECT_EQ(t.tableId(), "id");
    EXPECT_EQ(t.flags(), 4u);
    EXPECT_EQ(t.tableType(), 5u);
}

TEST(KVTable, GrowingRowsFillsColumnDefaultsAndShrinkingDropsCells)
{
    KVTable t;
    t.setNumberOfColumns(4);
    t.setColumnType(0, ColumnTypeInteger);
    t.setColumnType(1, ColumnTypeBoolean);
    t.setColumnType(2, ColumnTypeText);
    t.setColumnType(3, ColumnTypeReal);
    t.setCellValue(0, 0, "7");
    t.setNumberOfRows(3);
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"7", "0", "0"}));
    EXPECT_EQ(columnValues(t, 1), (std::vector<std::string>{"", "False", "False"}));
    EXPECT_EQ(columnValues(t, 2), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(columnValues(t, 3), (std::vector<std::string>{"", "0", "0"}));
    EXPECT_EQ(t.columnDefaultValue(1), "False");

    t.setRowTitle(2, "last");
    t.setNumberOfRows(1);
    EXPECT_EQ(t.numberOfRows(), 1);
    EXPECT_EQ(t.findRowNumberByName("last"), -1);
    t.setNumberOfRows(2);
    EXPECT_EQ(t.cellValue(1, 0), "0");  // the old "0" went; the default came back
    EXPECT_EQ(t.rowTitle(1), "");

    t.setNumberOfRows(-4);  // ignored
    EXPECT_EQ(t.numberOfRows(), 2);
}

TEST(KVTable, ColumnCountChanges)
{
    KVTable t;
    fill(t, 2, 3);
    t.setColumnType(2, ColumnTypeInteger);
    t.setNumberOfColumns(2);
    EXPECT_EQ(t.numberOfColumns(), 2);
    EXPECT_EQ(t.columnAtIndex(2), nullptr);
    t.setNumberOfColumns(4);
    ASSERT_NE(t.columnAtIndex(2), nullptr);
    EXPECT_EQ(t.columnType(2), ColumnTypeUndefined);
    EXPECT_EQ(t.cellValue(0, 2), "");
    EXPECT_EQ(t.cellValue(1, 0), "r1c0");
}

TEST(KVTable, RowInsertionAndRemovalMoveCellsAndTitles)
{
    KVTable t;
    fill(t, 3, 2);

    t.addRowAtIndex(1);
    EXPECT_EQ(t.numberOfRows(), 4);
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"r0c0", "", "r1c0", "r2c0"}));
    EXPECT_EQ(columnValues(t, 1), (std::vector<std::string>{"r0c1", "", "r1c1", "r2c1"}));
    EXPECT_EQ(rowTitles(t), (std::vector<std::string>{"row0", "", "row1", "row2"}));

    t.addRowAtIndex(4);  // at the end
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"r0c0", "", "r1c0", "r2c0", ""}));
    t.addRowAtIndex(0);
    EXPECT_EQ(columnValues(t, 1), (std::vector<std::string>{"", "r0c1", "", "r1c1", "r2c1", ""}));
    EXPECT_EQ(rowTitles(t), (std::vector<std::string>{"", "row0", "", "row1", "row2", ""}));

    t.removeRowAtIndex(0);
    t.removeRowAtIndex(1);
    EXPECT_EQ(t.numberOfRows(), 4);
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"r0c0", "r1c0", "r2c0", ""}));
    EXPECT_EQ(rowTitles(t), (std::vector<std::string>{"row0", "row1", "row2", ""}));
    t.removeRowAtIndex(3);
    EXPECT_EQ(t.numberOfRows(), 3);
    EXPECT_EQ(t.findRowNumberByName("row2"), 2);

    // Indices outside the table change nothing.
    t.addRowAtIndex(9);
    t.removeRowAtIndex(3);
    t.removeRowAtIndex(-1);
    EXPECT_EQ(t.numberOfRows(), 3);
    EXPECT_EQ(columnValues(t, 1), (std::vector<std::string>{"r0c1", "r1c1", "r2c1"}));
}

TEST(KVTable, RowEditsKeepValuesOnTheirRowsInSparseColumns)
{
    // A file that says 6 rows but stores two values, then a value set on row 4.
    TempDir dir;
    writeFile(dir.file("sparse.xml"),
                         "<table numRows=\"6\" numCols=\"1\"><columns><column type=\"1\">a,b</column></columns></table>");
    KVTable t;
    ASSERT_TRUE(t.loadTable(dir.file("sparse.xml")));
    t.setCellValue(4, 0, "four");

    t.addRowAtIndex(0);
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"", "a", "b", "", "", "four", ""}));
    t.removeRowAtIndex(1);
    t.removeRowAtIndex(1);
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"", "", "", "four", ""}));
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
    EXPECT_EQ(t.numberOfColumns(), 4);
    EXPECT_EQ(t.columnTitle(0), "A");
    EXPECT_EQ(t.columnTitle(1), "New");
    EXPECT_EQ(t.columnTitle(2), "B");
    EXPECT_TRUE(t.columnReadOnly(2));
    EXPECT_FALSE(t.columnReadOnly(1));
    EXPECT_EQ(columnValues(t, 1), (std::vector<std::string>{"", "5"}));
    EXPECT_EQ(columnValues(t, 3), (std::vector<std::string>{"r0c2", "r1c2"}));

    t.addColumnAtIndex(4, TableColumn());  // appending is allowed
    t.addColumnAtIndex(6, TableColumn());  // past the end is not
    t.addColumnAtIndex(-1, TableColumn());
    EXPECT_EQ(t.numberOfColumns(), 5);

    t.reorderColumns(0, 3);
    EXPECT_EQ(t.columnTitle(0), "C");
    EXPECT_EQ(t.columnTitle(3), "A");
    EXPECT_EQ(columnValues(t, 0), (std::vector<std::string>{"r0c2", "r1c2"}));
    t.reorderColumns(2, 9);  // out of range: nothing
    EXPECT_EQ(t.columnTitle(2), "B");

    t.removeColumnAtIndex(1);
    EXPECT_EQ(t.numberOfColumns(), 4);
    EXPECT_EQ(t.columnTitle(1), "B");
    EXPECT_TRUE(t.columnReadOnly(1));
    EXPECT_EQ(t.columnTitle(2), "A");
    t.removeColumnAtIndex(4);
    EXPECT_EQ(t.numberOfColumns(), 4);
}

TEST(KVTable, ObserversAreCalledCellThenColumnThenTable)
{
    KVTable t;
    fill(t, 6, 3);
    std::vector<Recorded> log;
    int context = 0;
    t.registerObserver(new RecordingCallback(log, "table"), &context, -1, -1);
    t.registerObserver(new RecordingCallback(log, "column"), &context, 2, -1);
    t.registerObserver(new RecordingCallback(log, "cell"), &context, 2, 5);
    t.registerObserver(new RecordingCallback(log, "cell-bis"), &context, 2, 5);
    t.registerObserver(new RecordingCallback(log, "other-column"), &context, 1, -1);

    t.setCellValue(5, 2, "new");
    EXPECT_EQ(tags(log), (std::vector<std::string>{"cell", "cell-bis", "column", "table"}));
    EXPECT_EQ(log[0].column, 2);
    EXPECT_EQ(log[0].row, 5);
    EXPECT_EQ(log[0].oldValue, "r5c2");
    EXPECT_EQ(log[0].newValue, "new");

    log.clear();
    t.setCellValue(4, 2, "new");
    EXPECT_EQ(tags(log), (std::vector<std::string>{"column", "table"}));

    log.clear();
    t.setCellValue(4, 2, "new");  // unchanged values notify too
    EXPECT_EQ(tags(log).size(), 2u);

    log.clear();
    t.setCellValue(9, 2, "x");  // refused: nobody hears of it
    EXPECT_TRUE(log.empty());
}

TEST(KVTable, UnregisteringDestroysOnlyMatchingCallbacks)
{
    std::vector<Recorded> log;
    int destroyed = 0;
    int mine = 0, theirs = 0;
    {
        KVTable t;
        t.registerObserver(new RecordingCallback(log, "mine", &destroyed), &mine, 0, 0);
        t.registerObserver(new RecordingCallback(log, "theirs", &destroyed), &theirs, 0, 0);
        t.registerObserver(new RecordingCallback(log, "mine-column", &destroyed), &mine, 0, -1);
        t.unRegisterObserver(&mine, 0, 0);
        EXPECT_EQ(destroyed, 1);
        t.setCellValue(0, 0, "v");
        EXPECT_EQ(tags(log), (std::vector<std::string>{"theirs", "mine-column"}));
    }
    EXPECT_EQ(destroyed, 3);  // the table destroys the rest
}

TEST(KVTable, ObserverMayUnregisterOthersWhileBeingNotified)
{
    struct Remover : TableCallback {
        KVTable* table;
        void* victim;
        int calls = 0;
        void tableChanged(const TableChangeContainer&) override
        {
            ++calls;
            table->unRegisterObserver(victim, -1, -1);
        }
    };
    KVTable t;
    std::vector<Recorded> log;
    int victim = 0, self = 0;
    auto* remover = new Remover;
    remover->table = &t;
    remover->victim = &victim;
    t.registerObserver(remover, &self, 0, 0);
    t.registerObserver(new RecordingCallback(log, "victim"), &victim, -1, -1);
    t.setCellValue(0, 0, "a");  // the victim was gathered before, so it still hears this one
    EXPECT_EQ(tags(log), (std::vector<std::string>{"victim"}));
    t.setCellValue(0, 0, "b");
    EXPECT_EQ(tags(log).size(), 1u);
    EXPECT_EQ(remover->calls, 2);
}

TEST(KVTable, CopyTableDataTakesEverythingButIdPathAndObservers)
{
    KVTable source;
    fill(source, 3, 2);
    source.setTableName("src");
    source.setTableId("src-id");
    source.setFlags(6);
    source.setTableType(TableType(4));
    source.setColumnType(1, ColumnTypeInteger);
    source.setColumnReadOnly(1, true);

    KVTable dest;
    dest.setTableId("dest-id");
    std::vector<Recorded> log;
    int ctx = 0;
    dest.registerObserver(new RecordingCallback(log, "dest"), &ctx, -1, -1);
    dest.copyTableData(source);

    EXPECT_EQ(tabletest::dump(dest), tabletest::dump(source));
    EXPECT_EQ(dest.tableName(), "src");
    EXPECT_EQ(dest.tableId(), "dest-id");
    dest.setCellValue(0, 0, "changed");
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(source.cellValue(0, 0), "r0c0");  // a deep copy
}

// ---- Comma-separated text ----

TEST(KVTableCSV, QuotedCommaAndRecordsWithFewerFields)
{
    KVTable t;
    t.importCSV("1,\"2,3\"\nx");
    EXPECT_EQ(t.numberOfRows(), 2);
    EXPECT_EQ(t.numberOfColumns(), 2);
    EXPECT_EQ(t.cellValue(0, 0), "1");
    EXPECT_EQ(t.cellValue(0, 1), "2,3");
    EXPECT_EQ(t.cellValue(1, 0), "x");
    EXPECT_EQ(t.cellValue(1, 1), "");
    EXPECT_EQ(t.rowTitle(1), "");
}

TEST(KVTableCSV, LineEndingsLfCrlfAndCrAllSplitRecords)
{
    for (const char* text : {"a,b\nc,d\n", "a,b\r\nc,d\r\n", "a,b\rc,d", "a,b\r\nc,d"}) {
        KVTable t;
        t.importCSV(text);
        EXPECT_EQ(t.numberOfRows(), 2) << text;
        EXPECT_EQ(t.numberOfColumns(), 2) << text;
        EXPECT_EQ(t.cellValue(1, 1), "d") << text;
        EXPECT_EQ(t.cellValue(0, 1), "b") << text;
    }
    KVTable blank;
    blank.importCSV("a\n\nb\n");
    EXPECT_EQ(blank.numberOfRows(), 3);
    EXPECT_EQ(blank.cellValue(1, 0), "");
    EXPECT_EQ(blank.cellValue(2, 0), "b");
}

TEST(KVTableCSV, QuotedLineBreaksStayInsideTheCell)
{
    KVTable t;
    t.importCSV("\"one\ntwo\",x\r\n\"three\r\nfour\",y\r\n");
    EXPECT_EQ(t.numberOfRows(), 2);
    EXPECT_EQ(t.cellValue(0, 0), "one\ntwo");
    EXPECT_EQ(t.cellValue(0, 1), "x");
    EXPECT_EQ(t.cellValue(1, 0), "three\r\nfour");
    EXPECT_EQ(t.cellValue(1, 1), "y");
}

TEST(KVTableCSV, ImportReplacesContentKeepsNameAndDecodesEscapes)
{
    KVTable t;
    t.setTableName("kept");
    t.setNumberOfRows(9);
    t.setNumberOfColumns(9);
    // An escaped comma outside quotes still separates fields: the split
    // comes before the decoding, and our own export quotes every value.
    t.importCSV("\"a&amp;b\",\"c\\,d\",e\\nf,&lt;g&gt;,");
    EXPECT_EQ(t.tableName(), "kept");
    EXPECT_EQ(t.numberOfRows(), 1);
    EXPECT_EQ(t.numberOfColumns(), 5);  // the trailing comma ends an empty field
    EXPECT_EQ(t.cellValue(0, 0), "a&b");
    EXPECT_EQ(t.cellValue(0, 1), "c,d");
    EXPECT_EQ(t.cellValue(0, 2), "e\nf");
    EXPECT_EQ(t.cellValue(0, 3), "<g>");
    EXPECT_EQ(t.cellValue(0, 4), "");
}

TEST(KVTableCSV, NonAsciiTextSurvives)
{
    KVTable t;
    t.importCSV("25\xC2\xB0,\xC2\xB1" "1\n\xD0\xB0\xD0\xB1,z\n");
    EXPECT_EQ(t.numberOfRows(), 2);
    EXPECT_EQ(t.numberOfColumns(), 2);
    EXPECT_EQ(t.cellValue(0, 0), "25\xC2\xB0");
    EXPECT_EQ(t.cellValue(0, 1), "\xC2\xB1" "1");
    EXPECT_EQ(t.cellValue(1, 0), "\xD0\xB0\xD0\xB1");
}

TEST(KVTableCSV, ExportWritesQuotedEscapedValuesAndDefaults)
{
    TempDir dir;
    KVTable t;
    t.setNumberOfRows(2);
    t.setNumberOfColumns(3);
    t.setColumnType(1, ColumnTypeInteger);
    t.setColumnType(2, ColumnTypeBoolean);
    t.setCellValue(0, 0, "a,b");
    t.setCellValue(0, 1, "");
    t.setCellValue(0, 2, " ");
    t.setCellValue(1, 0, "say \"hi\"\n");
    t.setCellValue(1, 1, "3");
    ASSERT_TRUE(t.exportCSV(dir.file("out.csv")));
    EXPECT_EQ(readFile(dir.file("out.csv")),
              "\"a\\,b\",0,False\n"
              "\"say &quot;hi&quot;\\n\",\"3\",False\n");
    EXPECT_EQ(tabletest::countEntries(dir.path()), 1);  // no temporary left behind
}

TEST(KVTableCSV, ExportThenLoadGivesTheSameCells)
{
    TempDir dir;
    const std::vector<std::string> values = {
        "plain", "comma, inside", "quote \"q\"", "line\nbreak", "cr\rtab\t", "back\\slash",
        "literal \\n not a break", "&amp; and &lt;", "<>&'", "\xC2\xB0 degrees",
    };
    KVTable t;
    t.setNumberOfRows(static_cast<int>(values.size()));
    t.setNumberOfColumns(2);
    for (size_t i = 0; i < values.size(); ++i) {
        t.setCellValue(static_cast<int>(i), 0, values[i]);
        t.setCellValue(static_cast<int>(i), 1, std::to_string(i));
    }
    ASSERT_TRUE(t.exportCSV(dir.file("t.csv")));

    KVTable back;
    ASSERT_TRUE(back.loadCSV(dir.file("t.csv")));
    ASSERT_EQ(back.numberOfRows(), t.numberOfRows());
    ASSERT_EQ(back.numberOfColumns(), 2);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.cellValue(static_cast<int>(i), 0), values[i]) << i;
}

TEST(KVTableCSV, MissingFileIsReportedAndChangesNothing)
{
    KVTable t;
    t.setCellValue(0, 0, "keep");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(t.loadCSV("/nonexistent/dir/file.csv"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/nonexistent/dir/file.csv"), std::string::npos);
    EXPECT_EQ(t.cellValue(0, 0), "keep");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(t.exportCSV("/nonexistent/dir/file.csv"));
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/nonexistent/dir/file.csv"), std::string::npos);
}
