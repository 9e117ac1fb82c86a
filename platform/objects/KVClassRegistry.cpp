#include "platform/objects/KVClassRegistry.h"

#include "platform/objects/KVArray.h"
#include "platform/objects/KVDictionary.h"
#include "platform/objects/KVMutableArray.h"
#include "platform/objects/KVMutableDictionary.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"

KVClassRegistry& KVClassRegistry::shared()
{
    static KVClassRegistry registry;
    return registry;
}

KVClassRegistry::KVClassRegistry()
{
    KVObject::registerClass(*this);
    KVNumber::registerClass(*this);
    KVString::registerClass(*this);
    KVNull::registerClass(*this);
    KVArray::registerClass(*this);
    KVMutableArray::registerClass(*this);
    KVDictionary::registerClass(*this);
    KVMutableDictionary::registerClass(*this);
}

KVClass* KVClassRegistry::lookup(const std::string& name) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = classes_.find(name);
    return it == classes_.end() ? nullptr : it->second.get();
}

KVClass* KVClassRegistry::defineClass(const std::string& name, KVClass* superclass, KVClass::Factory factory)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = classes_.find(name);
    if (it != classes_.end()) {
        if (it->second->superclass() != superclass)
            throw KVObjectException(KVObjectException::InvalidArgument,
                                    "class " + name + " is already defined with another superclass");
        return it->second.get();
    }
    auto cls = std::make_unique<KVClass>(name, superclass, std::move(factory));
    KVClass* result = cls.get();
    classes_[name] = std::move(cls);
    return result;
}
