#include "engine/host/wrap_math.h"

#include <cmath>
#include <cstdlib>

#include "engine/host/KVBinding.h"

namespace {

int math_random(lua_State* L)
{
    // rand() % RAND_MAX / RAND_MAX lies in [0, 1); in double it stays below 1.
    const double r = static_cast<double>(std::rand() % RAND_MAX) / static_cast<double>(RAND_MAX);
    switch (lua_gettop(L)) {
    case 0:
        lua_pushnumber(L, static_cast<lua_Number>(r));
        // A float can still round r up to 1; keep the interval half-open.
        if (lua_tonumber(L, -1) >= 1.0f) {
            lua_pop(L, 1);
            lua_pushnumber(L, std::nextafter(1.0f, 0.0f));
        }
        return 1;
    case 1: {
        const double upper = luaL_checknumber(L, 1);
        luaL_argcheck(L, 1.0 <= upper, 1, "interval is empty");
        lua_pushnumber(L, static_cast<lua_Number>(std::floor(r * upper) + 1.0));
        return 1;
    }
    case 2: {
        const double lower = luaL_checknumber(L, 1);
        const double upper = luaL_checknumber(L, 2);
        luaL_argcheck(L, lower <= upper, 2, "interval is empty");
        lua_pushnumber(L, static_cast<lua_Number>(std::floor(r * (upper - lower + 1.0)) + lower));
        return 1;
    }
    default:
        return luaL_error(L, "wrong number of arguments");
    }
}

const luaL_Reg kRandom = {"random", math_random};
const KVModule kModule{"math", KVFailure::raise};

}  // namespace

void KVInstallMathRandom(lua_State* L)
{
    lua_getglobal(L, LUA_MATHLIBNAME);
    if (lua_istable(L, -1)) {
        kvPushFunction(L, kModule, kRandom);
        lua_setfield(L, -2, "random");
    }
    lua_pop(L, 1);
}
