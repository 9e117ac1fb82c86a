#include "engine/physics/kvActorUserData.h"

#include <algorithm>

#include <box2d/box2d.h>

kvActorUserData* kvActorUserData::of(b2Body* body)
{
    return body ? static_cast<kvActorUserData*>(body->GetUserData().pointer) : nullptr;
}

void kvActorUserData::addCollisionCategory(int32_t category)
{
    collisionCategories.push_back(category);
}

void kvActorUserData::removeCollisionCategory(int32_t category)
{
    auto it = std::find(collisionCategories.begin(), collisionCategories.end(), category);
    if (it != collisionCategories.end())
        collisionCategories.erase(it);
}
