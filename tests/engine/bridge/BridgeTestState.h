// A Lua state with the standard libraries, wrapped by LuaState, with its own
// notification center and main-thread queue so tests do not share them; and
// native values shown as text, to compare whole answers at once.
#pragma once

#include <string>
#include <vector>

#include "engine/bridge/LuaObject.h"
#include "engine/bridge/LuaState.h"
#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVClass.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"
#include "platform/runloop/KVMainThreadQueue.h"

struct BridgeTestState {
    KVNotificationCenter center;
    KVMainThreadQueue queue;
    Ref<LuaState> lua;

    BridgeTestState()
    {
        lua_State* L = luaL_newstate();
        luaL_openlibs(L);
        lua = LuaState::withState(L);
        lua->setNotificationCenter(&center);
        lua->setMainQueue(&queue);
    }
    ~BridgeTestState()
    {
        lua->close();
        queue.drain();
    }
    lua_State* L() const { return lua->state(); }
    Ref<LuaObject> global(const char* name)
    {
        return Ref<LuaObject>(dynamic_cast<LuaObject*>(lua->globalObject()->valueForKey(name).get()));
    }
};

// "bool:1", "float:1.5", "number:2", "string:x", "null", "table", "class", "other" or "none".
inline std::string shown(const Ref<KVObject>& o)
{
    if (auto* n = dynamic_cast<KVNumber*>(o.get()))
        return (n->isBoolean() ? "bool:" : n->kind() == KVNumber::Kind::Float ? "float:" : "number:") +
               kvDescription(o.get());
    if (auto* s = dynamic_cast<KVString*>(o.get()))
        return "string:" + s->utf8();
    if (dynamic_cast<KVClass*>(o.get()))
        return "class";
    return o.get() == KVNull::null() ? "null" : dynamic_cast<LuaObject*>(o.get()) ? "table" : o ? "other" : "none";
}

// Several values, as a list or an array's objects(), separated by spaces.
inline std::string shown(const std::vector<Ref<KVObject>>& values)
{
    std::string out;
    for (const auto& value : values)
        out += (out.empty() ? "" : " ") + shown(value);
    return out;
}

// The name and reason of what `f` throws.
template <class F>
std::string thrown(F f)
{
    try {
        f();
    } catch (const KVObjectException& e) {
        return e.name() + ": " + e.reason();
    }
    return "no exception";
}
