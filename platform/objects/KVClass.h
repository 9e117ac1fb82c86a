// A runtime class: a name, a superclass, tables of class and instance methods
// by selector, and optionally a factory that makes a plain instance (what
// "alloc" returns). Classes are objects too, and live for the process.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/objects/KVMethod.h"
#include "platform/objects/KVObject.h"

class KVClass : public KVObject {
public:
    using Factory = std::function<Ref<KVObject>()>;

    // Made by KVClassRegistry::defineClass only.
    KVClass(std::string name, KVClass* superclass, Factory factory);

    const std::string& name() const { return name_; }
    KVClass* superclass() const { return superclass_; }
    bool isSubclassOf(const KVClass* other) const;  // true for the class itself

    // Replaces any method with the same selector. Throws KVObjectException
    // when the encoding is malformed or its receiver code is wrong.
    void addInstanceMethod(const std::string& selector, const std::string& types, KVMethodImp imp);
    void addClassMethod(const std::string& selector, const std::string& types, KVMethodImp imp);

    // Looked up through the superclasses; null when nobody implements it.
    const KVMethod* instanceMethod(const std::string& selector) const;
    const KVMethod* classMethod(const std::string& selector) const;

    // A new instance from the nearest factory up the chain, or null.
    Ref<KVObject> createInstance() const;

    KVClass* objClass() const override { return const_cast<KVClass*>(this); }
    // Messages to a class find its class methods.
    const KVMethod* methodForSelector(const std::string& selector) const override;
    std::string description() const override { return name_; }

private:
    using MethodTable = std::map<std::string, std::unique_ptr<KVMethod>>;
    void addMethod(MethodTable& table, const std::string& selector, const std::string& types,
                   KVMethodImp imp, const char* receiver);
    const KVMethod* findMethod(MethodTable KVClass::*table, const std::string& selector) const;

    std::string name_;
    KVClass* superclass_;
    Factory factory_;
    mutable std::mutex mutex_;
    MethodTable instanceMethods_;
    MethodTable classMethods_;
};
