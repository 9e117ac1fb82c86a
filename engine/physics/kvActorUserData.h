// The game's record on every body the physics module creates: which actor
// the body belongs to and the collision categories it offers to others.
// A body definition and the bodies made from it share one record (changing
// the definition's actor id changes the body's), so the record is counted.
#pragma once

#include <cstdint>
#include <vector>

class b2Body;

class kvActorUserData {
public:
    // The creator holds the first reference.
    kvActorUserData() = default;
    kvActorUserData(const kvActorUserData&) = delete;
    kvActorUserData& operator=(const kvActorUserData&) = delete;

    void retain() { ++m_references; }
    // The last release deletes the record.
    void release();

    // The record a body carries, or null (a body being destroyed has none).
    static kvActorUserData* of(b2Body* body);

    void addCollisionCategory(int32_t category);
    // Removes only the first equal entry; the order of the rest is kept.
    void removeCollisionCategory(int32_t category);

    int32_t actorID = 0;
    std::vector<int32_t> collisionCategories;

private:
    ~kvActorUserData() = default;
    int m_references = 1;
};
