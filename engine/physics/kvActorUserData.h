// The game's record on every body the physics module creates: which actor
// the body belongs to and the collision categories it offers to others.
#pragma once

#include <cstdint>
#include <vector>

class b2Body;

class kvActorUserData {
public:
    kvActorUserData() = default;
    kvActorUserData(const kvActorUserData&) = default;

    // The record a body carries, or null (a body being destroyed has none).
    static kvActorUserData* of(b2Body* body);

    void addCollisionCategory(int32_t category);
    // Removes only the first equal entry; the order of the rest is kept.
    void removeCollisionCategory(int32_t category);

    int32_t actorID = 0;
    std::vector<int32_t> collisionCategories;
};
