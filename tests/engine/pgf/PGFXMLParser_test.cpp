#include "engine/pgf/PGFXMLParser.h"

#include "tests/engine/pgf/PGFTestSupport.h"

#include <gtest/gtest.h>
#include <iterator>

using pgftest::describe;

namespace {

class PGFXMLParserTest : public testing::Test {
protected:
    PGFXMLParserTest() : L(luaL_newstate()) {}
    ~PGFXMLParserTest() override { lua_close(L); }

    // The canonical form of the loaded root, or "failed"; checks that the
    // parser leaves exactly the root on the stack.
    std::string load(const std::string& document)
    {
        lua_settop(L, 0);
        PGFXMLParser parser(L, document.data(), document.size());
        if (parser.parse() != 0)
            return "failed";
        EXPECT_EQ(1, lua_gettop(L));
        return describe(L, -1);
    }

    lua_State* L;
};

// Text, entities and attributes: the documents in tests/data/pgf.
TEST_F(PGFXMLParserTest, LongTextIsKeptWhole)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "text" + std::to_string(i) + (i % 7 ? " " : "&amp;");
    std::string expected;
    for (int i = 0; i < 5000; ++i)
        expected += "text" + std::to_string(i) + (i % 7 ? " " : "&");
    ASSERT_GT(expected.size(), 16384u);
    EXPECT_EQ("{0=\"r\",1=\"" + expected + "\"}", load("<r>" + text + "</r>"));
}

TEST_F(PGFXMLParserTest, MalformedDocumentsGiveNothing)
{
    const char* documents[] = {
        "",
        "   ",
        "<r>",
        "<r></s>",
        "<r a=\"1\" a=\"2\"/>",
        "<r/><r/>",
        "just text",
        "<r>&undefined;</r>",
        "<r>\x01</r>",
        "<r a=1/>",
        "<?xml version=\"1.0\"?>",
    };
    testing::internal::CaptureStderr();
    for (const char* document : documents)
        EXPECT_EQ("failed", load(document)) << document;
    std::string errors = testing::internal::GetCapturedStderr();
    // One line each, naming the source.
    EXPECT_EQ(std::size(documents), static_cast<size_t>(std::count(errors.begin(), errors.end(), '\n')));
    EXPECT_NE(std::string::npos, errors.find("pgf: cannot read document string: line 1:"));
}

TEST_F(PGFXMLParserTest, HundredAndOneLevelsLoadWithTheWarning)
{
    std::string document;
    for (int i = 1; i <= 101; ++i)
        document += "<e" + std::to_string(i) + ">";
    document += "deep";
    for (int i = 101; i >= 1; --i)
        document += "</e" + std::to_string(i) + ">";
    testing::internal::CaptureStdout();
    lua_settop(L, 0);
    PGFXMLParser parser(L, document.data(), document.size());
    ASSERT_EQ(0, parser.parse());
    EXPECT_EQ("WARNING! stack size has grown past expected levels( 100 )\n"
              "WARNING! stack size has grown past expected levels( 101 )\n",
              testing::internal::GetCapturedStdout());
    ASSERT_EQ(1, lua_gettop(L));
    // Walk down: every level holds its name at 0 and the next level at 1.
    for (int i = 1; i <= 101; ++i) {
        lua_rawgeti(L, -1, 0);
        EXPECT_EQ("e" + std::to_string(i), lua_tostring(L, -1));
        lua_pop(L, 1);
        lua_rawgeti(L, -1, 1);
    }
    EXPECT_STREQ("deep", lua_tostring(L, -1));
}

TEST_F(PGFXMLParserTest, NestingBeyondTheReaderLimitIsRefused)
{
    std::string document;
    for (int i = 0; i < 5000; ++i)
        document += "<e>";
    for (int i = 0; i < 5000; ++i)
        document += "</e>";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::string result = load(document);
    testing::internal::GetCapturedStdout();
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ("failed", result);
    EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
}

} // namespace
