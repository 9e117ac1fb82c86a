// The game's record on every body the physics module creates: which actor
// the body belongs to and the collision categories it offers to others.
// A body definition and the bodies made from it share one record (changing
// the definition's actor id changes the body's), so the record is counted:
// each Box2D user-data slot that points at it owns one reference.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/objects/KVCounted.h"

class b2Body;

class kvActorUserData : public KVCounted<kvActorUserData> {
public:
    // The creator holds the first reference.
    kvActorUserData() = default;

    // The record a body carries, or null (a body being destroyed has none).
    static kvActorUserData* of(b2Body* body);

    void addCollisionCategory(int32_t category);
    // Removes only the first equal entry; the order of the rest is kept.
    void removeCollisionCategory(int32_t category);

    int32_t actorID = 0;
    std::vector<int32_t> collisionCategories;

private:
    friend class KVCounted<kvActorUserData>;
    ~kvActorUserData() = default;
};
