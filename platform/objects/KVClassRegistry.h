// The process's classes by name, like the platform runtime's class list. The
// shared registry starts with the value classes (NSObject, NSNumber, NSString,
// NSNull, NSArray, NSMutableArray, NSDictionary, NSMutableDictionary);
// native code adds its own classes with defineClass.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/objects/KVClass.h"

class KVClassRegistry {
public:
    static KVClassRegistry& shared();

    // Null for an unknown name.
    KVClass* lookup(const std::string& name) const;
    // Defines a class. Defining a name twice returns the existing class
    // unchanged when the superclass is the same, and throws otherwise.
    KVClass* defineClass(const std::string& name, KVClass* superclass, KVClass::Factory factory = {});

private:
    KVClassRegistry();
    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<KVClass>> classes_;
};
