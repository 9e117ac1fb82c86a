// Builds the Lua form of a PGF document on the Lua stack while a reader
// streams the document past: one table per open element, innermost on top.
// Each table holds the element name at key 0, attributes under their names,
// children at 1, 2, 3, ... and, for an element without children, its text at 1.
#pragma once

#include "engine/host/kv_lua.h"

#include <cstddef>
#include <vector>

class PGFParser {
public:
    explicit PGFParser(lua_State* L);
    PGFParser(const PGFParser&) = delete;
    PGFParser& operator=(const PGFParser&) = delete;
    virtual ~PGFParser();

    // 0 on success, the root table then being on top of the Lua stack.
    virtual int parse() = 0;

protected:
    // False when the Lua stack cannot hold another table (nothing pushed).
    bool pushElement(const char* name);
    void popElement();
    void setAttribute(const char* name, const char* value);
    void setTextValue(const char* text, size_t length);
    // True when the element on top has received no child element.
    bool topHasNoChildren() const;

    unsigned depth_ = 0;
    // Entry k: the next integer key for children of the open element at depth k.
    std::vector<unsigned> childCounters_;
    lua_State* L_;
};
