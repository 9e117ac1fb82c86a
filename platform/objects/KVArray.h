// An immutable ordered collection of objects ("NSArray"). It never holds a
// null pointer: the null marker stands in for "no value". Subclasses that
// keep their elements elsewhere override count() and objectAtIndex().
//
// Methods: array arrayWithObject: arrayWithArray: (class); count
// objectAtIndex: containsObject: indexOfObject: (-1 when absent) firstObject
// lastObject componentsJoinedByString:.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/objects/KVObject.h"

class KVArray : public KVObject {
public:
    static constexpr size_t NotFound = SIZE_MAX;

    static Ref<KVArray> array();
    // Throws KVObjectException when an element is null.
    static Ref<KVArray> withObjects(std::vector<Ref<KVObject>> objects);

    virtual size_t count() const;
    // Throws KVObjectException (NSRangeException) past the end.
    virtual Ref<KVObject> objectAtIndex(size_t index) const;
    // Compares with isEqual; NotFound when absent.
    virtual size_t indexOfObject(const KVObject* object) const;
    bool containsObject(const KVObject* object) const { return indexOfObject(object) != NotFound; }
    // A snapshot of the elements in order.
    std::vector<Ref<KVObject>> objects() const;

    KVClass* objClass() const override;
    std::string description() const override;
    bool isEqual(const KVObject* other) const override;

    static void registerClass(class KVClassRegistry& registry);

protected:
    KVArray() = default;
    [[noreturn]] void outOfRange(size_t index, size_t limit) const;
    static void checkElement(const KVObject* object);
    // A new instance of cls (an array class) holding the objects.
    static Ref<KVArray> arrayOfClass(const KVClass* cls, std::vector<Ref<KVObject>> objects);

    std::vector<Ref<KVObject>> items_;
};
