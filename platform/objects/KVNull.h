// The null marker ("NSNull"): one shared object standing for "no value"
// where an object is required, as in collections.
//
// Methods: null (class).
#pragma once

#include "platform/objects/KVObject.h"

class KVNull : public KVObject {
public:
    static KVNull* null();

    KVClass* objClass() const override;
    std::string description() const override { return "<null>"; }

    static void registerClass(class KVClassRegistry& registry);

private:
    KVNull() : KVObject(Immortal{}) {}
};
