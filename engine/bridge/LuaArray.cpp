#include "engine/bridge/LuaArray.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"

namespace {
Ref<KVObject> scriptIndex(size_t index)
{
    return KVNumber::withDouble(static_cast<double>(index) + 1);
}
}  // namespace

Ref<LuaArray> LuaArray::withObject(Ref<LuaObject> object)
{
    return Ref<LuaArray>::adopt(new LuaArray(std::move(object)));
}

size_t LuaArray::count() const
{
    Ref<KVObject> result = object_->invokeMethod("count");
    auto number = dynamic_cast<KVNumber*>(result.get());
    int n = number ? number->intValue() : 0;
    return n > 0 ? static_cast<size_t>(n) : 0;
}

Ref<KVObject> LuaArray::objectAtIndex(size_t index) const
{
    Ref<KVObject> value = object_->valueAtIndex(static_cast<long>(index) + 1);
    return value ? value : Ref<KVObject>(KVNull::null());
}

size_t LuaArray::indexOfObject(const KVObject* object) const
{
    Ref<KVObject> found = object_->invokeMethod("indexOfObject", {Ref<KVObject>(const_cast<KVObject*>(object))});
    auto number = dynamic_cast<KVNumber*>(found.get());
    int position = number ? number->intValue() : 0;
    return position > 0 ? static_cast<size_t>(position - 1) : NotFound;
}

void LuaArray::insertObject(KVObject* object, size_t index)
{
    object_->invokeMethod("addObjectAtIndex", {Ref<KVObject>(object), scriptIndex(index)});
}

void LuaArray::removeObjectAtIndex(size_t index)
{
    object_->invokeMethod("removeObjectAtIndex", {scriptIndex(index)});
}

void LuaArray::replaceObjectAtIndex(size_t index, KVObject* object)
{
    object_->invokeMethod("setObjectForKey", {Ref<KVObject>(object), scriptIndex(index)});
}

Ref<KVObject> LuaArray::keyOf(KVObject* element)
{
    auto proxy = dynamic_cast<LuaObject*>(element);
    return proxy ? proxy->valueForKey("objectKey") : nullptr;
}

void LuaArray::setArray(const KVArray* array)
{
    // Take the elements first: the source may be this array.
    std::vector<Ref<KVObject>> elements = array ? array->objects() : std::vector<Ref<KVObject>>();
    removeAllObjects();
    for (size_t p = 0; p < elements.size(); ++p)
        object_->invokeMethod("addObjectAtIndex", {elements[p], scriptIndex(p), keyOf(elements[p].get())});
}

void LuaArray::moveObjectAtIndex(size_t from, size_t to)
{
    Ref<KVObject> element = objectAtIndex(from);
    Ref<KVObject> key = keyOf(element.get());
    removeObjectAtIndex(from);
    size_t target = to - (from < to ? 1 : 0);
    object_->invokeMethod("addObjectAtIndex", {element, scriptIndex(target), key});
}

void LuaArray::moveObjectsAtIndexes(const std::vector<size_t>& indexes, size_t to)
{
    std::vector<Ref<KVObject>> elements;
    for (size_t i : indexes)
        elements.push_back(objectAtIndex(i));
    for (const auto& element : elements) {
        size_t current = indexOfObject(element.get());
        if (current != NotFound)
            moveObjectAtIndex(current, to);
    }
}

KVClass* LuaArray::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().defineClass("LuaArray", KVClassRegistry::shared().lookup("NSMutableArray"));
    return cls;
}

std::string LuaArray::description() const
{
    return "<LuaArray of " + object_->description() + ">";
}
