// Fuzz target for pgf.loadString. Every document that loads is written back
// with the XML writer and must load again into the same tables.
//
// Build and run (from the repository root, after a normal cmake configure
// of build-pgf, which prepares the Lua sources in build-pgf/lua):
//   B=build-pgf; clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
//     -I. -I$B/lua -I/usr/include/libxml2 -DLUA_USE_POSIX -o /tmp/pgf_loadstring_fuzz \
//     fuzz/pgf_loadstring_fuzz.cpp engine/pgf/*.cpp cmake/lua/luanumber.cpp \
//     -x c++ $(ls $B/lua/*.c | grep -v -e '/lua\.c' -e '/luac\.c' -e '/print\.c') -x none \
//     -lxml2 -lyajl
//   mkdir -p /tmp/pgf_corpus && cp tests/data/pgf/*.xml /tmp/pgf_corpus/
//   /tmp/pgf_loadstring_fuzz -close_fd_mask=3 -max_total_time=300 /tmp/pgf_corpus
#include "engine/host/kv_lua.h"
#include "engine/pgf/PGFXMLWriter.h"
#include "engine/pgf/wrap_pgf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

lua_State* makeState()
{
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    lua_pushcfunction(L, luaopen_PGF);
    lua_pushstring(L, "pgf");
    if (lua_pcall(L, 1, 0, 0) != 0)
        abort();
    return L;
}

// Loads `text`, pushing the root table or nothing; answers whether a
// table was loaded.
bool load(lua_State* L, const char* text, size_t length)
{
    int base = lua_gettop(L);
    lua_getglobal(L, "pgf");
    lua_getfield(L, -1, "loadString");
    lua_remove(L, base + 1);
    lua_pushlstring(L, text, length);
    if (lua_pcall(L, 1, LUA_MULTRET, 0) != 0) {
        fprintf(stderr, "loadString raised: %s\n", lua_tostring(L, -1));
        abort();
    }
    if (lua_gettop(L) == base)
        return false;
    if (lua_gettop(L) != base + 1 || !lua_istable(L, -1))
        abort();
    return true;
}

void writeElement(lua_State* L, int index, PGFWriter& writer)
{
    lua_rawgeti(L, index, 0);
    if (!lua_isstring(L, -1))
        abort();
    writer.startElement(lua_tostring(L, -1));
    lua_pop(L, 1);
    lua_pushnil(L);
    while (lua_next(L, index) != 0) {
        if (lua_type(L, -2) == LUA_TSTRING) {
            if (lua_type(L, -1) != LUA_TSTRING)
                abort();
            writer.writeAttribute(lua_tostring(L, -2), lua_tostring(L, -1));
        }
        lua_pop(L, 1);
    }
    lua_rawgeti(L, index, 1);
    bool hasText = lua_type(L, -1) == LUA_TSTRING;
    if (hasText)
        writer.writeTextValue(lua_tostring(L, -1));
    lua_pop(L, 1);
    for (int key = 1; !hasText; ++key) {
        lua_rawgeti(L, index, key);
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            break;
        }
        writeElement(L, lua_gettop(L), writer);
        lua_pop(L, 1);
    }
    writer.endElement();
}

bool sameValue(lua_State* L, int a, int b)
{
    if (lua_type(L, a) != lua_type(L, b))
        return false;
    if (!lua_istable(L, a))
        return lua_rawequal(L, a, b) || lua_equal(L, a, b);
    for (int pass = 0; pass < 2; ++pass) {
        int from = pass ? b : a;
        int other = pass ? a : b;
        lua_pushnil(L);
        while (lua_next(L, from) != 0) {
            lua_pushvalue(L, -2);
            lua_rawget(L, other);
            bool same = sameValue(L, lua_gettop(L) - 1, lua_gettop(L));
            lua_pop(L, 2);
            if (!same) {
                lua_pop(L, 1);
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static lua_State* L = makeState();
    lua_settop(L, 0);
    if (!load(L, reinterpret_cast<const char*>(data), size))
        return 0;
    std::string written;
    {
        auto writer = PGFXMLWriter::newToString();
        writer->startDocument();
        writeElement(L, 1, *writer);
        writer->endDocument();
        written = writer->getString();
    }
    if (!load(L, written.data(), written.size())) {
        fprintf(stderr, "written document does not load again:\n%s\n", written.c_str());
        abort();
    }
    if (!sameValue(L, 1, 2)) {
        fprintf(stderr, "written document loads differently:\n%s\n", written.c_str());
        abort();
    }
    lua_settop(L, 0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    return 0;
}
