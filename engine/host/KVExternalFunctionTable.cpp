#include "engine/host/KVExternalFunctionTable.h"

#include <cstdint>
#include <exception>

#include "platform/objects/KVClass.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"

namespace {

// Tables by Lua state. Registrations happen on the main thread and calls on
// the script's thread, so the registry is locked.
std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<lua_State*, std::shared_ptr<KVExternalFunctionTable>>& registry()
{
    static std::map<lua_State*, std::shared_ptr<KVExternalFunctionTable>> tables;
    return tables;
}

void setArgument(lua_State* L, KVInvocation& invocation, size_t argument, int index)
{
    const std::string& type = invocation.methodSignature().argumentType(argument);
    switch (type[0]) {
    case '@': {
        Ref<KVObject> value;
        int luaType = lua_type(L, index);
        if (luaType == LUA_TSTRING || luaType == LUA_TNUMBER) {
            // A copy, so a number argument is not turned into a string in place.
            lua_pushvalue(L, index);
            size_t length = 0;
            const char* text = lua_tolstring(L, -1, &length);
            value = KVString::withString(std::string(text, length));
            lua_pop(L, 1);
        }
        invocation.setArgument(argument, KVValue::object(value));
        break;
    }
    case 'i':
        invocation.setArgument(argument, KVValue::intValue(static_cast<int32_t>(lua_tointeger(L, index))));
        break;
    case 'I':
        invocation.setArgument(argument, KVValue::unsignedIntValue(static_cast<uint32_t>(lua_tointeger(L, index))));
        break;
    case 'd':
        invocation.setArgument(argument, KVValue::doubleValue(lua_tonumber(L, index)));
        break;
    case 'f':
        invocation.setArgument(argument, KVValue::floatValue(lua_tonumber(L, index)));
        break;
    case 'c':
        invocation.setArgument(argument, KVValue::boolValue(lua_toboolean(L, index) != 0));
        break;
    default:
        break;  // not converted: left unset
    }
}

int pushResult(lua_State* L, const KVInvocation& invocation)
{
    const KVValue& result = invocation.returnValue();
    switch (invocation.methodSignature().methodReturnType()[0]) {
    case '@': {
        KVObject* object = result.asObject();
        if (auto number = dynamic_cast<KVNumber*>(object))
            lua_pushnumber(L, number->floatValue());
        else if (auto string = dynamic_cast<KVString*>(object))
            lua_pushlstring(L, string->utf8().data(), string->utf8().size());
        else
            lua_pushnil(L);
        return 1;
    }
    case 'i':
        lua_pushinteger(L, result.asInt());
        return 1;
    case 'I':
        lua_pushinteger(L, static_cast<lua_Integer>(result.asUnsignedInt()));
        return 1;
    case 'd':
        lua_pushnumber(L, static_cast<float>(result.asDouble()));
        return 1;
    case 'f':
        lua_pushnumber(L, result.asFloat());
        return 1;
    case 'c':
        lua_pushboolean(L, result.asBool());
        return 1;
    default:
        return 0;
    }
}

}  // namespace

bool objcTypeMatches(const char* a, const char* b)
{
    return a && b && a[0] != '\0' && a[0] == b[0];
}

std::shared_ptr<KVExternalFunctionTable> KVExternalFunctionTable::externalFunctionTableForState(lua_State* L)
{
    std::lock_guard<std::mutex> guard(registryMutex());
    auto& table = registry()[L];
    if (!table)
        table = std::make_shared<KVExternalFunctionTable>();
    return table;
}

void KVExternalFunctionTable::destroyExternalFunctionTableForState(lua_State* L)
{
    std::shared_ptr<KVExternalFunctionTable> table;  // released outside the lock
    std::lock_guard<std::mutex> guard(registryMutex());
    auto it = registry().find(L);
    if (it != registry().end()) {
        table = std::move(it->second);
        registry().erase(it);
    }
}

bool KVExternalFunctionTable::registerTarget(KVObject* target, void* context, const std::string& selector,
                                             const std::string& name)
{
    const KVMethod* method = target ? target->methodForSelector(selector) : nullptr;
    if (!method) {
        KVLogLine("External function \"%s\" not registered: %s does not respond to %s", name.c_str(),
                  kvDescription(target).c_str(), selector.c_str());
        return false;
    }
    const KVMethodSignature& signature = method->signature;
    if (signature.numberOfArguments() < 3 || signature.argumentType(2)[0] != '^') {
        KVLogLine("External function \"%s\" not registered: %s does not take the context pointer first",
                  name.c_str(), selector.c_str());
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    functions_[name] = Action{target, selector, context};
    return true;
}

void KVExternalFunctionTable::registerTarget(KVObject* target, void* context,
                                             const std::vector<std::pair<std::string, std::string>>& actions)
{
    for (const auto& action : actions)
        registerTarget(target, context, action.second, action.first);
}

bool KVExternalFunctionTable::hasFunction(const std::string& name) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return functions_.count(name) != 0;
}

int KVExternalFunctionTable::performCall(lua_State* L)
{
    int nameType = lua_type(L, 1);
    if (nameType != LUA_TSTRING && nameType != LUA_TNUMBER)
        return 0;
    lua_pushvalue(L, 1);
    std::string name = lua_tostring(L, -1);
    lua_pop(L, 1);

    Action action;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = functions_.find(name);
        if (it == functions_.end())
            return 0;
        action = it->second;
    }
    const KVMethod* method = action.target->methodForSelector(action.selector);
    if (!method)
        return 0;
    KVInvocation invocation(method->signature);
    invocation.setTarget(action.target);
    invocation.setSelector(action.selector);
    invocation.setArgument(2, KVValue::pointerValue(action.context));
    size_t count = method->signature.numberOfArguments();
    for (size_t k = 1; k + 2 < count; ++k)
        setArgument(L, invocation, 2 + k, static_cast<int>(k) + 1);
    try {
        invocation.invoke();
    } catch (const std::exception& e) {
        KVLogLine("External function \"%s\" failed: %s", name.c_str(), e.what());
        return 0;
    }
    return pushResult(L, invocation);
}

int callExternalFunction(void*, lua_State* L)
{
    try {
        std::shared_ptr<KVExternalFunctionTable> table = KVExternalFunctionTable::externalFunctionTableForState(L);
        return table ? table->performCall(L) : 0;
    } catch (const std::exception& e) {
        KVLogLine("callExternalFunction: %s", e.what());
        return 0;
    }
}
