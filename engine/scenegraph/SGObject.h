// Reference-counted base of nodes, spaces and scenes. Counting is by hand:
// whoever keeps a pointer retains it and releases it when done. The count is
// not atomic: the scene graph runs only on the thread that holds the Lua
// state lock, and that lock guards it.
#pragma once

#include <cstdint>

class SGObject {
public:
    SGObject() = default;
    virtual ~SGObject() = default;
    SGObject(const SGObject&) = delete;
    SGObject& operator=(const SGObject&) = delete;

    void retain() { ++retainCount_; }
    // Deletes the object when this was the last reference.
    void release();
    // True when someone besides the first owner holds a reference.
    bool isRetained() const { return retainCount_ > 1; }
    uint32_t retainCount() const { return retainCount_; }

private:
    uint32_t retainCount_ = 1;
};
