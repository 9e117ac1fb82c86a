// Builds the Lua form of a PGF document on the Lua stack while a reader
// streams the document past: one table per open element, innermost on top.
// Each table holds the element name at key 0, attributes under their names,
// children at 1, 2, 3, ... and, for an element without children, its text at 1.
//
// The reader's callbacks run inside a C library, which a Lua error must
// never unwind: every step that can allocate runs as a protected call into
// stack space reserved beforehand. A failed step leaves its error value on
// top, and the reader stops.
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
    // A Lua error met while building (out of memory) is raised from here.
    virtual int parse() = 0;

    // Elements nested deeper than this are refused (the reader's own limit is lower).
    static constexpr unsigned kMaxDepth = 280;

protected:
    // Reserves the stack and pushes the step function; call before reading.
    void beginBuilding();
    // Removes the step function (leaving the root, if any, in its place),
    // then raises the error of a failed step, if there was one.
    void endBuilding();

    // Each answers false when the step failed; buildFailed() then says whether
    // the Lua side failed (its error value on top) or the document was too deep.
    bool pushElement(const char* name);
    bool popElement();
    bool setAttribute(const char* name, const char* value);
    bool setTextValue(const char* text, size_t length);
    // True when the element on top has received no child element.
    bool topHasNoChildren() const;
    bool luaFailed() const { return luaFailed_; }

    unsigned depth_ = 0;
    // Entry k: the next integer key for children of the open element at depth k.
    std::vector<unsigned> childCounters_;
    lua_State* L_;

private:
    struct Step;
    static int runStep(lua_State* L);
    bool protectedStep(int arguments, int results);

    int stepFunction_ = 0; // absolute stack index, 0 when not building
    bool luaFailed_ = false;
};
