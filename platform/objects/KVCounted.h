// The count of objects that only the thread holding the Lua state lock
// touches (scene-graph objects, physics records): that lock guards it, so it
// is not atomic. Objects start with one reference, owned by their creator;
// hold them with Ref<T> (Ref<T>::adopt or makeRef for a new one). Objects
// shared between threads are KVObjects instead.
#pragma once

#include <cstdint>

template <class Derived>
class KVCounted {
public:
    KVCounted(const KVCounted&) = delete;
    KVCounted& operator=(const KVCounted&) = delete;

    void retain() { ++references_; }
    // The last release deletes the object.
    void release()
    {
        if (references_-- == 1)
            delete static_cast<Derived*>(this);
    }
    uint32_t retainCount() const { return references_; }

protected:
    KVCounted() = default;
    ~KVCounted() = default;

private:
    uint32_t references_ = 1;
};
