#include "engine/pgf/wrap_pgf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>

#include "tests/support/LuaChunk.h"
#include "tests/support/TempDir.h"

namespace {

// Lua string literal for a path.
std::string luaString(const std::string& text)
{
    return "[==[" + text + "]==]";
}

// A canonical text of loaded tables: keys sorted (numbers first), nested
// tables in braces, {0="r",1={0="a",1="hi"},v="1"}; "nothing" when a load
// gave no value.
const char* kDescribe = R"(
function describe(v)
  if type(v) ~= 'table' then return type(v) == 'string' and '"' .. v .. '"' or tostring(v) end
  local keys, parts = {}, {}
  for k in pairs(v) do keys[#keys + 1] = k end
  table.sort(keys, function(a, b)
    if type(a) ~= type(b) then return type(a) == 'number' end
    return a < b
  end)
  for i, k in ipairs(keys) do parts[i] = tostring(k) .. '=' .. describe(v[k]) end
  return '{' .. table.concat(parts, ',') .. '}'
end
function show(...) return select('#', ...) == 0 and 'nothing' or describe((...)) end)";

// The writers as scripts drive them: the calls' answers are asserted in the
// chunk; the text and what was printed are compared here.
TEST(PGFModule, WritersBuildTheDocumentAndRefuseWhatWouldCorruptIt)
{
    struct Case {
        const char* format;
        const char* calls;    // on the writer `w`
        const char* text;     // w:getString() afterwards; null: not compared
        const char* printed;  // fragments of standard output and error, '|' between them
        int lines;            // lines printed
    } cases[] = {
        // endDocument closes what is open; text and attributes are escaped.
        {"xml", R"(w:startDocument() w:startElement('r') w:writeAttribute('k', 'a&b<"c"') w:startElement('t')
                   w:writeTextValue('x < y & z') assert(w:endDocument() >= 0))",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r k=\"a&amp;b&lt;&quot;c&quot;\"><t>x &lt; y &amp; z</t></r>\n",
         "", 0},
        // Names, characters and attributes XML cannot carry are refused; the
        // writer goes on, and a new element may reuse an attribute name.
        {"xml", R"(w:startElement('r')
                   for _, n in ipairs({'bad name', '', '1st', '-a', 'a\255', '\154\154'}) do
                     assert(w:startElement(n) == -1, n) end
                   for _, t in ipairs({'stray \154\154', 'nul\1', 'latin1 caf\233', 'surrogate \237\160\128'}) do
                     assert(w:writeTextValue(t) == -1, t) end
                   assert(w:writeAttribute('a="1" b', 'v') == -1 and w:writeAttribute('k', 'bell\7') == -1)
                   assert(w:writeAttribute('k', '1') >= 0 and w:writeAttribute('k', '2') == -1)
                   assert(w:endElement() >= 0 and w:endElement() == -1 and w:endElement() == -1)
                   w:startElement('s') assert(w:writeAttribute('k', '3') >= 0) w:endElement())",
         "<r k=\"1\"/><s k=\"3\"/>",
         "invalid XML element name \"bad name\"|invalid XML attribute name|"
         "pgf: text holds a character XML cannot carry (byte 3): refused|"
         "pgf: attribute \"k\" written twice on one element: refused", -1},
        // One declaration, and only at the start.
        {"xml", "w:startDocument() assert(w:startDocument() == -1)", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "", 1},
        {"xml", "w:endDocument() assert(w:startDocument() == -1)", nullptr, "", 1},
        // Every name the reader accepts is written and reads back.
        {"xml", R"(w:startElement('r')
                   for _, n in ipairs({'\239\187\191bom', 'caf\195\169', 'k:x', '_a-1.b\194\183', '\240\144\128\128'}) do
                     assert(w:startElement(n) >= 0 and w:writeAttribute(n, 'v') >= 0 and w:endElement() >= 0, n) end
                   w:endElement() assert(pgf.loadString(w:getString()), w:getString()))",
         nullptr, "", 0},
        // One top-level element: what follows is refused, reported once.
        {"json", R"(w:startElement('a') w:endElement()
                    assert(w:startElement('b') == 0 and w:writeAttribute('x', 'y') == 0 and w:startElement('c') == 0)
                    assert(w:endElement() == 0 and w:endElement() == 0))",
         "{\"_type\":\"a\"}", "complete document has been generated\n", 1},
        // Line breaks, tabs and returns in attributes and text read back as written.
        {"xml", R"(w:startElement('r') w:writeAttribute('k', 'a\nb\tc\rd') w:writeTextValue('x\r\n\tcaf\195\169')
                   w:endElement() local r = pgf.loadString(w:getString())
                   assert(r.k == 'a\nb\tc\rd' and r[1] == 'x\r\n\tcaf\195\169', w:getString()))",
         nullptr, "", 0},
        // Any other format is XML.
        {"yaml", "w:startElement('a') w:endElement()", "<a/>", "", 0},
        // After close every call answers -1 and the text is gone.
        {"xml", R"(w:startElement('a') assert(select('#', w:close()) == 0)
                   assert(w:startDocument() == -1 and w:endDocument() == -1 and w:startElement('b') == -1)
                   assert(w:endElement() == -1 and w:writeAttribute('k', 'v') == -1 and w:writeTextValue('t') == -1)
                   assert(select('#', w:getString()) == 1) w:close())",
         "nil", "", 0},
        // Numbers given as attribute values are written as their text.
        {"json", R"(assert(w:startDocument() == 0) w:startElement('s') w:writeAttribute('score', 1234567)
                    w:endElement() assert(w:endDocument() == 0))",
         "{\"_type\":\"s\",\"score\":\"1234567\"}", "", 0},
        // Ending with nothing open writes nothing and harms nothing.
        {"json", R"(assert(w:endElement() == 0 and w:getString() == '')
                    assert(w:startElement('a') == 1 and w:endElement() == 1 and w:endElement() == 0))",
         "{\"_type\":\"a\"}", "", 0},
        // Text after a child lands in the children array.
        {"json", R"(w:startElement('a') w:writeTextValue('before') w:startElement('b') w:endElement()
                    assert(w:writeTextValue('after') == 1) w:endElement())",
         "{\"_type\":\"a\",\"_text\":\"before\",\"_children\":[{\"_type\":\"b\"},\"_text\",\"after\"]}", "", 0},
        // An attribute after a child closes the children; a later child is refused.
        {"json", R"(w:startElement('a') w:startElement('b') w:endElement() assert(w:writeAttribute('late', '1') == 1)
                    assert(w:startElement('c') == 0 and w:endElement() == 0 and w:endElement() == 1))",
         "{\"_type\":\"a\",\"_children\":[{\"_type\":\"b\"}],\"late\":\"1\"}", "keys must be strings\n", 1},
        {"json", R"(w:startElement('q"uote') w:writeAttribute('line', 'a\nb\\c') w:endElement())",
         "{\"_type\":\"q\\\"uote\",\"line\":\"a\\nb\\\\c\"}", "", 0},
        // Bytes that are not UTF-8 go through as they are.
        {"json", R"(assert(w:startElement('\255') == 1 and w:writeAttribute('caf\233', '\195') == 1)
                    assert(w:writeTextValue('\237\160\128') == 1 and w:endElement() == 1))",
         "{\"_type\":\"\xff\",\"caf\xe9\":\"\xc3\",\"_text\":\"\xed\xa0\x80\"}", "", 0},
        // Nesting past the generator's depth (an object and an array a level)
        // is refused and stays balanced; the document is then complete.
        {"json", R"(local accepted = 0
                    for i = 1, 70 do accepted = accepted + w:startElement('e') end
                    for i = 1, 70 do w:endElement() end
                    local s = w:getString()
                    local function count(p) return select(2, s:gsub(p, '')) end
                    assert(accepted == 64 and count('{') == 64 and count('}') == 64 and count('%[') == count('%]'))
                    assert(w:startElement('more') == 0))",
         nullptr, "max depth exceeded\n|complete document has been generated\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        LuaTestState lua{luaopen_PGF};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::string error =
            lua.run("w = pgf.writer.newToString('" + std::string(c.format) + "')\n" + c.calls);
        const std::string printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_EQ(error, "");
        if (c.text) {
            EXPECT_EQ(lua.eval("w:getString()"), c.text);
        }
        std::stringstream fragments(c.printed);
        for (std::string fragment; std::getline(fragments, fragment, '|');)
            EXPECT_NE(printed.find(fragment), std::string::npos) << fragment << " in:\n" << printed;
        if (c.lines >= 0) {
            EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), c.lines) << printed;
        }
    }
}

