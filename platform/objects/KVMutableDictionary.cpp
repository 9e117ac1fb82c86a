#include "platform/objects/KVMutableDictionary.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"

Ref<KVMutableDictionary> KVMutableDictionary::dictionary()
{
    return Ref<KVMutableDictionary>::adopt(new KVMutableDictionary());
}

KVClass* KVMutableDictionary::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSMutableDictionary");
    return cls;
}

void KVMutableDictionary::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSMutableDictionary", registry.lookup("NSDictionary"),
                                        [] { return Ref<KVObject>(dictionary()); });
    cls->addClassMethod("dictionaryWithCapacity:", "@#:I", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(inv.targetAs<KVClass>()->createInstance()));
    });
    cls->addInstanceMethod("setObject:forKey:", "v@:@@", [](KVInvocation& inv) {
        inv.targetAs<KVMutableDictionary>()->setObject(inv.objectArgument(2), inv.objectArgument(3));
    });
    cls->addInstanceMethod("removeObjectForKey:", "v@:@", [](KVInvocation& inv) {
        inv.targetAs<KVMutableDictionary>()->removeObjectForKey(inv.objectArgument(2));
    });
    cls->addInstanceMethod("removeAllObjects", "v@:", [](KVInvocation& inv) {
        inv.targetAs<KVMutableDictionary>()->removeAllObjects();
    });
}
