#include "engine/pgf/PGFParser.h"

#include <cstdio>

namespace {
// Documents are rarely deeper; the counters grow (with a warning) if one is.
const size_t kExpectedDepth = 100;
}

PGFParser::PGFParser(lua_State* L) : childCounters_(kExpectedDepth, 0), L_(L)
{
}

PGFParser::~PGFParser() = default;

bool PGFParser::pushElement(const char* name)
{
    // Each open element holds a stack slot; room for a few more for the
    // name, key and value pushed while filling it.
    if (!lua_checkstack(L_, 4))
        return false;
    lua_createtable(L_, 1, 4);
    lua_pushstring(L_, name);
    lua_rawseti(L_, -2, 0);
    childCounters_[depth_] = 1;
    ++depth_;
    if (depth_ == childCounters_.size()) {
        printf("WARNING! stack size has grown past expected levels( %zu )\n", childCounters_.size());
        childCounters_.push_back(1);
    }
    return true;
}

void PGFParser::popElement()
{
    // The root stays on the stack as the result.
    if (depth_ <= 1)
        return;
    --depth_;
    unsigned key = childCounters_[depth_ - 1]++;
    lua_rawseti(L_, -2, static_cast<int>(key));
}

void PGFParser::setAttribute(const char* name, const char* value)
{
    lua_pushstring(L_, name);
    lua_pushstring(L_, value);
    lua_rawset(L_, -3);
}

void PGFParser::setTextValue(const char* text, size_t length)
{
    lua_pushlstring(L_, text, length);
    lua_rawseti(L_, -2, 1);
}

bool PGFParser::topHasNoChildren() const
{
    return depth_ > 0 && childCounters_[depth_ - 1] == 1;
}
