// Number-to-text conversion for the float-number Lua build (see luaconf.h).
#include <cmath>
#include <cstdio>

int kv_lua_number2str(char *s, float n)
{
    constexpr float kExactLimit = 16777216.0f;  // 2^24: every integer up to it is exact
    if (std::fabs(n) <= kExactLimit && n == std::trunc(n))
        return std::sprintf(s, "%.0f", static_cast<double>(n));
    return std::sprintf(s, "%.7g", static_cast<double>(n));
}
