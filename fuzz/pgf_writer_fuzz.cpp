// Fuzz target for the pgf writer objects, driven through the script
// interface: random sequences of writer calls (including calls after close
// and with wrong argument types). Whenever a root element has been written
// and closed cleanly, the text must be a readable document: JSON that yajl
// parses, or XML that pgf.loadString reads.
//
// Build and run (from the repository root, after configuring build-pgf):
//   B=build-pgf; clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
//     -I. -I$B/lua -I/usr/include/libxml2 -DLUA_USE_POSIX -o /tmp/pgf_writer_fuzz \
//     fuzz/pgf_writer_fuzz.cpp engine/pgf/*.cpp cmake/lua/luanumber.cpp \
//     -x c++ $(ls $B/lua/*.c | grep -v -e '/lua\.c' -e '/luac\.c' -e '/print\.c') -x none \
//     -lxml2 -lyajl
//   /tmp/pgf_writer_fuzz -close_fd_mask=3 -max_total_time=300 /tmp/pgf_writer_corpus
#include "engine/host/kv_lua.h"
#include "engine/pgf/wrap_pgf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <yajl/yajl_parse.h>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string text()
    {
        static const char* const common[] = {"a", "b", "item", "k:x", "_type", "caf\xC3\xA9", "", "1"};
        uint8_t choice = byte();
        if (choice < 192)
            return common[choice % 8];
        size_t length = byte() % 16;
        std::string result;
        while (length-- > 0 && !empty())
            result += static_cast<char>(byte());
        return result;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

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

// Calls pgf.writer[name] with the writer (global "w") and `strings`;
// answers the status (or -2 for nil / no result) and leaves the result in
// the global "result".
int call(lua_State* L, const char* name, std::initializer_list<std::string> strings, bool expectError = false)
{
    lua_settop(L, 0);
    lua_getglobal(L, "pgf");
    lua_getfield(L, 1, "writer");
    lua_getfield(L, 2, name);
    lua_getglobal(L, "w");
    for (const std::string& s : strings)
        lua_pushlstring(L, s.data(), s.size());
    if (expectError)
        lua_newtable(L);
    int status = lua_pcall(L, static_cast<int>(strings.size()) + 1 + (expectError ? 1 : 0), 1, 0);
    if ((status != 0) != expectError) {
        fprintf(stderr, "%s: %s\n", name, status ? lua_tostring(L, -1) : "no error");
        abort();
    }
    lua_pushvalue(L, -1);
    lua_setglobal(L, "result");
    return lua_isnumber(L, -1) ? static_cast<int>(lua_tointeger(L, -1)) : -2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static lua_State* L = makeState();
    Input in(data, size);
    std::string format = "xml";
    bool open = false;
    int depth = 0;
    bool rootDone = false;
    bool clean = false;
    // Every input starts with a writer; byte 0 picks its format.
    for (int ops = 0; !in.empty() && ops < 400; ++ops) {
        switch (ops == 0 ? 0 : in.byte() % 10) {
        case 0: {
            static const char* const formats[] = {"xml", "json", "json-pretty", "other"};
            format = formats[in.byte() % 4];
            lua_settop(L, 0);
            lua_getglobal(L, "pgf");
            lua_getfield(L, 1, "writer");
            lua_getfield(L, 2, "newToString");
            lua_pushstring(L, format.c_str());
            if (lua_pcall(L, 1, 1, 0) != 0 || !lua_isuserdata(L, -1))
                abort();
            lua_setglobal(L, "w");
            if (format == "other")
                format = "xml";
            open = true;
            depth = 0;
            rootDone = false;
            clean = true;
            break;
        }
        case 1:
            if (call(L, "startDocument", {}) >= 0 && (depth > 0 || rootDone))
                clean = false;
            // The JSON form forgets its open elements (its later ends answer 0).
            if (format != "xml")
                depth = 0;
            break;
        case 2:
            // The XML form closes every open element.
            if (call(L, "endDocument", {}) >= 0 && format == "xml" && open && depth > 0) {
                depth = 0;
                rootDone = true;
            }
            break;
        case 3: {
            int status = call(L, "startElement", {in.text()});
            bool accepted = format == "xml" ? status >= 0 : status == 1;
            if (open && accepted) {
                if (depth == 0 && rootDone)
                    clean = false;
                ++depth;
            } else if (open && format != "xml") {
                // A refused JSON element still pairs with its end.
                ++depth;
                clean = clean && depth > 1;
            }
            break;
        }
        case 4: {
            int status = call(L, "endElement", {});
            if (open && depth > 0 && (format != "xml" || status >= 0)) {
                --depth;
                if (depth == 0)
                    rootDone = true;
            }
            break;
        }
        case 5: {
            std::string name = in.text();
            std::string value = in.text();
            if (call(L, "writeAttribute", {name, value}) > 0 && depth == 0)
                clean = false;
            break;
        }
        case 6:
            if (call(L, "writeTextValue", {in.text()}) >= 0 && depth == 0 && format == "xml")
                clean = false;
            break;
        case 7: {
            call(L, "getString", {});
            lua_getglobal(L, "result");
            if (open && clean && rootDone && depth == 0 && lua_isstring(L, -1)) {
                std::string text = lua_tostring(L, -1);
                if (format == "xml") {
                    lua_getglobal(L, "pgf");
                    lua_getfield(L, -1, "loadString");
                    lua_pushlstring(L, text.data(), text.size());
                    if (lua_pcall(L, 1, 1, 0) != 0 || !lua_istable(L, -1)) {
                        fprintf(stderr, "written XML does not load:\n%s\n", text.c_str());
                        abort();
                    }
                } else {
                    // Strings pass through as the script gave them, UTF-8 or
                    // not; everything else must be JSON.
                    yajl_handle parser = yajl_alloc(nullptr, nullptr, nullptr);
                    yajl_config(parser, yajl_dont_validate_strings, 1);
                    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
                    yajl_status status = yajl_parse(parser, bytes, text.size());
                    if (status == yajl_status_ok)
                        status = yajl_complete_parse(parser);
                    if (status != yajl_status_ok) {
                        unsigned char* error = yajl_get_error(parser, 0, bytes, text.size());
                        fprintf(stderr, "written JSON does not parse (%s):\n%s\n", error, text.c_str());
                        abort();
                    }
                    yajl_free(parser);
                }
            }
            break;
        }
        case 8:
            call(L, "close", {});
            open = false;
            break;
        case 9: {
            static const char* const functions[] = {"startElement", "writeAttribute", "writeTextValue"};
            const char* function = functions[in.byte() % 3];
            if (function[0] == 's')
                call(L, function, {}, true);
            else if (function[5] == 'A')
                call(L, function, {"k"}, true);
            else
                call(L, function, {}, true);
            break;
        }
        }
    }
    lua_settop(L, 0);
    lua_pushnil(L);
    lua_setglobal(L, "w");
    lua_pushnil(L);
    lua_setglobal(L, "result");
    lua_gc(L, LUA_GCCOLLECT, 0);
    return 0;
}
