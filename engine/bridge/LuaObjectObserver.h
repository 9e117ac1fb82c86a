// Told about changes to a LuaObject's table. Observers are held weakly: an
// observer removes itself (LuaObject::removeObserver) before it is destroyed.
#pragma once

#include <string>

class LuaObject;

class LuaObjectObserver {
public:
    virtual ~LuaObjectObserver() = default;
    virtual void luaObjectWillChangeValueForKey(LuaObject*, const std::string&) {}
    virtual void luaObjectDidChangeValueForKey(LuaObject*, const std::string&) {}
    virtual void luaCollectionDidChange(LuaObject*) {}
};
