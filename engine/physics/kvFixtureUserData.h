// The game's record on every fixture the physics module creates: the kind of
// fixture (2 marks a sensor) and the categories it is willing to meet.
// Shared by a fixture definition and the fixtures made from it, so counted:
// each Box2D user-data slot that points at it owns one reference.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/objects/KVCounted.h"

class b2Fixture;

class kvFixtureUserData : public KVCounted<kvFixtureUserData> {
public:
    static constexpr int32_t kSensorFixtureID = 2;

    // The creator holds the first reference.
    kvFixtureUserData() = default;
    // A copy of the source's id and mask list; a null source gives a fresh record.
    explicit kvFixtureUserData(const kvFixtureUserData* source);

    // The record a fixture carries, or null (a fixture being destroyed has none).
    static kvFixtureUserData* of(b2Fixture* fixture);

    void addCollisionMaskCategory(int32_t category);
    // Removes only the first equal entry; the order of the rest is kept.
    void removeCollisionMaskCategory(int32_t category);

    int32_t fixtureID = 0;
    std::vector<int32_t> collisionMaskCategories;

private:
    friend class KVCounted<kvFixtureUserData>;
    ~kvFixtureUserData() = default;
};
