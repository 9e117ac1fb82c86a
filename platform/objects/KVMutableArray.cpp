#include "platform/objects/KVMutableArray.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVObjectException.h"

Ref<KVMutableArray> KVMutableArray::array()
{
    return Ref<KVMutableArray>::adopt(new KVMutableArray());
}

void KVMutableArray::insertObject(KVObject* object, size_t index)
{
    checkElement(object);
    if (index > items_.size())
        outOfRange(index, items_.size() + 1);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), Ref<KVObject>(object));
}

void KVMutableArray::removeObjectAtIndex(size_t index)
{
    if (index >= items_.size())
        outOfRange(index, items_.size());
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void KVMutableArray::replaceObjectAtIndex(size_t index, KVObject* object)
{
    checkElement(object);
    if (index >= items_.size())
        outOfRange(index, items_.size());
    items_[index] = object;
}

void KVMutableArray::addObject(KVObject* object)
{
    insertObject(object, count());
}

void KVMutableArray::removeLastObject()
{
    size_t n = count();
    if (n > 0)
        removeObjectAtIndex(n - 1);
}

void KVMutableArray::removeAllObjects()
{
    for (size_t n = count(); n > 0; --n)
        removeObjectAtIndex(n - 1);
}

void KVMutableArray::setArray(const KVArray* array)
{
    // Take the snapshot first: the source may be this array.
    std::vector<Ref<KVObject>> objects = array ? array->objects() : std::vector<Ref<KVObject>>();
    removeAllObjects();
    for (const auto& o : objects)
        addObject(o.get());
}

KVClass* KVMutableArray::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSMutableArray");
    return cls;
}

void KVMutableArray::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSMutableArray", registry.lookup("NSArray"),
                                        [] { return Ref<KVObject>(array()); });
    cls->addClassMethod("arrayWithCapacity:", "@#:I", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVClass>()->createInstance()));
    });
    cls->addInstanceMethod("addObject:", "v@:@", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->addObject(inv.objectArgument(2));
    });
    cls->addInstanceMethod("insertObject:atIndex:", "v@:@I", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->insertObject(inv.objectArgument(2), inv.unsignedIntArgument(3));
    });
    cls->addInstanceMethod("removeObjectAtIndex:", "v@:I", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->removeObjectAtIndex(inv.unsignedIntArgument(2));
    });
    cls->addInstanceMethod("removeLastObject", "v@:", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->removeLastObject();
    });
    cls->addInstanceMethod("removeAllObjects", "v@:", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->removeAllObjects();
    });
    cls->addInstanceMethod("replaceObjectAtIndex:withObject:", "v@:I@", [](KVInvocation& inv) {
        inv.targetAs<KVMutableArray>()->replaceObjectAtIndex(inv.unsignedIntArgument(2), inv.objectArgument(3));
    });
    cls->addInstanceMethod("setArray:", "v@:@", [](KVInvocation& inv) {
        auto source = dynamic_cast<KVArray*>(inv.objectArgument(2));
        if (!source && inv.objectArgument(2))
            throw KVObjectException(KVObjectException::InvalidArgument,
                                    "setArray: needs an array, got " + kvDescription(inv.objectArgument(2)));
        inv.targetAs<KVMutableArray>()->setArray(source);
    });
}
