// Counted base of nodes, spaces and scenes; hold them with Ref<T>. The count
// is not atomic: the scene graph runs only on the thread that holds the Lua
// state lock, and that lock guards it.
#pragma once

#include "platform/objects/KVCounted.h"

class SGObject : public KVCounted<SGObject> {
public:
    SGObject() = default;
    virtual ~SGObject() = default;

    // True when someone besides the first owner holds a reference.
    bool isRetained() const { return retainCount() > 1; }
};
