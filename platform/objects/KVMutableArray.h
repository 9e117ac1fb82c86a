// An ordered collection that can change ("NSMutableArray"). Subclasses that
// keep their elements elsewhere override the primitive operations (insert,
// remove, replace) along with count() and objectAtIndex().
//
// Methods: arrayWithCapacity: (class); addObject: insertObject:atIndex:
// removeObjectAtIndex: removeLastObject removeAllObjects
// replaceObjectAtIndex:withObject: setArray:.
#pragma once

#include "platform/objects/KVArray.h"

class KVMutableArray : public KVArray {
public:
    static Ref<KVMutableArray> array();

    // Primitives; each throws KVObjectException for a null object or an
    // index out of range, and then changes nothing.
    virtual void insertObject(KVObject* object, size_t index);
    virtual void removeObjectAtIndex(size_t index);
    virtual void replaceObjectAtIndex(size_t index, KVObject* object);

    virtual void addObject(KVObject* object);
    virtual void removeLastObject();
    virtual void removeAllObjects();
    virtual void setArray(const KVArray* array);

    KVClass* objClass() const override;

    static void registerClass(class KVClassRegistry& registry);

protected:
    KVMutableArray() = default;
};
