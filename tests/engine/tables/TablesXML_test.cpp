#include "engine/tables/TablesXML.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>
#include <yajl/yajl_tree.h>

#include "engine/tables/KVTable.h"
#include "tests/engine/tables/TableTestSupport.h"

using tabletest::dataPath;

namespace {

bool isJSON(const std::string& text)
{
    char error[256] = "";
    yajl_val tree = yajl_tree_parse(text.c_str(), error, sizeof error);
    if (!tree)
        ADD_FAILURE() << "not JSON: " << error;
    yajl_tree_free(tree);
    return tree != nullptr;
}

}  // namespace

// The golden files hold every property, title and cell a file carries;
// they read into this table and are written again identically. Empty and
// one-space cells are stored as their column's default.
TEST(TablesXML, NewAndFullTablesMatchGoldenFilesBothWaysAndOddCharactersAndLongNamesRoundTrip)
{
    KVTable fresh;
    EXPECT_EQ(fresh.getFileStream(), readFile(dataPath("new_table.xml")));
    EXPECT_EQ(fresh.getFileStreamJSON(), readFile(dataPath("new_table.json")));
    KVTable loaded;
    ASSERT_TRUE(loaded.loadTable(dataPath("shop.xml")));
    EXPECT_EQ(tabletest::dump(loaded), "name=Shop <1> rows=3 cols=8 flags=2147483649 type=3\n"
                                       "row 0 title=[Sword]\nrow 1 title=[Bob's]\nrow 2 title=[]\n"
                                       "col 0 name=[misc] type=0 ro=0: [a,b] [] []\n"
                                       "col 1 name=[Name] type=1 ro=1: [Line1\nLine2] [Tab\there\r] [C:\\dir]\n"
                                       "col 2 name=[Price] type=2 ro=0: [12] [0] [0]\n"
                                       "col 3 name=[Weight] type=3 ro=0: [1.5] [0] [-0.25]\n"
                                       "col 4 name=[Magic] type=4 ro=0: [True] [False] [FALSE]\n"
                                       "col 5 name=[Angle] type=5 ro=0: [90] [0] [0]\n"
                                       "col 6 name=[Icon] type=6 ro=0: [it's \"x\"] [a&b] [<tag>]\n"
                                       "col 7 name=[Sound] type=7 ro=0: [] [] []\n");
    EXPECT_EQ(loaded.getFileStream(), readFile(dataPath("shop.xml")));
    const std::string& json = loaded.getFileStreamJSON();
    EXPECT_EQ(json, readFile(dataPath("shop.json")));
    EXPECT_TRUE(isJSON(json));
    EXPECT_EQ(loaded.filePath(), dataPath("shop.xml"));

    // Odd characters and long names go out and come back.
    TempDir dir;
    KVTable t;
    const std::string longName(10000, 'n');
    t.setTableName("two\nlines\tand\rmore \\\"best\" " + longName);
    t.setRowTitle(0, "row\ttitle");
    t.setColumnTitle(0, longName + "c\nname");
    t.setNumberOfRows(4);
    t.setColumnType(0, ColumnTypeText);
    t.setCellValue(0, 0, "\\n is not a break, \\\\ two");
    t.setCellValue(1, 0, "&amp; &lt; &#10; ]]> <!-- -->");
    t.setCellValue(2, 0, "\xE2\x82\xAC \xC2\xB0 \xF0\x9F\x8E\xB2");
    t.setCellValue(3, 0, "trailing backslash \\");
    ASSERT_TRUE(t.saveTable(dir.file("odd.xml"), false));
    EXPECT_NE(readFile(dir.file("odd.xml")).find("name=\"two&#10;lines&#9;and&#13;more \\&quot;"), std::string::npos);
    KVTable back;
    ASSERT_TRUE(back.loadTable(dir.file("odd.xml")));
    EXPECT_EQ(tabletest::dump(back), tabletest::dump(t));

    // JSON stays JSON with quotes, backslashes and control characters.
    t.setCellValue(0, 0, std::string("bell\x07 nul", 9));
    const std::string& oddJSON = t.getFileStreamJSON();
    EXPECT_NE(oddJSON.find("   \"name\": \"two\\nlines\\tand\\rmore \\\\\\\"best\\\" "), std::string::npos)
        << oddJSON.substr(0, 200);
    EXPECT_NE(oddJSON.find("\"_text\":[\"bell\\u0007 nul\","), std::string::npos);
    EXPECT_TRUE(isJSON(oddJSON));
}

