// Helpers shared by the document tests: a Lua state with the pgf module and
// a canonical text form of loaded tables.
#pragma once

#include "engine/host/kv_lua.h"
#include "engine/pgf/wrap_pgf.h"

#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace pgftest {

class LuaWithPGF {
public:
    LuaWithPGF() : L(luaL_newstate())
    {
        luaL_openlibs(L);
        lua_pushcfunction(L, luaopen_PGF);
        lua_pushstring(L, "pgf");
        if (lua_pcall(L, 1, 0, 0) != 0)
            ADD_FAILURE() << lua_tostring(L, -1);
    }
    ~LuaWithPGF() { lua_close(L); }
    LuaWithPGF(const LuaWithPGF&) = delete;
    LuaWithPGF& operator=(const LuaWithPGF&) = delete;

    // Runs `code`; answers "" or the error message.
    std::string run(const std::string& code)
    {
        std::string error;
        if (luaL_loadbuffer(L, code.data(), code.size(), "test") != 0 || lua_pcall(L, 0, LUA_MULTRET, 0) != 0) {
            error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(no message)";
            lua_settop(L, 0);
        }
        return error;
    }

    lua_State* L;
};

// Keys sorted (numbers before strings), nested tables in braces:
// {0="r",1={0="a",1="hi"},v="1"}
inline std::string describe(lua_State* L, int index)
{
    index = index > 0 ? index : lua_gettop(L) + index + 1;
    switch (lua_type(L, index)) {
    case LUA_TNIL: return "nil";
    case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L, index, &length);
        return "\"" + std::string(text, length) + "\"";
    }
    case LUA_TNUMBER: {
        std::ostringstream out;
        out << lua_tonumber(L, index);
        return out.str();
    }
    case LUA_TTABLE: break;
    default: return lua_typename(L, lua_type(L, index));
    }
    std::vector<std::pair<std::string, std::string>> entries;
    lua_pushnil(L);
    while (lua_next(L, index) != 0) {
        std::string key;
        if (lua_type(L, -2) == LUA_TNUMBER) {
            char text[32];
            snprintf(text, sizeof text, "#%08d", static_cast<int>(lua_tonumber(L, -2)));
            key = text;
        } else {
            lua_pushvalue(L, -2);
            key = std::string("$") + lua_tostring(L, -1);
            lua_pop(L, 1);
        }
        entries.emplace_back(key, describe(L, lua_gettop(L)));
        lua_pop(L, 1);
    }
    std::sort(entries.begin(), entries.end());
    std::string out = "{";
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& key = entries[i].first;
        std::string shown = key[0] == '#' ? std::to_string(std::stoi(key.substr(1))) : key.substr(1);
        out += (i ? "," : "") + shown + "=" + entries[i].second;
    }
    return out + "}";
}

// Names in `folder` other than `.` and `..`, sorted.
inline std::vector<std::string> listFolder(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace pgftest
