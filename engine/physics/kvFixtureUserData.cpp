#include "engine/physics/kvFixtureUserData.h"

#include <algorithm>

#include <box2d/box2d.h>

kvFixtureUserData* kvFixtureUserData::of(b2Fixture* fixture)
{
    return fixture ? static_cast<kvFixtureUserData*>(fixture->GetUserData().pointer) : nullptr;
}

kvFixtureUserData::kvFixtureUserData(const kvFixtureUserData* source)
{
    if (source) {
        fixtureID = source->fixtureID;
        collisionMaskCategories = source->collisionMaskCategories;
    }
}

void kvFixtureUserData::addCollisionMaskCategory(int32_t category)
{
    collisionMaskCategories.push_back(category);
}

void kvFixtureUserData::removeCollisionMaskCategory(int32_t category)
{
    auto it = std::find(collisionMaskCategories.begin(), collisionMaskCategories.end(), category);
    if (it != collisionMaskCategories.end())
        collisionMaskCategories.erase(it);
}