// Each file holds the table its .expected file describes: blank and missing
// cells, an old version's escapes, fields read by position and depth.
TEST(TablesXMLReading, DataFilesLoadAsExpected)
{
    for (const std::string name : {"cells", "rows_exceed", "version0", "records"}) {
        SCOPED_TRACE(name);
        KVTable t;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(t.loadTable(dataPath(name + ".xml")));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(tabletest::dump(t), readFile(dataPath(name + ".expected")));
        if (name == "version0") {
            // Saved again, it is a version-1 file holding the same cells.
            EXPECT_NE(t.getFileStream().find("version=\"1.000000\""), std::string::npos);
            EXPECT_NE(t.getFileStream().find(">two\\nlines,A&amp;B,C:\\\\path</column>"), std::string::npos);
        }
    }
}

TEST(TablesXMLReading, BadFilesAreReportedAndLeaveTheTableAsItWasAndOldOnesAreConverted)
{
    for (const std::string& file : {dataPath("truncated.xml"), dataPath("not_a_table.xml"),
                                   dataPath("negative_rows.xml"), std::string("/nonexistent/folder/t.xml")}) {
        KVTable t;
        ASSERT_TRUE(t.loadTable(dataPath("shop.xml")));
        const std::string before = tabletest::dump(t);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(t.loadTable(file)) << file;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.rfind("TableParser Error: ", 0), 0u) << out;
        EXPECT_NE(out.find(file), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(tabletest::dump(t), before) << file;
        EXPECT_EQ(t.filePath(), file);  // remembered even so, for a later save
    }

    // Old files' cells are converted; claimed sizes too large to hold are refused.
    const struct {
        std::string doc;
        bool read;
        std::string firstColumn;
    } cases[] = {
        {"<table version=\"0.9\"><a><column>\"x,y\"</column></a></table>", true, "x\\,y"},
        {"<table version=\"1.5\"><a><column>\"x,y\"</column></a></table>", true, "\"x,y\""},
        {"<table><a><column>\"x,y\"</column></a></table>", true, "\"x,y\""},
        {"<table numRows=\"0\" numCols=\"0\"/>", true, ""},
        {"<table numRows=\"2000000000\" numCols=\"1\"/>", false, ""},
        {"<table numRows=\"100000\" numCols=\"1000\"/>", false, ""},
        {"<table>", false, ""},
    };
    for (const auto& c : cases) {
        TablesXML parser;
        testing::internal::CaptureStdout();
        EXPECT_EQ(parser.initWithBuffer(c.doc.data(), static_cast<int>(c.doc.size())), c.read) << c.doc;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.empty(), c.read) << out;
        if (c.read && !c.firstColumn.empty()) {
            EXPECT_EQ(parser.getTable().columns.at(0).text, c.firstColumn) << c.doc;
        }
    }
    TablesXML parser;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(parser.initWithBuffer(nullptr, 3));
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Error reading the buffer\n", 0), 0u);
}

// One line naming the file and, for characters XML cannot carry, the first
// name or cell in the way; the old file stays and nothing is left beside it.
TEST(TablesXMLSaving, FailuresAnswerFalseNameTheFileAndKeepWhatWasThere)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("occupied").c_str(), 0755), 0);
    const std::string path = dir.file("t.xml");
    writeFile(path, readFile(dataPath("shop.xml")));
    KVTable t;
    ASSERT_TRUE(t.loadTable(path));
    // Saved where it was read from, replacing the old file.
    t.setCellValue(0, 1, "changed");
    ASSERT_TRUE(t.saveTable("", false));
    const std::string before = readFile(path);
    EXPECT_EQ(before, t.getFileStream());
    const std::string badCell = "Could not save table file " + path +
                                ": the cell at row 3, column 5 holds characters an XML file cannot carry\n";
    auto cell = [&t](std::string value) { return [&t, value] { t.setCellValue(2, 4, value); }; };
    const struct {
        std::function<void()> change;
        std::string file;
        std::string message;
    } cases[] = {
        {[] {}, dir.file("missing/folder/t.xml"), dir.file("missing/folder/t.xml")},
        {[] {}, dir.file("occupied"), "occupied"},
        {cell("ctrl\x01"), path, badCell},
        {cell(std::string("nul\0x", 5)), path, badCell},
        {cell("\xC3("), path, badCell},
        {[&t] { t.setCellValue(2, 4, "fine"), t.setColumnTitle(6, "tab\x02"); }, path, ": the name of column 7 holds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        c.change();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(t.saveTable(c.file, false));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_EQ(readFile(path), before);
    // Nothing is left beside the files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    // The JSON form escapes such characters and is written.
    EXPECT_TRUE(t.saveTable(dir.file("t.json"), true));
    EXPECT_EQ(readFile(dir.file("t.json")), t.getFileStreamJSON());

    // A table never loaded or saved has no path to fall back on.
    KVTable fresh;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fresh.saveTable("", false));
    testing::internal::GetCapturedStderr();
}
