#include "platform/objects/KVObject.h"

#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVString.h"

namespace {
std::atomic<long> liveObjects{0};
}

KVObject::KVObject() : refs_(1), immortal_(false)
{
    liveObjects.fetch_add(1, std::memory_order_relaxed);
}

KVObject::KVObject(Immortal) : refs_(1), immortal_(true) {}

KVObject::~KVObject()
{
    if (!immortal_)
        liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

void KVObject::retain() const
{
    if (!immortal_)
        refs_.fetch_add(1, std::memory_order_relaxed);
}

void KVObject::release() const
{
    if (immortal_)
        return;
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

bool KVObject::tryRetain() const
{
    if (immortal_)
        return true;
    int n = refs_.load(std::memory_order_relaxed);
    while (n > 0) {
        if (refs_.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel, std::memory_order_relaxed))
            return true;
    }
    return false;
}

int KVObject::retainCount() const
{
    return refs_.load(std::memory_order_relaxed);
}

KVClass* KVObject::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSObject");
    return cls;
}

const KVMethod* KVObject::methodForSelector(const std::string& selector) const
{
    KVClass* cls = objClass();
    return cls ? cls->instanceMethod(selector) : nullptr;
}

std::string KVObject::description() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%p", static_cast<const void*>(this));
    KVClass* cls = objClass();
    return "<" + (cls ? cls->name() : std::string("?")) + ": " + buffer + ">";
}

size_t KVObject::hash() const
{
    return std::hash<const void*>()(this);
}

long KVObject::liveObjectCount()
{
    return liveObjects.load(std::memory_order_relaxed);
}

std::string kvDescription(const KVObject* object)
{
    return object ? object->description() : "(null)";
}

// NSObject: alloc/new (a plain instance from the class's factory, nil when
// the class has none), init, description, isEqual:, hash, class.
void KVObject::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSObject", nullptr);
    auto makeInstance = [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVClass>()->createInstance()));
    };
    cls->addClassMethod("alloc", "@#:", makeInstance);
    cls->addClassMethod("new", "@#:", makeInstance);
    cls->addClassMethod("description", "@#:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(KVString::withString(inv.target()->description())));
    });
    cls->addClassMethod("class", "##:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::classValue(inv.targetAs<KVClass>()));
    });
    cls->addInstanceMethod("init", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.target()));
    });
    cls->addInstanceMethod("description", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(KVString::withString(inv.target()->description())));
    });
    cls->addInstanceMethod("isEqual:", "c@:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::boolValue(inv.target()->isEqual(inv.objectArgument(2))));
    });
    cls->addInstanceMethod("hash", "I@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::unsignedIntValue(static_cast<uint32_t>(inv.target()->hash())));
    });
    cls->addInstanceMethod("class", "#@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::classValue(inv.target()->objClass()));
    });
}
