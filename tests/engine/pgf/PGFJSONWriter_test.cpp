#include "engine/pgf/PGFJSONWriter.h"

#include "tests/engine/pgf/PGFTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Element a with attribute k = v holding one empty child b.
void writeSample(PGFWriter& writer)
{
    EXPECT_EQ(0, writer.startDocument());
    EXPECT_EQ(1, writer.startElement("a"));
    EXPECT_EQ(1, writer.writeAttribute("k", "v"));
    EXPECT_EQ(1, writer.startElement("b"));
    EXPECT_EQ(1, writer.endElement());
    EXPECT_EQ(1, writer.endElement());
    EXPECT_EQ(0, writer.endDocument());
}

TEST(PGFJSONWriter, SecondTopLevelElementIsRefusedAndItsEndWritesNothing)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    writer->startElement("a");
    writer->endElement();
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, writer->startElement("b"));
    EXPECT_EQ(0, writer->writeAttribute("x", "y"));
    EXPECT_EQ(0, writer->startElement("c"));
    EXPECT_EQ(0, writer->endElement());
    EXPECT_EQ(0, writer->endElement());
    EXPECT_EQ("complete document has been generated\n", testing::internal::GetCapturedStdout());
    EXPECT_STREQ("{\"_type\":\"a\"}", writer->getString());
}

TEST(PGFJSONWriter, EndWithNothingOpenAnswersZeroAndWritesNothing)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, writer->endElement());
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_STREQ("", writer->getString());
    // The generator is untouched: a document can still be written.
    EXPECT_EQ(1, writer->startElement("a"));
    EXPECT_EQ(1, writer->endElement());
    EXPECT_EQ(0, writer->endElement());
    EXPECT_STREQ("{\"_type\":\"a\"}", writer->getString());
}

TEST(PGFJSONWriter, TextAfterAChildLandsInTheChildrenArray)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    writer->startElement("a");
    writer->writeTextValue("before");
    writer->startElement("b");
    writer->endElement();
    EXPECT_EQ(1, writer->writeTextValue("after"));
    writer->endElement();
    EXPECT_STREQ("{\"_type\":\"a\",\"_text\":\"before\",\"_children\":[{\"_type\":\"b\"},\"_text\",\"after\"]}",
                 writer->getString());
}

TEST(PGFJSONWriter, AttributeAfterAChildClosesTheChildrenAndALaterChildIsRefused)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    writer->startElement("a");
    writer->startElement("b");
    writer->endElement();
    EXPECT_EQ(1, writer->writeAttribute("late", "1"));
    testing::internal::CaptureStdout();
    // The object now expects a key: the generator refuses an object here.
    EXPECT_EQ(0, writer->startElement("c"));
    EXPECT_EQ(0, writer->endElement());
    EXPECT_EQ("keys must be strings\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, writer->endElement());
    EXPECT_STREQ("{\"_type\":\"a\",\"_children\":[{\"_type\":\"b\"}],\"late\":\"1\"}", writer->getString());
}

TEST(PGFJSONWriter, EscapesStrings)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    writer->startElement("q\"uote");
    writer->writeAttribute("line", "a\nb\\c");
    writer->endElement();
    EXPECT_STREQ("{\"_type\":\"q\\\"uote\",\"line\":\"a\\nb\\\\c\"}", writer->getString());
}

// Bytes that are not UTF-8 go through as they are, as the generator does.
TEST(PGFJSONWriter, StringsThatAreNotUTF8PassThroughAsBytes)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, writer->startElement("\xff"));
    EXPECT_EQ(1, writer->writeAttribute("caf\xe9", "\xc3"));
    EXPECT_EQ(1, writer->writeTextValue("\xed\xa0\x80"));
    EXPECT_EQ(1, writer->endElement());
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_STREQ("{\"_type\":\"\xff\",\"caf\xe9\":\"\xc3\",\"_text\":\"\xed\xa0\x80\"}", writer->getString());
}

TEST(PGFJSONWriter, NestingBeyondTheGeneratorDepthIsRefusedAndStaysBalanced)
{
    auto writer = PGFJSONWriter::newToString(false);
    ASSERT_TRUE(writer);
    // Each nested element takes an object and a children array.
    const int levels = 70;
    int accepted = 0;
    testing::internal::CaptureStdout();
    for (int i = 0; i < levels; ++i)
        accepted += writer->startElement("e");
    for (int i = 0; i < levels; ++i)
        writer->endElement();
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(64, accepted);
    EXPECT_EQ("max depth exceeded\n", printed);
    std::string text = writer->getString();
    EXPECT_EQ(64, std::count(text.begin(), text.end(), '{'));
    EXPECT_EQ(64, std::count(text.begin(), text.end(), '}'));
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), std::count(text.begin(), text.end(), ']'));
    // The document is complete: a new top-level element is refused as such.
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, writer->startElement("more"));
    EXPECT_EQ("complete document has been generated\n", testing::internal::GetCapturedStdout());
}

TEST(PGFJSONWriter, FileFormWritesThroughAndHasNoBuffer)
{
    TempDir folder;
    std::string path = folder.file("doc.json");
    auto writer = PGFJSONWriter::newToFile(path.c_str(), true);
    ASSERT_TRUE(writer);
    writeSample(*writer);
    writer.reset();
    EXPECT_EQ("{\n\t\"_type\": \"a\",\n\t\"k\": \"v\",\n\t\"_children\": [\n\t\t{\n\t\t\t\"_type\": \"b\"\n\t\t}\n\t]\n}\n",
              readFile(path));
    EXPECT_EQ(std::vector<std::string>{"doc.json"}, pgftest::listFolder(folder.path()));
}

} // namespace
