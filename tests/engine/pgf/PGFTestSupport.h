// A canonical text form of loaded tables, for the document tests.
#pragma once

#include "engine/host/kv_lua.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/LuaChunk.h"
#include "tests/support/TempDir.h"

namespace pgftest {

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

} // namespace pgftest
