#include "engine/physics/kvContactFilter.h"

#include <algorithm>

#include "engine/physics/kvActorUserData.h"
#include "engine/physics/kvFixtureUserData.h"

namespace {

bool maskMeetsCategories(const kvFixtureUserData* fixture, const kvActorUserData* actor)
{
    for (int32_t mask : fixture->collisionMaskCategories) {
        const auto& categories = actor->collisionCategories;
        if (std::find(categories.begin(), categories.end(), mask) != categories.end())
            return true;
    }
    return false;
}

}  // namespace

bool kvContactFilter::ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB)
{
    const kvFixtureUserData* a = kvFixtureUserData::of(fixtureA);
    const kvFixtureUserData* b = kvFixtureUserData::of(fixtureB);
    kvActorUserData* actorA = kvActorUserData::of(fixtureA->GetBody());
    kvActorUserData* actorB = kvActorUserData::of(fixtureB->GetBody());
    // A fixture or body without its record is on its way out: let it meet nothing.
    if (!a || !b || !actorA || !actorB)
        return false;
    if (a->fixtureID != b->fixtureID)
        return false;
    return maskMeetsCategories(a, actorB) || maskMeetsCategories(b, actorA);
}
