#include "platform/objects/KVClass.h"

#include <utility>

#include "platform/objects/KVObjectException.h"

KVClass::KVClass(std::string name, KVClass* superclass, Factory factory)
    : KVObject(Immortal{}), name_(std::move(name)), superclass_(superclass), factory_(std::move(factory))
{
}

bool KVClass::isSubclassOf(const KVClass* other) const
{
    for (const KVClass* c = this; c; c = c->superclass_)
        if (c == other)
            return true;
    return false;
}

void KVClass::addMethod(MethodTable& table, const std::string& selector, const std::string& types,
                        KVMethodImp imp, const char* receiver)
{
    auto method = std::make_unique<KVMethod>();
    method->selector = selector;
    method->signature = KVMethodSignature(types);
    if (method->signature.argumentType(0) != receiver)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                name_ + " " + selector + ": the receiver of \"" + types +
                                    "\" must be \"" + receiver + "\"");
    size_t colons = 0;
    for (char c : selector)
        colons += (c == ':');
    if (colons != method->signature.numberOfArguments() - 2)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                name_ + " " + selector + ": \"" + types +
                                    "\" does not match the selector's arguments");
    method->imp = std::move(imp);
    std::lock_guard<std::mutex> guard(mutex_);
    table[selector] = std::move(method);
}

void KVClass::addInstanceMethod(const std::string& selector, const std::string& types, KVMethodImp imp)
{
    addMethod(instanceMethods_, selector, types, std::move(imp), "@");
}

void KVClass::addClassMethod(const std::string& selector, const std::string& types, KVMethodImp imp)
{
    addMethod(classMethods_, selector, types, std::move(imp), "#");
}

const KVMethod* KVClass::findMethod(MethodTable KVClass::*table, const std::string& selector) const
{
    for (const KVClass* c = this; c; c = c->superclass_) {
        std::lock_guard<std::mutex> guard(c->mutex_);
        auto it = (c->*table).find(selector);
        if (it != (c->*table).end())
            return it->second.get();
    }
    return nullptr;
}

const KVMethod* KVClass::instanceMethod(const std::string& selector) const
{
    return findMethod(&KVClass::instanceMethods_, selector);
}

const KVMethod* KVClass::classMethod(const std::string& selector) const
{
    return findMethod(&KVClass::classMethods_, selector);
}

const KVMethod* KVClass::methodForSelector(const std::string& selector) const
{
    return classMethod(selector);
}

Ref<KVObject> KVClass::createInstance() const
{
    for (const KVClass* c = this; c; c = c->superclass_)
        if (c->factory_)
            return c->factory_();
    return nullptr;
}
