// A script collection object seen as a native mutable array. Native indices
// are 0-based, the script's 1-based; each operation is a method call on the
// script object ("count", "indexOfObject", "addObjectAtIndex",
// "removeObjectAtIndex", "setObjectForKey"), and elements are read directly
// at their index. Lua errors reach the caller as LuaErrorException.
#pragma once

#include <vector>

#include "engine/bridge/LuaObject.h"
#include "platform/objects/KVMutableArray.h"

class LuaArray : public KVMutableArray {
public:
    static Ref<LuaArray> withObject(Ref<LuaObject> object);

    LuaObject* object() const { return object_.get(); }
    // The array itself.
    LuaArray* children() { return this; }

    size_t count() const override;
    // The null marker for a slot that holds nil.
    Ref<KVObject> objectAtIndex(size_t index) const override;
    size_t indexOfObject(const KVObject* object) const override;
    void insertObject(KVObject* object, size_t index) override;
    void removeObjectAtIndex(size_t index) override;
    void replaceObjectAtIndex(size_t index, KVObject* object) override;
    void setArray(const KVArray* array) override;

    void moveObjectAtIndex(size_t from, size_t to);
    void moveObjectsAtIndexes(const std::vector<size_t>& indexes, size_t to);

    KVClass* objClass() const override;
    std::string description() const override;


private:
    explicit LuaArray(Ref<LuaObject> object) : object_(std::move(object)) {}
    static Ref<KVObject> keyOf(KVObject* element);
    // Kept alive here: the array is useless without it.
    Ref<LuaObject> object_;
};
