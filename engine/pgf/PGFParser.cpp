#include "engine/pgf/PGFParser.h"

#include <cstdio>

namespace {
// Documents are rarely deeper; the counters grow (with a warning) if one is.
const size_t kExpectedDepth = 100;
// Per open element one slot, plus the step function, its arguments and results.
const int kStackReserve = PGFParser::kMaxDepth + 16;
} // namespace

struct PGFParser::Step {
    enum Kind { Push, Attribute, Text, Pop } kind;
    const char* name = nullptr;
    const char* value = nullptr;
    size_t length = 0;
    unsigned key = 0;
};

PGFParser::PGFParser(lua_State* L) : childCounters_(kExpectedDepth, 0), L_(L)
{
}

PGFParser::~PGFParser() = default;

void PGFParser::beginBuilding()
{
    depth_ = 0;
    luaFailed_ = false;
    if (!lua_checkstack(L_, kStackReserve))
        luaL_error(L_, "pgf: no Lua stack space to read a document");
    lua_pushcfunction(L_, runStep);
    stepFunction_ = lua_gettop(L_);
}

void PGFParser::endBuilding()
{
    if (stepFunction_ == 0)
        return;
    lua_remove(L_, stepFunction_);
    stepFunction_ = 0;
    if (luaFailed_)
        lua_error(L_);
}

// Stack on entry: the Step, then the tables the step works on.
int PGFParser::runStep(lua_State* L)
{
    const Step& step = *static_cast<const Step*>(lua_touserdata(L, 1));
    switch (step.kind) {
    case Step::Push:
        lua_createtable(L, 1, 4);
        lua_pushstring(L, step.name);
        lua_rawseti(L, -2, 0);
        return 1;
    case Step::Attribute:
        lua_pushstring(L, step.name);
        lua_pushstring(L, step.value);
        lua_rawset(L, 2);
        return 0;
    case Step::Text:
        lua_pushlstring(L, step.value, step.length);
        lua_rawseti(L, 2, 1);
        return 0;
    case Step::Pop:
        lua_pushvalue(L, 3);
        lua_rawseti(L, 2, static_cast<int>(step.key));
        return 0;
    }
    return 0;
}

// The caller has pushed `arguments` values above the step function's copy
// and the Step; none of these pushes allocate, the stack being reserved.
bool PGFParser::protectedStep(int arguments, int results)
{
    if (lua_pcall(L_, arguments + 1, results, 0) != 0) {
        luaFailed_ = true;
        return false;
    }
    return true;
}

bool PGFParser::pushElement(const char* name)
{
    if (depth_ >= kMaxDepth)
        return false;
    Step step{Step::Push};
    step.name = name;
    lua_pushvalue(L_, stepFunction_);
    lua_pushlightuserdata(L_, &step);
    if (!protectedStep(0, 1))
        return false;
    childCounters_[depth_] = 1;
    ++depth_;
    if (depth_ == childCounters_.size()) {
        printf("WARNING! stack size has grown past expected levels( %zu )\n", childCounters_.size());
        childCounters_.push_back(1);
    }
    return true;
}

bool PGFParser::popElement()
{
    // The root stays on the stack as the result.
    if (depth_ <= 1)
        return true;
    Step step{Step::Pop};
    step.key = childCounters_[depth_ - 2];
    lua_pushvalue(L_, stepFunction_);
    lua_pushlightuserdata(L_, &step);
    lua_pushvalue(L_, -4); // the parent
    lua_pushvalue(L_, -4); // the element
    if (!protectedStep(2, 0))
        return false;
    lua_pop(L_, 1);
    --depth_;
    ++childCounters_[depth_ - 1];
    return true;
}

bool PGFParser::setAttribute(const char* name, const char* value)
{
    Step step{Step::Attribute};
    step.name = name;
    step.value = value;
    lua_pushvalue(L_, stepFunction_);
    lua_pushlightuserdata(L_, &step);
    lua_pushvalue(L_, -3);
    return protectedStep(1, 0);
}

bool PGFParser::setTextValue(const char* text, size_t length)
{
    Step step{Step::Text};
    step.value = text;
    step.length = length;
    lua_pushvalue(L_, stepFunction_);
    lua_pushlightuserdata(L_, &step);
    lua_pushvalue(L_, -3);
    return protectedStep(1, 0);
}

bool PGFParser::topHasNoChildren() const
{
    return depth_ > 0 && childCounters_[depth_ - 1] == 1;
}
