#include "engine/pgf/wrap_pgf.h"

#include "tests/engine/pgf/PGFTestSupport.h"

#include <gtest/gtest.h>

using pgftest::describe;
using pgftest::LuaWithPGF;

namespace {

// Lua string literal for a path.
std::string luaString(const std::string& text)
{
    return "[==[" + text + "]==]";
}

// What the parser and the writers make of a document is theirs to show; here
// what the module adds: its answers, formats and argument conversions.
TEST(PGFModule, AnswersFormatsAndConversions)
{
    LuaWithPGF lua;
    EXPECT_EQ("", lua.run(R"(
        assert(rawequal(pgf.parser.loadString, pgf.loadString) and rawequal(pgf.parser.loadFile, pgf.loadFile))
        assert(pgf.loadString('<r v="1"/>').v == "1")
        assert(select("#", pgf.loadString("")) == 0)
        assert(select("#", pgf.loadString("<r>")) == 0)
        assert(select("#", pgf.parser.loadString("<r/>")) == 1)
        -- Numbers are taken as their text.
        assert(select("#", pgf.loadString(12)) == 0)

        local j = pgf.writer.newToString("json")
        assert(j:startDocument() == 0)
        assert(j:startElement("a") == 1 and j:writeAttribute("k", "v") == 1)
        assert(j:startElement("b") == 1 and j:endElement() == 1 and j:endElement() == 1)
        assert(j:endDocument() == 0)
        assert(j:getString() == '{"_type":"a","k":"v","_children":[{"_type":"b"}]}', j:getString())
        -- Attribute values given as numbers are written as their text.
        local n = pgf.writer.newToString("json")
        n:startElement("s"); n:writeAttribute("score", 1234567); n:endElement()
        assert(n:getString() == '{"_type":"s","score":"1234567"}', n:getString())

        local p = pgf.writer.newToString("json-pretty")
        p:startElement("a"); p:writeTextValue("t"); p:endElement()
        assert(p:getString() == '{\n\t"_type": "a",\n\t"_text": "t"\n}\n', p:getString())

        -- Any other format is XML.
        local x = pgf.writer.newToString("yaml")
        x:startElement("a"); x:endElement()
        assert(x:getString() == "<a/>")
    )"));
}

TEST(PGFModule, GetStringOnFileWriters)
{
    TempDir folder;
    LuaWithPGF lua;
    testing::internal::CaptureStdout();
    std::string error = lua.run("local x = pgf.writer.newToFile(" + luaString(folder.file("a.xml")) + ")\n"
                                "assert(x ~= nil and x:getString() == nil)\n"
                                "io.stdout:write('-\\n')\n"
                                "local j = pgf.writer.newToFile(" + luaString(folder.file("a.json")) + ", 'json')\n"
                                "assert(j ~= nil and select('#', j:getString()) == 1 and j:getString() == nil)\n"
                                "x:close(); j:close()");
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ("", error);
    EXPECT_EQ("-\nno internal buffer\nno internal buffer\n", printed);
}

TEST(PGFModule, CallsAfterCloseDoNothing)
{
    LuaWithPGF lua;
    EXPECT_EQ("", lua.run(R"(
        for _, format in ipairs({"xml", "json"}) do
            local w = pgf.writer.newToString(format)
            w:startElement("a")
            assert(select("#", w:close()) == 0)
            assert(w:startDocument() == -1 and w:endDocument() == -1)
            assert(w:startElement("b") == -1 and w:endElement() == -1)
            assert(w:writeAttribute("k", "v") == -1 and w:writeTextValue("t") == -1)
            assert(select("#", w:getString()) == 1 and w:getString() == nil)
            w:close()
        end
    )"));
}

TEST(PGFModule, WrongArgumentTypesRaiseErrorsNamingTheFunction)
{
    LuaWithPGF lua;
    ASSERT_EQ("", lua.run("w = pgf.writer.newToString()"));
    struct Case {
        const char* code;
        const char* function;
    } cases[] = {
        {"w:startElement({})", "startElement"},
        {"w:startElement()", "startElement"},
        {"pgf.writer.startElement('w', 'a')", "startElement"},
        {"pgf.writer.endElement(io.stdout)", "endElement"},
        {"w:writeAttribute('k')", "writeAttribute"},
        {"w:writeTextValue(nil)", "writeTextValue"},
        {"pgf.writer.getString(42)", "getString"},
        {"pgf.writer.close({})", "close"},
        {"pgf.writer.newToString({})", "newToString"},
        {"pgf.writer.newToFile()", "newToFile"},
        {"pgf.writer.newToFile('x', true)", "newToFile"},
        {"pgf.loadString()", "loadString"},
        {"pgf.loadFile({})", "loadFile"},
    };
    for (const Case& c : cases) {
        std::string error = lua.run(c.code);
        EXPECT_NE(std::string::npos, error.find(std::string("'") + c.function + "'")) << c.code << ": " << error;
    }
    // The writer is unharmed.
    EXPECT_EQ("", lua.run("w:startElement('ok'); w:endElement(); assert(w:getString() == '<ok/>')"));
}

TEST(PGFModule, UnopenableFileGivesNil)
{
    LuaWithPGF lua;
    testing::internal::CaptureStderr();
    std::string error = lua.run(R"(
        assert(select("#", pgf.writer.newToFile("/nonexistent-folder/out.xml")) == 1)
        assert(pgf.writer.newToFile("/nonexistent-folder/out.xml") == nil)
        assert(pgf.writer.newToFile("/nonexistent-folder/out.json", "json-pretty") == nil)
        assert(select("#", pgf.loadFile("/nonexistent-folder/in.xml")) == 0)
    )");
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ("", error);
    EXPECT_EQ(4, std::count(errors.begin(), errors.end(), '\n')) << errors;
    EXPECT_NE(std::string::npos, errors.find("\"/nonexistent-folder/out.json\""));
    EXPECT_NE(std::string::npos, errors.find("\"/nonexistent-folder/in.xml\""));
}

TEST(PGFModule, FileWrittenByTheXMLWriterReadsBackIntoTheSameStructure)
{
    TempDir folder;
    LuaWithPGF lua;
    std::string path = folder.file("game.xml");
    ASSERT_EQ("", lua.run("local w = pgf.writer.newToFile(" + luaString(path) + ")\n" + R"(
        w:startDocument()
        w:startElement("game")
        w:writeAttribute("title", "Cats & <Dogs>")
        w:writeAttribute("version", "2")
        w:startElement("scene"); w:writeAttribute("name", "intro"); w:writeTextValue("Hello, \"world\" & all\r\n\tcaf\195\169"); w:endElement()
        w:startElement("scene"); w:writeAttribute("name", "level1"); w:writeAttribute("lines", "a\nb\tc\rd")
          w:startElement("sprite"); w:writeAttribute("image", "a&b.png"); w:endElement()
          w:startElement("sprite"); w:endElement()
        w:endElement()
        w:startElement("empty"); w:endElement()
        w:endDocument()
        w:close()
    )"));
    ASSERT_EQ("", lua.run("loaded = pgf.loadFile(" + luaString(path) + ")"));
    lua_getglobal(lua.L, "loaded");
    EXPECT_EQ("{0=\"game\","
              "1={0=\"scene\",1=\"Hello, \"world\" & all\r\n\tcaf\xC3\xA9\",name=\"intro\"},"
              "2={0=\"scene\",1={0=\"sprite\",image=\"a&b.png\"},2={0=\"sprite\"},lines=\"a\nb\tc\rd\",name=\"level1\"},"
              "3={0=\"empty\"},"
              "title=\"Cats & <Dogs>\",version=\"2\"}",
              describe(lua.L, -1));
}

// A writer left unclosed never puts its older document over one another
// writer finished since it opened the file; its text is kept beside it.
TEST(PGFModule, AnUnclosedWriterNeverReplacesANewerFile)
{
    TempDir folder;
    const std::string path = folder.file("doc.json");
    LuaWithPGF lua;
    testing::internal::CaptureStderr();
    ASSERT_EQ("", lua.run("late = pgf.writer.newToFile(" + luaString(path) + ", 'json')\n"
                          "late:startElement('old'); late:endElement()\n"
                          "local w = pgf.writer.newToFile(" + luaString(path) + ", 'json')\n"
                          "w:startElement('new'); w:endElement(); w:close()\n"
                          "late = nil; collectgarbage(); collectgarbage()"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("{\"_type\":\"new\"}", readFile(path));
    const std::string kept = "kept in \"";
    const size_t at = err.find(kept);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string keptPath = err.substr(at + kept.size(), err.find('"', at + kept.size()) - at - kept.size());
    EXPECT_EQ("{\"_type\":\"old\"}", readFile(keptPath));
    EXPECT_NE(err.find(path), std::string::npos) << err;
}

// Reading stays inside the document: nothing outside it is opened, and
// entities other than the predefined ones are never expanded.
class PGFReadingIsolation : public testing::Test {
protected:
    void SetUp() override
    {
        // Malformed on purpose: had the reader opened either file, its
        // parse would have failed.
        writeFile(folder.file("outside.dtd"), "<!ENTITY secret \"SECRET\"> <!ELEMENT broken");
        writeFile(folder.file("outside.xml"), "SECRET <unclosed>");
        testing::internal::CaptureStderr();
    }
    void TearDown() override { testing::internal::GetCapturedStderr(); }

    // Loads and describes the result ("nothing" when the load gave no value).
    std::string load(const std::string& document)
    {
        lua_settop(lua.L, 0);
        lua_getglobal(lua.L, "pgf");
        lua_getfield(lua.L, -1, "loadString");
        lua_pushlstring(lua.L, document.data(), document.size());
        if (lua_pcall(lua.L, 1, LUA_MULTRET, 0) != 0)
            return std::string("error: ") + lua_tostring(lua.L, -1);
        return lua_gettop(lua.L) == 1 ? "nothing" : describe(lua.L, -1);
    }

    TempDir folder;
    LuaWithPGF lua;
};

TEST_F(PGFReadingIsolation, ExternalSubsetAndExternalEntitiesAreNotOpened)
{
    std::string dtd = "file://" + folder.file("outside.dtd");
    std::string xml = "file://" + folder.file("outside.xml");
    EXPECT_EQ("{0=\"r\"}", load("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&secret;</r>"));
    EXPECT_EQ("{0=\"r\"}", load("<!DOCTYPE r SYSTEM \"" + dtd + "\" [<!ENTITY ext SYSTEM \"" + xml +
                                "\">]><r>&ext;</r>"));
    EXPECT_EQ("{0=\"r\",1=\"ok\"}", load("<!DOCTYPE r SYSTEM \"none.dtd\" [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>ok</r>"));
    EXPECT_EQ("{0=\"r\"}", load("<!DOCTYPE r PUBLIC \"-//K//X//EN\" \"http://127.0.0.1:9/x.dtd\"><r>&x;</r>"));
    // Without an outside subset an undeclared entity is an error.
    EXPECT_EQ("nothing", load("<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + xml + "\">]><r>&ext;</r>"));
}

TEST_F(PGFReadingIsolation, EntityExpansionBombIsNotExpanded)
{
    std::string declarations = "<!ENTITY lol \"lol\">";
    std::string previous = "lol";
    for (int i = 1; i <= 9; ++i) {
        std::string name = "lol" + std::to_string(i);
        declarations += "<!ENTITY " + name + " \"";
        for (int j = 0; j < 10; ++j)
            declarations += "&" + previous + ";";
        declarations += "\">";
        previous = name;
    }
    EXPECT_EQ("nothing", load("<!DOCTYPE r [" + declarations + "]><r>&lol9;</r>"));
    EXPECT_EQ("nothing", load("<!DOCTYPE r [" + declarations + "]><r a=\"&lol9;\"/>"));
    // With an outside subset named (and not read) the reference is only
    // skipped: the document loads, unexpanded.
    std::string loaded = load("<!DOCTYPE r SYSTEM \"none.dtd\" [" + declarations + "]><r a=\"&lol9;\">&lol9;</r>");
    EXPECT_LT(loaded.size(), 64u) << loaded;
    EXPECT_EQ(std::string::npos, loaded.find("lollol"));
}

TEST_F(PGFReadingIsolation, LoadFileTakesItsArgumentAsAPlainPath)
{
    writeFile(folder.file("plain.xml"), "<r/>");
    lua_settop(lua.L, 0);
    EXPECT_EQ("", lua.run("assert(pgf.loadFile(" + luaString(folder.file("plain.xml")) + ")[0] == 'r')\n"
                          "assert(select('#', pgf.loadFile(" + luaString("file://" + folder.file("plain.xml")) + ")) == 0)\n"
                          "assert(select('#', pgf.loadFile('http://127.0.0.1:9/plain.xml')) == 0)\n"
                          "assert(select('#', pgf.loadFile(" + luaString(folder.path()) + ")) == 0)"));
}

} // namespace

namespace {

// Each tests/data/pgf/NAME.xml loads into the tables described in NAME.expected.
TEST(PGFModule, DataDocumentsLoadAsExpected)
{
    const std::string folder = std::string(KV_TEST_DATA_DIR) + "/pgf";
    int checked = 0;
    for (const std::string& name : pgftest::listFolder(folder)) {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".xml") != 0)
            continue;
        std::string base = folder + "/" + name.substr(0, name.size() - 4);
        LuaWithPGF lua;
        ASSERT_EQ("", lua.run("loaded = pgf.loadFile(" + luaString(base + ".xml") + ")"));
        lua_getglobal(lua.L, "loaded");
        EXPECT_EQ(readFile(base + ".expected"), describe(lua.L, -1)) << name;
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

} // namespace

namespace {

// An allocator that refuses to grow past a limit, to fail Lua allocations
// in the middle of a read.
struct LimitedMemory {
    size_t used = 0;
    size_t limit = SIZE_MAX;
};

void* limitedAlloc(void* ud, void* block, size_t oldSize, size_t newSize)
{
    auto* memory = static_cast<LimitedMemory*>(ud);
    if (newSize == 0) {
        free(block);
        memory->used -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && memory->used + (newSize - oldSize) > memory->limit)
        return nullptr;
    void* grown = realloc(block, newSize);
    if (grown)
        memory->used = memory->used - oldSize + newSize;
    return grown;
}

TEST(PGFModule, OutOfMemoryWhileReadingIsALuaErrorAndTheStateGoesOn)
{
    LimitedMemory memory;
    lua_State* L = lua_newstate(limitedAlloc, &memory);
    luaL_openlibs(L);
    lua_pushcfunction(L, luaopen_PGF);
    lua_pushstring(L, "pgf");
    ASSERT_EQ(0, lua_pcall(L, 1, 0, 0));
    std::string document = "<r>";
    for (int i = 0; i < 2000; ++i)
        document += "<item n=\"" + std::to_string(i) + "\">text " + std::to_string(i) + "</item>";
    document += "</r>";
    lua_pushlstring(L, document.data(), document.size());
    lua_setglobal(L, "document");
    lua_gc(L, LUA_GCCOLLECT, 0);

    ASSERT_EQ(0, luaL_loadstring(L, "local t = pgf.loadString(document); return #t"));
    memory.limit = memory.used + 64 * 1024;
    // Raised only after the reader has returned, so it leaks nothing.
    EXPECT_NE(0, lua_pcall(L, 0, 1, 0));
    EXPECT_STREQ("not enough memory", lua_tostring(L, -1));
    lua_settop(L, 0);

    memory.limit = SIZE_MAX;
    ASSERT_EQ(0, luaL_dostring(L, "local t = pgf.loadString(document); return #t")) << lua_tostring(L, -1);
    EXPECT_EQ(2000, lua_tointeger(L, -1));
    lua_close(L);
}

} // namespace
