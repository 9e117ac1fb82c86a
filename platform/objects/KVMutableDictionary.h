// A dictionary that can change ("NSMutableDictionary").
//
// Methods: dictionaryWithCapacity: (class); setObject:forKey:
// removeObjectForKey: removeAllObjects.
#pragma once

#include "platform/objects/KVDictionary.h"

class KVMutableDictionary : public KVDictionary {
public:
    static Ref<KVMutableDictionary> dictionary();

    // Throws KVObjectException for a null key or value, changing nothing.
    void setObject(KVObject* value, KVObject* key) { store(key, value); }
    void removeObjectForKey(const KVObject* key) { erase(key); }
    void removeAllObjects() { eraseAll(); }

    KVClass* objClass() const override;

    static void registerClass(class KVClassRegistry& registry);

protected:
    KVMutableDictionary() = default;
};
