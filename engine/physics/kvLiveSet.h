// The bodies and fixtures of one world that still exist. Script userdata for
// bodies and fixtures are views that Box2D knows nothing about; each view
// keeps the serial its object had when the view was made, so a view of a
// destroyed object (or of a new object that reuses its memory) is recognised
// as stale instead of being followed into freed memory.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "platform/objects/KVCounted.h"

class kvPhysicsWorld;

// Views outlive the world, so the set is counted: the world and every view
// hold it with Ref.
class kvLiveSet : public KVCounted<kvLiveSet> {
public:
    // The creator holds the first reference.
    explicit kvLiveSet(kvPhysicsWorld* world) : m_world(world) {}

    // Registers an object and returns its serial (never 0).
    uint32_t add(const void* object);
    void remove(const void* object);
    // 0 when the object is not live.
    uint32_t serialOf(const void* object) const;
    bool isLive(const void* object, uint32_t serial) const;

    // Null once the world is gone; every view of it is then stale.
    kvPhysicsWorld* world() const { return m_world; }
    void worldDestroyed();

private:
    kvPhysicsWorld* m_world;
    std::unordered_map<const void*, uint32_t> m_serials;
    uint32_t m_nextSerial = 1;
};
