// The runtime every script module's native functions are registered
// through. Each function is wrapped where it is registered, so none can
// forget it: a C++ exception never crosses into Lua (which would lose it),
// it becomes, after the handler is left, either a Lua error or one line on
// standard error, "module.Class.function: why", as the module chooses. Lua's
// own errors pass through untouched.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/host/KVScriptMisuse.h"
#include "engine/host/kv_lua.h"

// What a module's functions do with a C++ exception (a KVScriptMisuse from
// their argument checks or any other failure).
enum class KVFailure {
    raise,       // a Lua error "name: why", raised after leaving the handler
    report,      // one line "name: why" on standard error; the call answers nothing
    reportZero,  // the same line; the call answers 0 (getters of a count)
};

// A group of functions: the name messages start with ("physics.Body"; empty
// for globals) and what becomes of their failures. Registered functions keep
// a pointer to it, so it must live as long as the Lua state (a static).
struct KVModule {
    const char* name;
    KVFailure failures;
};

// table[name] = guarded function for each entry, into the table just below
// the `upvalues` values on top of the stack, which become each function's
// first upvalues (lua_upvalueindex(1) ...) and are popped. The list must be
// static, like the module.
void kvSetFunctions(lua_State* L, const KVModule& module, const luaL_Reg* functions, int upvalues = 0);
// As luaL_register/luaI_openlib: the global table `global` (made if need be)
// receives the functions and is left on top; `upvalues` as above.
void kvOpenModule(lua_State* L, const char* global, const KVModule& module, const luaL_Reg* functions,
                  int upvalues = 0);
// Registers the metatable `metatable` with the table on top as its __index,
// so that methods called on a userdata find that table's functions, and
// pushes it for further entries (__gc and the like).
void kvMethodsMetatable(lua_State* L, const char* metatable);
// Pushes one guarded function (for functions made at run time); `function`
// must be static. Takes `upvalues` values from the top as kvSetFunctions does.
void kvPushFunction(lua_State* L, const KVModule& module, const luaL_Reg& function, int upvalues = 0);
// Whether the value at `index` is a function made by the three above.
bool kvIsGuarded(lua_State* L, int index);

// The index as counted from the bottom of the stack (pseudo-indices kept).
int kvAbsoluteIndex(lua_State* L, int index);

// The block of the full userdata at `index` when its metatable is the one
// registered under `metatable`, otherwise null.
void* kvToUserdata(lua_State* L, int index, const char* metatable);

// A number as an integer of type T: truncated toward zero, saturated at the
// ends of T's range, NaN as 0 (a plain cast of those is undefined).
template <typename T>
T kvSaturate(double number)
{
    if (std::isnan(number))
        return 0;
    if (number >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    if (number <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    return static_cast<T>(number);
}

// The script number at `index` (0 when not a number) as kvSaturate makes it.
template <typename T>
T kvToInteger(lua_State* L, int index)
{
    return kvSaturate<T>(lua_tonumber(L, index));
}
