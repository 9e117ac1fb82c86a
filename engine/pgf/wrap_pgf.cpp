#include "engine/pgf/wrap_pgf.h"

#include "engine/host/KVBinding.h"
#include "engine/pgf/PGFJSONWriter.h"
#include "engine/pgf/PGFXMLParser.h"
#include "engine/pgf/PGFXMLWriter.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

const char kWriterMetatable[] = "pgf.writerMT";
// Registry table, weak in its keys: every writer object of the state.
const char kWriterObjects[] = "pgf.writerObjects";

PGFWriter** checkWriterSlot(lua_State* L)
{
    return static_cast<PGFWriter**>(luaL_checkudata(L, 1, kWriterMetatable));
}

// The native writer, or null once the object has been closed.
PGFWriter* checkWriter(lua_State* L)
{
    return *checkWriterSlot(L);
}

int pushStatus(lua_State* L, PGFWriter* writer, int (PGFWriter::*operation)())
{
    lua_pushinteger(L, writer ? (writer->*operation)() : -1);
    return 1;
}

int loadWith(lua_State* L, PGFXMLParser& parser, int base)
{
    if (parser.parse() == 0 && lua_gettop(L) == base + 1 && lua_istable(L, -1))
        return 1;
    lua_settop(L, base);
    return 0;
}

int pgf_loadFile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    lua_settop(L, 1);
    PGFXMLParser parser(L, path);
    return loadWith(L, parser, 1);
}

int pgf_loadString(lua_State* L)
{
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    lua_settop(L, 1);
    PGFXMLParser parser(L, text, length);
    return loadWith(L, parser, 1);
}

enum class Format { XML, JSON, JSONPretty };

Format checkFormat(lua_State* L, int index)
{
    const char* format = luaL_optstring(L, index, nullptr);
    if (format && strcmp(format, "json-pretty") == 0)
        return Format::JSONPretty;
    if (format && strcmp(format, "json") == 0)
        return Format::JSON;
    return Format::XML;
}

// The userdata is made (empty) before the writer, so a Lua memory error
// cannot leak a writer.
PGFWriter** newWriterSlot(lua_State* L)
{
    auto** slot = static_cast<PGFWriter**>(lua_newuserdata(L, sizeof(PGFWriter*)));
    *slot = nullptr;
    luaL_getmetatable(L, kWriterMetatable);
    lua_setmetatable(L, -2);
    lua_getfield(L, LUA_REGISTRYINDEX, kWriterObjects);
    if (lua_istable(L, -1)) {
        lua_pushvalue(L, -2);
        lua_pushboolean(L, 1);
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
    return slot;
}

int pushNewWriter(lua_State* L, PGFWriter** slot, std::unique_ptr<PGFWriter> writer)
{
    if (!writer) {
        lua_pushnil(L);
        return 1;
    }
    *slot = writer.release();
    return 1;
}

int writer_newToFile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    Format format = checkFormat(L, 2);
    PGFWriter** slot = newWriterSlot(L);
    std::unique_ptr<PGFWriter> writer;
    if (format == Format::XML)
        writer = PGFXMLWriter::newToFile(path);
    else
        writer = PGFJSONWriter::newToFile(path, format == Format::JSONPretty);
    return pushNewWriter(L, slot, std::move(writer));
}

int writer_newToString(lua_State* L)
{
    Format format = checkFormat(L, 1);
    PGFWriter** slot = newWriterSlot(L);
    std::unique_ptr<PGFWriter> writer;
    if (format == Format::XML)
        writer = PGFXMLWriter::newToString();
    else
        writer = PGFJSONWriter::newToString(format == Format::JSONPretty);
    return pushNewWriter(L, slot, std::move(writer));
}

// Destroys the native writer, finishing its output; later calls do nothing.
int writer_close(lua_State* L)
{
    PGFWriter** slot = checkWriterSlot(L);
    std::unique_ptr<PGFWriter> writer(*slot);
    *slot = nullptr;
    writer.reset();
    return 0;
}

int writer_startDocument(lua_State* L)
{
    return pushStatus(L, checkWriter(L), &PGFWriter::startDocument);
}

