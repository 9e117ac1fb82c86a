// The root of the object runtime: a reference-counted object with a runtime
// class, a description and value equality. Objects start with one reference,
// owned by whoever created them (use makeRef or Ref::adopt).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/objects/KVRef.h"

class KVClass;
struct KVMethod;

class KVObject {
public:
    KVObject(const KVObject&) = delete;
    KVObject& operator=(const KVObject&) = delete;

    void retain() const;
    void release() const;
    // Retains only if the object is not already being destroyed; weak tables
    // use it so a dying object is never handed out again.
    bool tryRetain() const;
    int retainCount() const;

    // The runtime class whose methods messages to this object find.
    virtual KVClass* objClass() const;
    // The method a message with this selector runs, or null.
    virtual const KVMethod* methodForSelector(const std::string& selector) const;
    virtual std::string description() const;
    virtual bool isEqual(const KVObject* other) const { return other == this; }
    virtual size_t hash() const;

    // Objects created and not yet destroyed (immortal ones excluded); tests
    // use it to check that retains and releases balance.
    static long liveObjectCount();

    // Registers "NSObject", the root of the value classes.
    static void registerClass(class KVClassRegistry& registry);

protected:
    KVObject();
    struct Immortal {};
    // Classes and the null marker live for the whole process.
    explicit KVObject(Immortal);
    virtual ~KVObject();

private:
    mutable std::atomic<int> refs_;
    const bool immortal_;
};

std::string kvDescription(const KVObject* object);  // "(null)" for no object