// A file appears whole when its writer closes, replacing an older one; a
// writer left unclosed never puts its older document over one another writer
// finished since it opened the file: its text is kept beside it. The file
// forms keep no copy of their text.
TEST(PGFModule, FileWritersAppearWholeWhenClosedAndNeverOverANewerFile)
{
    TempDir folder;
    const std::string path = folder.file("out put%41.json");
    writeFile(path, "old contents that are longer than the new ones");
    LuaTestState lua{luaopen_PGF};
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_EQ("", lua.run("late = pgf.writer.newToFile(" + luaString(path) + ")\n" +
                          "w = pgf.writer.newToFile(" + luaString(path) + ", 'json-pretty')\n" + R"(
        late:startDocument() late:startElement('old') late:endElement()
        w:startDocument() w:startElement('game') w:writeAttribute('name', 'Kelvane')
        w:startElement('b') w:endElement() w:endElement() w:endDocument()
        assert(select('#', w:getString()) == 1 and late:getString() == nil))"));
    EXPECT_EQ("no internal buffer\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("old contents that are longer than the new ones", readFile(path));
    ASSERT_EQ("", lua.run("w:close() late = nil; collectgarbage(); collectgarbage()"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("{\n\t\"_type\": \"game\",\n\t\"name\": \"Kelvane\",\n\t\"_children\": [\n\t\t{\n\t\t\t\"_type\": \"b\"\n"
              "\t\t}\n\t]\n}\n",
              readFile(path));
    // The path is taken literally (no URI unescaping of "%41"); the kept text beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    const std::string kept = "kept in \"";
    const size_t at = err.find(kept);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string keptPath = err.substr(at + kept.size(), err.find('"', at + kept.size()) - at - kept.size());
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<old/>", readFile(keptPath));
    EXPECT_NE(err.find(path), std::string::npos) << err;
}

TEST(PGFModule, WrongArgumentTypesRaiseErrorsNamingTheFunction)
{
    LuaTestState lua{luaopen_PGF};
    ASSERT_EQ("", lua.run("w = pgf.writer.newToString()"));
    for (const std::string code :
         {"w:startElement({})", "pgf.writer.startElement('w', 'a')", "pgf.writer.endElement(io.stdout)",
          "w:writeAttribute('k')", "w:writeTextValue(nil)", "pgf.writer.getString(42)", "pgf.writer.close({})",
          "pgf.writer.newToString({})", "pgf.writer.newToFile()", "pgf.writer.newToFile('x', true)", "pgf.loadString()",
          "pgf.loadFile({})"}) {
        // The function called: the name before the parenthesis.
        const size_t open = code.find('('), start = code.find_last_of(".:", open) + 1;
        const std::string error = lua.run(code);
        EXPECT_NE(std::string::npos, error.find("'" + code.substr(start, open - start) + "'")) << code << ": " << error;
    }
    // The writer is unharmed.
    EXPECT_EQ("", lua.run("w:startElement('ok'); w:endElement(); assert(w:getString() == '<ok/>')"));
}

// Reading documents. Stays inside the document: nothing outside it is
// opened, and entities other than the predefined ones are never expanded.
class PGFReading : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(lua.run(kDescribe), "");
        // Malformed on purpose: had the reader opened either file, its
        // parse would have failed.
        writeFile(folder.file("outside.dtd"), "<!ENTITY secret \"SECRET\"> <!ELEMENT broken");
        writeFile(folder.file("outside.xml"), "SECRET <unclosed>");
    }

    // Loads and describes the result; what it printed is added to `out`
    // and `err`.
    std::string load(const std::string& document)
    {
        lua_pushlstring(lua.L, document.data(), document.size());
        lua_setglobal(lua.L, "document");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::string result = lua.eval("show(pgf.loadString(document))");
        out += testing::internal::GetCapturedStdout();
        err += testing::internal::GetCapturedStderr();
        return result;
    }

    TempDir folder;
    LuaTestState lua{luaopen_PGF};
    std::string out, err;
};

// Malformed documents give nothing and one line each; outside files and
// entities other than the predefined ones are never read or expanded.
TEST_F(PGFReading, DocumentsGiveOnlyWhatTheyHold)
{
    const std::string dtd = "file://" + folder.file("outside.dtd");
    const std::string xml = "file://" + folder.file("outside.xml");
    std::string deep, bomb = "<!ENTITY lol \"lol\">";
    for (int i = 0; i < 5000; ++i)
        deep = "<e>" + deep + "</e>";
    for (int i = 1; i <= 9; ++i) {
        bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            bomb += "&lol" + (i > 1 ? std::to_string(i - 1) : "") + ";";
        bomb += "\">";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"", "nothing"}, {"   ", "nothing"}, {"<r>", "nothing"}, {"<r></s>", "nothing"},
        {"<r a=\"1\" a=\"2\"/>", "nothing"}, {"<r/><r/>", "nothing"}, {"just text", "nothing"},
        {"<r>&undefined;</r>", "nothing"}, {"<r>\x01</r>", "nothing"}, {"<r a=1/>", "nothing"},
        {"<?xml version=\"1.0\"?>", "nothing"}, {deep, "nothing"},
        {"<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&secret;</r>", "{0=\"r\"}"},
        {"<!DOCTYPE r SYSTEM \"" + dtd + "\" [<!ENTITY ext SYSTEM \"" + xml + "\">]><r>&ext;</r>", "{0=\"r\"}"},
        {"<!DOCTYPE r SYSTEM \"none.dtd\" [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>ok</r>", "{0=\"r\",1=\"ok\"}"},
        {"<!DOCTYPE r PUBLIC \"-//K//X//EN\" \"http://127.0.0.1:9/x.dtd\"><r>&x;</r>", "{0=\"r\"}"},
        // Without an outside subset an undeclared entity is an error.
        {"<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + xml + "\">]><r>&ext;</r>", "nothing"},
        {"<!DOCTYPE r [" + bomb + "]><r>&lol9;</r>", "nothing"},
        {"<!DOCTYPE r [" + bomb + "]><r a=\"&lol9;\"/>", "nothing"},
        // With an outside subset named (and not read) the reference is only skipped.
        {"<!DOCTYPE r SYSTEM \"none.dtd\" [" + bomb + "]><r a=\"&lol9;\">&lol9;</r>", "{0=\"r\",a=\"\"}"},
    };
    for (const auto& [document, expected] : cases) {
        SCOPED_TRACE(document.substr(0, 200));
        err.clear();
        EXPECT_EQ(load(document), expected);
        const auto lines = std::count(err.begin(), err.end(), '\n');
        EXPECT_EQ(lines, expected == "nothing" ? 1 : std::min<decltype(lines)>(lines, 1)) << err;
    }
    EXPECT_NE(std::string::npos, err.find("pgf: cannot read document string: line 1:"));
}

TEST_F(PGFReading, LongTextAndDeepNestingAreKeptWhole)
{
    std::string text, expected;
    for (int i = 0; i < 5000; ++i) {
        text += "text" + std::to_string(i) + (i % 7 ? " " : "&amp;");
        expected += "text" + std::to_string(i) + (i % 7 ? " " : "&");
    }
    ASSERT_GT(expected.size(), 16384u);
    EXPECT_EQ("{0=\"r\",1=\"" + expected + "\"}", load("<r>" + text + "</r>"));
    EXPECT_EQ("", out + err);

    // 101 levels load, with a warning past 99.
    std::string open, close, nested = "\"deep\"";
    for (int i = 101; i >= 1; --i) {
        const std::string name = "e" + std::to_string(i);
        open = "<" + name + ">" + open;
        close += "</" + name + ">";
        nested = "{0=\"" + name + "\",1=" + nested + "}";
    }
    EXPECT_EQ(load(open + "deep" + close), nested);
    EXPECT_EQ("WARNING! stack size has grown past expected levels( 100 )\n"
              "WARNING! stack size has grown past expected levels( 101 )\n",
              out);
}

// Paths are taken as they are; what cannot be opened gives nil (writers)
// or nothing (readers) and a line naming it.
TEST_F(PGFReading, PathsArePlainAndUnopenableOnesGiveNothing)
{
    writeFile(folder.file("plain.xml"), "<r/>");
    const std::string plain = luaString(folder.file("plain.xml"));
    testing::internal::CaptureStderr();
    EXPECT_EQ("", lua.run("assert(pgf.loadFile(" + plain + ")[0] == 'r' and pgf.parser.loadString('<r/>')[0] == 'r')\n"
                          "for _, p in ipairs({'file://' .. " + plain + ", 'http://127.0.0.1:9/plain.xml', " +
                          luaString(folder.path()) + ", '/nonexistent-folder/in.xml'}) do\n"
                          "  assert(select('#', pgf.parser.loadFile(p)) == 0, p) end\n"
                          "assert(select('#', pgf.writer.newToFile('/nonexistent-folder/out.xml')) == 1)\n"
                          "assert(pgf.writer.newToFile('/nonexistent-folder/out.xml') == nil)\n"
                          "assert(pgf.writer.newToFile('/nonexistent-folder/out.json', 'json-pretty') == nil)"));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(7, std::count(errors.begin(), errors.end(), '\n')) << errors;
    EXPECT_NE(std::string::npos, errors.find("\"/nonexistent-folder/out.json\"")) << errors;
    EXPECT_NE(std::string::npos, errors.find("\"/nonexistent-folder/in.xml\"")) << errors;
}

// Each tests/data/pgf/NAME.xml loads into the tables described in NAME.expected.
TEST_F(PGFReading, DataDocumentsLoadAsExpected)
{
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(KV_TEST_DATA_DIR) + "/pgf")) {
        if (entry.path().extension() != ".xml")
            continue;
        EXPECT_EQ(load(readFile(entry.path())), readFile(std::filesystem::path(entry.path()).replace_extension(".expected")))
            << entry.path();
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

// Lua's allocations fail past `limit`, to fail one in the middle of a read.
size_t used = 0, limit = SIZE_MAX;

void* limitedAlloc(void*, void* block, size_t oldSize, size_t newSize)
{
    if (newSize == 0) {
        free(block);
        used -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && used + (newSize - oldSize) > limit)
        return nullptr;
    void* grown = realloc(block, newSize);
    if (grown)
        used = used - oldSize + newSize;
    return grown;
}

TEST(PGFModule, OutOfMemoryWhileReadingIsALuaErrorAndTheStateGoesOn)
{
    lua_State* L = lua_newstate(limitedAlloc, nullptr);
    luaL_openlibs(L);
    lua_pushcfunction(L, luaopen_PGF);
    lua_pushstring(L, "pgf");
    lua_call(L, 1, 0);
    ASSERT_EQ("", runLuaChunk(L, R"(
        local d = {'<r>'}
        for i = 0, 1999 do d[#d + 1] = '<item n="' .. i .. '">text ' .. i .. '</item>' end
        document = table.concat(d) .. '</r>'
        collectgarbage())"));
    ASSERT_EQ(0, luaL_loadstring(L, "return #pgf.loadString(document)"));
    limit = used + 64 * 1024;
    // Raised only after the reader has returned, so it leaks nothing.
    EXPECT_NE(0, lua_pcall(L, 0, 1, 0));
    EXPECT_STREQ("not enough memory", lua_tostring(L, -1));
    limit = SIZE_MAX;
    EXPECT_EQ("", runLuaChunk(L, "assert(#pgf.loadString(document) == 2000)"));
    lua_close(L);
}

} // namespace
