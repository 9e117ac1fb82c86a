#include "engine/host/KVBinding.h"

#include <exception>
#include <string>

namespace {

// "module.function", or the function alone for globals.
std::string fullName(const KVModule& module, const char* function)
{
    if (!module.name || !*module.name)
        return function;
    return std::string(module.name) + "." + function;
}

// The module's and the entry's light userdata follow the function's own
// upvalues, so the function finds its own at the usual indices.
template <int Upvalues>
int guardedCall(lua_State* L)
{
    const auto* module = static_cast<const KVModule*>(lua_touserdata(L, lua_upvalueindex(Upvalues + 1)));
    const auto* entry = static_cast<const luaL_Reg*>(lua_touserdata(L, lua_upvalueindex(Upvalues + 2)));
    std::string why;
    try {
        return entry->func(L);
    } catch (const std::exception& e) {
        why = e.what();
    }
    // Outside the handler: a Lua error unwinds with an exception of its own.
    const std::string name = fullName(*module, entry->name);
    switch (module->failures) {
    case KVFailure::raise:
        break;
    case KVFailure::report:
        KVReportMisuse(name.c_str(), "%s", why.c_str());
        return 0;
    case KVFailure::reportZero:
        KVReportMisuse(name.c_str(), "%s", why.c_str());
        lua_pushinteger(L, 0);
        return 1;
    }
    return luaL_error(L, "%s: %s", name.c_str(), why.c_str());
}

constexpr lua_CFunction kTrampolines[] = {guardedCall<0>, guardedCall<1>, guardedCall<2>};
constexpr int kMostUpvalues = static_cast<int>(sizeof(kTrampolines) / sizeof(kTrampolines[0])) - 1;

// Pushes the guarded closure; the upvalues stay where they were.
void pushGuarded(lua_State* L, const KVModule& module, const luaL_Reg& function, int upvalues)
{
    if (upvalues < 0 || upvalues > kMostUpvalues)
        luaL_error(L, "%s: %d upvalues are more than a binding takes", function.name, upvalues);
    for (int i = 0; i < upvalues; ++i)
        lua_pushvalue(L, -upvalues);
    lua_pushlightuserdata(L, const_cast<KVModule*>(&module));
    lua_pushlightuserdata(L, const_cast<luaL_Reg*>(&function));
    lua_pushcclosure(L, kTrampolines[upvalues], upvalues + 2);
}

}  // namespace

void kvSetFunctions(lua_State* L, const KVModule& module, const luaL_Reg* functions, int upvalues)
{
    for (; functions->name; ++functions) {
        pushGuarded(L, module, *functions, upvalues);
        lua_setfield(L, -(upvalues + 2), functions->name);
    }
    lua_pop(L, upvalues);
}

void kvOpenModule(lua_State* L, const char* global, const KVModule& module, const luaL_Reg* functions, int upvalues)
{
    static const luaL_Reg none[] = {{nullptr, nullptr}};
    luaI_openlib(L, global, none, 0);
    lua_insert(L, -(upvalues + 1));
    kvSetFunctions(L, module, functions, upvalues);
}

void kvMethodsMetatable(lua_State* L, const char* metatable)
{
    luaL_newmetatable(L, metatable);
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, "__index");
}

void kvPushFunction(lua_State* L, const KVModule& module, const luaL_Reg& function, int upvalues)
{
    pushGuarded(L, module, function, upvalues);
    lua_insert(L, -(upvalues + 1));
    lua_pop(L, upvalues);
}

bool kvIsGuarded(lua_State* L, int index)
{
    const lua_CFunction function = lua_tocfunction(L, index);
    for (lua_CFunction trampoline : kTrampolines)
        if (function && function == trampoline)
            return true;
    return false;
}

void* kvToUserdata(lua_State* L, int index, const char* metatable)
{
    index = kvAbsoluteIndex(L, index);
    void* block = lua_type(L, index) == LUA_TUSERDATA ? lua_touserdata(L, index) : nullptr;
    if (!block || !lua_getmetatable(L, index))
        return nullptr;
    luaL_getmetatable(L, metatable);
    const bool same = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return same ? block : nullptr;
}

int kvAbsoluteIndex(lua_State* L, int index)
{
    return index > 0 || index <= LUA_REGISTRYINDEX ? index : lua_gettop(L) + index + 1;
}
