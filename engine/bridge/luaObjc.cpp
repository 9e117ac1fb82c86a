#include "engine/bridge/luaObjc.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>

#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"

namespace {

const char* const kObjectField = "luaObjc__object";
const char* const kClassField = "luaObjc__class";

// The field's userdata pointer of a proxy table, or null.
void* heldPointer(lua_State* L, int index, const char* field)
{
    if (lua_type(L, index) != LUA_TTABLE)
        return nullptr;
    lua_getfield(L, index, field);
    void* result = nullptr;
    if (lua_type(L, -1) == LUA_TUSERDATA)
        result = *static_cast<void**>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return result;
}

bool holdsUserdata(lua_State* L, int index, const char* field)
{
    if (lua_type(L, index) != LUA_TTABLE)
        return false;
    lua_getfield(L, index, field);
    bool result = lua_type(L, -1) == LUA_TUSERDATA;
    lua_pop(L, 1);
    return result;
}

std::string selectorForKey(std::string key)
{
    std::replace(key.begin(), key.end(), '_', ':');
    return key;
}

void setArgument(lua_State* L, KVInvocation& invocation, size_t argument, int index)
{
    const std::string& type = invocation.methodSignature().argumentType(argument);
    switch (type[0]) {
    case KVTypeCode::Object:
        invocation.setArgument(argument, KVValue::object(luaObjc_toid(L, index)));
        break;
    case KVTypeCode::Class:
        invocation.setArgument(argument, KVValue::classValue(luaObjc_getClass(L, index)));
        break;
    case KVTypeCode::Int:
        invocation.setArgument(argument, KVValue::intValue(static_cast<int32_t>(lua_tointeger(L, index))));
        break;
    case KVTypeCode::UnsignedInt:
        invocation.setArgument(argument, KVValue::unsignedIntValue(static_cast<uint32_t>(lua_tointeger(L, index))));
        break;
    case KVTypeCode::Double:
        invocation.setArgument(argument, KVValue::doubleValue(lua_tonumber(L, index)));
        break;
    case KVTypeCode::Float:
        invocation.setArgument(argument, KVValue::floatValue(static_cast<float>(lua_tonumber(L, index))));
        break;
    default:
        break;  // not marshalled: the argument stays unset
    }
}

int pushResult(lua_State* L, const KVInvocation& invocation)
{
    const std::string& type = invocation.methodSignature().methodReturnType();
    const KVValue& result = invocation.returnValue();
    switch (type[0]) {
    case KVTypeCode::Object:
        luaObjc_pushid(L, result.asObject());
        return 1;
    case KVTypeCode::Class:
        luaObjc_pushclass(L, result.asClass());
        return 1;
    case KVTypeCode::Int:
        lua_pushinteger(L, result.asInt());
        return 1;
    case KVTypeCode::UnsignedInt:
        lua_pushinteger(L, static_cast<lua_Integer>(result.asUnsignedInt()));
        return 1;
    case KVTypeCode::Double:
        lua_pushnumber(L, static_cast<lua_Number>(result.asDouble()));
        return 1;
    case KVTypeCode::Float:
        lua_pushnumber(L, result.asFloat());
        return 1;
    default:
        return 0;
    }
}

}  // namespace

bool luaObjc_isid(lua_State* L, int index)
{
    return holdsUserdata(L, index, kObjectField);
}

bool luaObjc_isClass(lua_State* L, int index)
{
    return holdsUserdata(L, index, kClassField);
}

KVObject* luaObjc_getid(lua_State* L, int index)
{
    return static_cast<KVObject*>(heldPointer(L, index, kObjectField));
}

KVClass* luaObjc_getClass(lua_State* L, int index)
{
    return static_cast<KVClass*>(heldPointer(L, index, kClassField));
}

Ref<KVObject> luaObjc_toid(lua_State* L, int index)
{
    switch (lua_type(L, index)) {
    case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L, index, &length);
        return KVString::withString(std::string(text, length));
    }
    case LUA_TNUMBER:
        return KVNumber::withFloat(lua_tonumber(L, index));
    case LUA_TTABLE:
        if (luaObjc_isid(L, index))
            return luaObjc_getid(L, index);
        if (luaObjc_isClass(L, index))
            return luaObjc_getClass(L, index);
        return nullptr;
    default:
        return nullptr;
    }
}

void luaObjc_pushid(lua_State* L, KVObject* object)
{
    if (!object) {
        lua_pushnil(L);
        return;
    }
    if (auto number = dynamic_cast<KVNumber*>(object)) {
        lua_pushnumber(L, number->floatValue());
        return;
    }
    if (auto string = dynamic_cast<KVString*>(object)) {
        lua_pushlstring(L, string->utf8().data(), string->utf8().size());
        return;
    }
    lua_newtable(L);
    // The holder's first word is the object's pointer, as heldPointer reads it.
    static_assert(sizeof(Ref<KVObject>) == sizeof(KVObject*));
    auto* holder = new (lua_newuserdata(L, sizeof(Ref<KVObject>))) Ref<KVObject>;
    // The metatables exist once the module is open; make them here when not,
    // so the reference below is always given back by a __gc.
    luaObjc_pushMetatable(L, LuaObjcMetatable::GC);
    lua_setmetatable(L, -2);
    *holder = object;
    lua_setfield(L, -2, kObjectField);
    luaObjc_pushMetatable(L, LuaObjcMetatable::Object);
    lua_setmetatable(L, -2);
}

void luaObjc_pushclass(lua_State* L, KVClass* cls)
{
    lua_newtable(L);
    auto holder = static_cast<KVClass**>(lua_newuserdata(L, sizeof(KVClass*)));
    *holder = cls;
    lua_setfield(L, -2, kClassField);
    luaObjc_pushMetatable(L, LuaObjcMetatable::Class);
    lua_setmetatable(L, -2);
}

int luaObjc_sendMessage(lua_State* L, const std::string& key, bool toClass)
{
    std::string selector = selectorForKey(key);
    Ref<KVObject> target;
    const KVMethod* method = nullptr;
    if (toClass) {
        KVClass* cls = luaObjc_getClass(L, 1);
        target = cls;
        method = cls ? cls->classMethod(selector) : nullptr;
        if (!method) {
            KVLogLine("luaObjc: class %s has no method called %s", kvDescription(cls).c_str(), key.c_str());
            return 0;
        }
    } else {
        target = luaObjc_getid(L, 1);
        if (!target) {
            KVLogLine("luaObject_object_method_call attempt to call method %s on nil", key.c_str());
            return 0;
        }
        method = target->methodForSelector(selector);
        if (!method) {
            KVLogLine("luaObjc_object_method_call, %s does not respond to selector: %s",
                      target->description().c_str(), selector.c_str());
            return 0;
        }
    }

    KVInvocation invocation(method->signature);
    invocation.setTarget(target);
    invocation.setSelector(selector);
    size_t explicitArguments = method->signature.numberOfArguments() - 2;
    for (size_t k = 0; k < explicitArguments; ++k)
        setArgument(L, invocation, 2 + k, 2 + static_cast<int>(k));
    try {
        invocation.invoke();
    } catch (const std::exception& e) {
        // The script gets no result, as for the other failures of a send.
        KVLogLine("luaObjc: %s raised %s", selector.c_str(), e.what());
        return 0;
    }
    return pushResult(L, invocation);
}
