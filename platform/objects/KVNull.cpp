#include "platform/objects/KVNull.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"

KVNull* KVNull::null()
{
    static KVNull* marker = new KVNull();  // immortal: never released
    return marker;
}

KVClass* KVNull::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSNull");
    return cls;
}

void KVNull::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSNull", registry.lookup("NSObject"),
                                        [] { return Ref<KVObject>(null()); });
    cls->addClassMethod("null", "@#:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(null()));
    });
}
