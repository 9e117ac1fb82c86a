// Decides from the game's records which fixture pairs collide; Box2D's own
// category bits, mask bits and group index are never consulted.
#pragma once

#include <box2d/box2d.h>

class kvContactFilter : public b2ContactFilter {
public:
    ~kvContactFilter() override = default;

    // Fixtures of different ids never collide; otherwise a pair collides when
    // either fixture's mask names a category of the other fixture's body.
    bool ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB) override;
};
