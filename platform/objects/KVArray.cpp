#include "platform/objects/KVArray.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"

Ref<KVArray> KVArray::array()
{
    return Ref<KVArray>::adopt(new KVArray());
}

Ref<KVArray> KVArray::withObjects(std::vector<Ref<KVObject>> objects)
{
    for (const auto& o : objects)
        checkElement(o.get());
    Ref<KVArray> a = array();
    a->items_ = std::move(objects);
    return a;
}

void KVArray::checkElement(const KVObject* object)
{
    if (!object)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                "an array cannot hold nil (use the null marker)");
}

size_t KVArray::count() const
{
    return items_.size();
}

Ref<KVObject> KVArray::objectAtIndex(size_t index) const
{
    if (index >= items_.size())
        outOfRange(index, items_.size());
    return items_[index];
}

size_t KVArray::indexOfObject(const KVObject* object) const
{
    size_t n = count();
    for (size_t i = 0; i < n; ++i) {
        Ref<KVObject> item = objectAtIndex(i);
        if (item.get() == object || (item && item->isEqual(object)))
            return i;
    }
    return NotFound;
}

std::vector<Ref<KVObject>> KVArray::objects() const
{
    std::vector<Ref<KVObject>> result;
    size_t n = count();
    result.reserve(n);
    for (size_t i = 0; i < n; ++i)
        result.push_back(objectAtIndex(i));
    return result;
}

void KVArray::outOfRange(size_t index, size_t limit) const
{
    throw KVObjectException(KVObjectException::Range,
                            "index " + std::to_string(index) + " beyond bounds [0 .. " +
                                (limit == 0 ? std::string("empty") : std::to_string(limit - 1)) + "]");
}

KVClass* KVArray::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSArray");
    return cls;
}

std::string KVArray::description() const
{
    std::string text = "(";
    bool first = true;
    for (const auto& o : objects()) {
        text += first ? "" : ", ";
        text += kvDescription(o.get());
        first = false;
    }
    return text + ")";
}

bool KVArray::isEqual(const KVObject* other) const
{
    auto a = dynamic_cast<const KVArray*>(other);
    if (!a)
        return false;
    if (a == this)
        return true;
    auto mine = objects();
    auto theirs = a->objects();
    if (mine.size() != theirs.size())
        return false;
    for (size_t i = 0; i < mine.size(); ++i)
        if (!mine[i]->isEqual(theirs[i].get()))
            return false;
    return true;
}

// The class methods build through the receiving class, so they give a
// mutable array when sent to NSMutableArray.
Ref<KVArray> KVArray::arrayOfClass(const KVClass* cls, std::vector<Ref<KVObject>> objects)
{
    for (const auto& o : objects)
        checkElement(o.get());
    Ref<KVObject> made = cls->createInstance();
    Ref<KVArray> result(dynamic_cast<KVArray*>(made.get()));
    if (!result)
        throw KVObjectException(KVObjectException::InvalidArgument, cls->name() + " makes no arrays");
    result->items_ = std::move(objects);
    return result;
}

void KVArray::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSArray", registry.lookup("NSObject"),
                                        [] { return Ref<KVObject>(array()); });
    cls->addClassMethod("array", "@#:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVClass>()->createInstance()));
    });
    cls->addClassMethod("arrayWithObject:", "@#:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(arrayOfClass(inv.targetAs<KVClass>(), {inv.objectArgument(2)})));
    });
    cls->addClassMethod("arrayWithArray:", "@#:@", [](KVInvocation& inv) {
        auto source = dynamic_cast<KVArray*>(inv.objectArgument(2));
        if (!source)
            throw KVObjectException(KVObjectException::InvalidArgument,
                                    "arrayWithArray: needs an array, got " + kvDescription(inv.objectArgument(2)));
        inv.setReturnValue(KVValue::object(arrayOfClass(inv.targetAs<KVClass>(), source->objects())));
    });
    cls->addInstanceMethod("count", "I@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::unsignedIntValue(static_cast<uint32_t>(inv.targetAs<KVArray>()->count())));
    });
    cls->addInstanceMethod("objectAtIndex:", "@@:I", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVArray>()->objectAtIndex(inv.unsignedIntArgument(2))));
    });
    cls->addInstanceMethod("containsObject:", "c@:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::boolValue(inv.targetAs<KVArray>()->containsObject(inv.objectArgument(2))));
    });
    cls->addInstanceMethod("indexOfObject:", "i@:@", [](KVInvocation& inv) {
        size_t i = inv.targetAs<KVArray>()->indexOfObject(inv.objectArgument(2));
        inv.setReturnValue(KVValue::intValue(i == NotFound ? -1 : static_cast<int32_t>(i)));
    });
    cls->addInstanceMethod("firstObject", "@@:", [](KVInvocation& inv) {
        KVArray* a = inv.targetAs<KVArray>();
        inv.setReturnValue(KVValue::object(a->count() ? a->objectAtIndex(0) : nullptr));
    });
    cls->addInstanceMethod("lastObject", "@@:", [](KVInvocation& inv) {
        KVArray* a = inv.targetAs<KVArray>();
        size_t n = a->count();
        inv.setReturnValue(KVValue::object(n ? a->objectAtIndex(n - 1) : nullptr));
    });
    cls->addInstanceMethod("componentsJoinedByString:", "@@:@", [](KVInvocation& inv) {
        auto separator = dynamic_cast<KVString*>(inv.objectArgument(2));
        std::string text;
        bool first = true;
        for (const auto& o : inv.targetAs<KVArray>()->objects()) {
            if (!first && separator)
                text += separator->utf8();
            text += kvDescription(o.get());
            first = false;
        }
        inv.setReturnValue(KVValue::object(KVString::withString(text)));
    });
}