int writer_endDocument(lua_State* L)
{
    return pushStatus(L, checkWriter(L), &PGFWriter::endDocument);
}

int writer_startElement(lua_State* L)
{
    PGFWriter* writer = checkWriter(L);
    const char* name = luaL_checkstring(L, 2);
    lua_pushinteger(L, writer ? writer->startElement(name) : -1);
    return 1;
}

int writer_endElement(lua_State* L)
{
    return pushStatus(L, checkWriter(L), &PGFWriter::endElement);
}

int writer_writeAttribute(lua_State* L)
{
    PGFWriter* writer = checkWriter(L);
    const char* name = luaL_checkstring(L, 2);
    const char* value = luaL_checkstring(L, 3);
    lua_pushinteger(L, writer ? writer->writeAttribute(name, value) : -1);
    return 1;
}

int writer_writeTextValue(lua_State* L)
{
    PGFWriter* writer = checkWriter(L);
    const char* text = luaL_checkstring(L, 2);
    lua_pushinteger(L, writer ? writer->writeTextValue(text) : -1);
    return 1;
}

int writer_getString(lua_State* L)
{
    PGFWriter* writer = checkWriter(L);
    const char* text = writer ? writer->getString() : nullptr;
    if (text)
        lua_pushstring(L, text);
    else
        lua_pushnil(L);
    return 1;
}

// Finishes a writer the script let go without closing it.
void finishAbandoned(PGFWriter** slot)
{
    std::unique_ptr<PGFWriter> writer(*slot);
    *slot = nullptr;
    if (writer)
        writer->abandon();
}

// A writer the script never closed is finished when it is collected (at the
// latest when the state closes), so its file is still completed, unless
// another writer has replaced that file since.
int writer_gc(lua_State* L)
{
    finishAbandoned(static_cast<PGFWriter**>(luaL_checkudata(L, 1, kWriterMetatable)));
    return 0;
}

const luaL_Reg parserFunctions[] = {
    {"loadFile", pgf_loadFile},
    {"loadString", pgf_loadString},
    {nullptr, nullptr},
};

const luaL_Reg writerFunctions[] = {
    {"newToFile", writer_newToFile},
    {"newToString", writer_newToString},
    {"close", writer_close},
    {"startDocument", writer_startDocument},
    {"endDocument", writer_endDocument},
    {"startElement", writer_startElement},
    {"endElement", writer_endElement},
    {"writeAttribute", writer_writeAttribute},
    {"writeTextValue", writer_writeTextValue},
    {"getString", writer_getString},
    {nullptr, nullptr},
};

const luaL_Reg writerCollect[] = {
    {"__gc", writer_gc},
    {nullptr, nullptr},
};

const KVModule kParser{"pgf", KVFailure::raise};
const KVModule kWriter{"pgf.writer", KVFailure::raise};

} // namespace

int luaopen_PGF(lua_State* L)
{
    xmlInitParser();
    kvOpenModule(L, "pgf", kParser, parserFunctions);
    int module = lua_gettop(L);

    // The same function values as the module's, so both names compare equal.
    lua_createtable(L, 0, 2);
    for (const luaL_Reg* function = parserFunctions; function->name; ++function) {
        lua_getfield(L, module, function->name);
        lua_setfield(L, -2, function->name);
    }
    lua_setfield(L, module, "parser");

    lua_createtable(L, 0, 10);
    kvSetFunctions(L, kWriter, writerFunctions);
    kvMethodsMetatable(L, kWriterMetatable);
    kvSetFunctions(L, kWriter, writerCollect);
    lua_pop(L, 1);
    lua_setfield(L, module, "writer");

    lua_newtable(L);
    lua_createtable(L, 0, 1);
    lua_pushliteral(L, "k");
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
    lua_setfield(L, LUA_REGISTRYINDEX, kWriterObjects);

    lua_settop(L, module);
    return 1;
}

void PGFFinishOpenWriters(lua_State* L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kWriterObjects);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_pushnil(L);
    while (lua_next(L, -2)) {
        lua_pop(L, 1);
        if (lua_touserdata(L, -1))
            finishAbandoned(static_cast<PGFWriter**>(lua_touserdata(L, -1)));
    }
    lua_pop(L, 1);
}
