#include "engine/pgf/PGFXMLWriter.h"

#include "engine/pgf/PGFXMLParser.h"

#include "tests/engine/pgf/PGFTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(PGFXMLWriter, EscapesTextAndAttributesAndClosesAtEndOfDocument)
{
    auto writer = PGFXMLWriter::newToString();
    ASSERT_TRUE(writer);
    writer->startDocument();
    writer->startElement("r");
    writer->writeAttribute("k", "a&b<\"c\"");
    writer->startElement("t");
    writer->writeTextValue("x < y & z");
    // Both elements are still open: endDocument closes them.
    EXPECT_GE(writer->endDocument(), 0);
    EXPECT_STREQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<r k=\"a&amp;b&lt;&quot;c&quot;\"><t>x &lt; y &amp; z</t></r>\n",
                 writer->getString());
}

TEST(PGFXMLWriter, RefusesWhatWouldCorruptTheDocument)
{
    testing::internal::CaptureStderr();
    auto writer = PGFXMLWriter::newToString();
    ASSERT_TRUE(writer);
    writer->startElement("r");
    EXPECT_EQ(-1, writer->startElement("bad name"));
    EXPECT_EQ(-1, writer->startElement(""));
    EXPECT_EQ(-1, writer->startElement("1st"));
    EXPECT_EQ(-1, writer->startElement("-a"));
    EXPECT_EQ(-1, writer->startElement("a\xff"));
    EXPECT_EQ(-1, writer->startElement("\x9a\x9a"));
    EXPECT_EQ(-1, writer->writeTextValue("stray \x9a\x9a"));
    EXPECT_EQ(-1, writer->writeAttribute("a=\"1\" b", "v"));
    EXPECT_EQ(-1, writer->writeAttribute("k", "bell\a"));
    EXPECT_EQ(-1, writer->writeTextValue("nul\x01"));
    EXPECT_EQ(-1, writer->writeTextValue("latin1 caf\xe9"));
    EXPECT_EQ(-1, writer->writeTextValue("surrogate \xed\xa0\x80"));
    EXPECT_GE(writer->writeAttribute("k", "1"), 0);
    EXPECT_EQ(-1, writer->writeAttribute("k", "2"));
    EXPECT_GE(writer->endElement(), 0);
    // Nothing open any more.
    EXPECT_EQ(-1, writer->endElement());
    EXPECT_EQ(-1, writer->endElement());
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("invalid XML element name \"bad name\""));
    EXPECT_NE(std::string::npos, errors.find("invalid XML attribute name"));
    EXPECT_NE(std::string::npos, errors.find("pgf: text holds a character XML cannot carry (byte 3): refused"));
    EXPECT_NE(std::string::npos, errors.find("pgf: attribute \"k\" written twice on one element: refused"));
    EXPECT_STREQ("<r k=\"1\"/>", writer->getString());
    // The writer still works afterwards; a new element may reuse the name.
    EXPECT_GE(writer->startElement("s"), 0);
    EXPECT_GE(writer->writeAttribute("k", "3"), 0);
    EXPECT_GE(writer->endElement(), 0);
    EXPECT_STREQ("<r k=\"1\"/><s k=\"3\"/>", writer->getString());
}

TEST(PGFXMLWriter, OnlyOneDeclarationAndOnlyAtTheStart)
{
    testing::internal::CaptureStderr();
    auto twice = PGFXMLWriter::newToString();
    ASSERT_TRUE(twice);
    EXPECT_GE(twice->startDocument(), 0);
    EXPECT_EQ(-1, twice->startDocument());
    auto late = PGFXMLWriter::newToString();
    ASSERT_TRUE(late);
    late->writeTextValue("x");
    EXPECT_EQ(-1, late->startDocument());
    auto ended = PGFXMLWriter::newToString();
    ASSERT_TRUE(ended);
    ended->endDocument();
    EXPECT_EQ(-1, ended->startDocument());
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(3, std::count(errors.begin(), errors.end(), '\n')) << errors;
    EXPECT_STREQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", twice->getString());
    EXPECT_STREQ("x", late->getString());
}

TEST(PGFXMLWriter, AcceptsEveryNameTheReaderAccepts)
{
    auto writer = PGFXMLWriter::newToString();
    ASSERT_TRUE(writer);
    writer->startElement("r");
    // U+FEFF may start a name; U+00B7 and digits may follow the first character.
    for (const char* name : {"\xEF\xBB\xBF" "bom", "caf\xC3\xA9", "k:x", "_a-1.b\xC2\xB7", "\xF0\x90\x80\x80"}) {
        EXPECT_GE(writer->startElement(name), 0) << name;
        EXPECT_GE(writer->writeAttribute(name, "v"), 0) << name;
        EXPECT_GE(writer->endElement(), 0) << name;
    }
    writer->endElement();
    const char* text = writer->getString();
    lua_State* L = luaL_newstate();
    PGFXMLParser parser(L, text, strlen(text));
    EXPECT_EQ(0, parser.parse()) << text;
    lua_close(L);
}

// The file appears whole when the writer closes, replacing an older one.
TEST(PGFXMLWriter, FileFormAppearsCompleteOnlyWhenClosed)
{
    TempDir folder;
    std::string path = folder.file("out put%41.xml");
    writeFile(path, "old contents that are longer than the new ones");
    auto writer = PGFXMLWriter::newToFile(path.c_str());
    ASSERT_TRUE(writer);
    writer->startDocument();
    writer->startElement("game");
    writer->writeAttribute("name", "Kelvane");
    writer->endElement();
    writer->endDocument();
    // The file form keeps no copy of its text.
    EXPECT_EQ(nullptr, writer->getString());
    EXPECT_EQ("old contents that are longer than the new ones", readFile(path));
    writer.reset();
    // The path is taken literally: no URI unescaping of "%41".
    EXPECT_EQ(std::vector<std::string>{"out put%41.xml"}, pgftest::listFolder(folder.path()));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<game name=\"Kelvane\"/>\n", readFile(path));

    // Relative paths are taken from the working folder.
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(folder.path().c_str()));
    writer = PGFXMLWriter::newToFile("doc.xml");
    EXPECT_EQ(0, chdir(previous));
    ASSERT_TRUE(writer);
    writer->startElement("n");
    writer->endElement();
    writer.reset();
    EXPECT_EQ("<n/>", readFile(folder.file("doc.xml")));
}

} // namespace
