#include <memory>

#include <gtest/gtest.h>

#include "engine/physics/kvActorUserData.h"
#include "engine/physics/kvContactFilter.h"
#include "engine/physics/kvFixtureUserData.h"
#include "engine/physics/kvPhysicsWorld.h"

namespace {

// Real fixtures in a real world, with the records the module would give them.
class ContactFilter : public ::testing::Test {
protected:
    ContactFilter() : world(b2Vec2(0, 0), true, nullptr) { shape.SetAsBox(1, 1); }

    b2Fixture* fixture(int32_t fixtureID, std::initializer_list<int32_t> masks,
                       std::initializer_list<int32_t> bodyCategories)
    {
        b2BodyDef bodyDef;
        bodyDef.type = b2_dynamicBody;
        auto* actor = new kvActorUserData;
        for (int32_t c : bodyCategories)
            actor->addCollisionCategory(c);
        bodyDef.userData.pointer = actor;
        b2Body* body = world.createBody(&bodyDef);
        actor->release();

        b2FixtureDef fixtureDef;
        auto* record = new kvFixtureUserData;
        record->fixtureID = fixtureID;
        for (int32_t m : masks)
            record->addCollisionMaskCategory(m);
        fixtureDef.userData.pointer = record;
        b2Fixture* f = world.createFixture(body, &fixtureDef, &shape);
        record->release();
        return f;
    }

    bool collide(b2Fixture* a, b2Fixture* b)
    {
        bool ab = world.filter()->ShouldCollide(a, b);
        EXPECT_EQ(ab, world.filter()->ShouldCollide(b, a)) << "the rule is symmetric";
        return ab;
    }

    kvPhysicsWorld world;
    b2PolygonShape shape;
};

// (The PhysicsDrop bundle shows fixture ids and masks against the other
// body's categories, both ways round.)
TEST_F(ContactFilter, FixtureWithoutRecordMeetsNothing)
{
    b2Fixture* a = fixture(1, {5}, {5});
    b2Fixture* b = fixture(1, {5}, {5});
    ASSERT_TRUE(collide(a, b));
    auto* record = kvFixtureUserData::of(b);
    b->GetUserData().pointer = nullptr;
    EXPECT_FALSE(collide(a, b));
    b->GetUserData().pointer = record;
}

TEST(CollisionRecords, RemovingTakesOnlyTheFirstEqualEntry)
{
    auto* actor = new kvActorUserData;
    auto* fixture = new kvFixtureUserData;
    for (int32_t c : {4, 9, 4, 1}) {
        actor->addCollisionCategory(c);
        fixture->addCollisionMaskCategory(c);
    }
    actor->removeCollisionCategory(4);
    actor->removeCollisionCategory(12);
    fixture->removeCollisionMaskCategory(4);
    EXPECT_EQ(actor->collisionCategories, (std::vector<int32_t>{9, 4, 1}));
    EXPECT_EQ(fixture->collisionMaskCategories, actor->collisionCategories);
    actor->release();
    fixture->release();
}

}  // namespace
