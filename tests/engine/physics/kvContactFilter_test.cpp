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

TEST_F(ContactFilter, DifferentFixtureIDsNeverCollide)
{
    EXPECT_FALSE(collide(fixture(1, {5}, {5}), fixture(2, {5}, {5})));
    EXPECT_TRUE(collide(fixture(2, {5}, {5}), fixture(2, {5}, {5})));
}

TEST_F(ContactFilter, EitherMaskMeetsTheOtherBodysCategories)
{
    // Mask of A against B's body, and the other way round.
    EXPECT_TRUE(collide(fixture(1, {5}, {}), fixture(1, {}, {5})));
    EXPECT_TRUE(collide(fixture(1, {}, {7}), fixture(1, {3, 7}, {})));
    // A mask naming a category of its own body only does not count.
    EXPECT_FALSE(collide(fixture(1, {5}, {5}), fixture(1, {}, {6})));
    // Box2D's own bits are not consulted: group -1 would forbid this pair.
    b2Fixture* a = fixture(1, {4}, {});
    b2Fixture* b = fixture(1, {}, {4});
    b2Filter noGroup;
    noGroup.groupIndex = -1;
    a->SetFilterData(noGroup);
    b->SetFilterData(noGroup);
    EXPECT_TRUE(collide(a, b));
}

TEST_F(ContactFilter, EmptyListsMatchNothing)
{
    EXPECT_FALSE(collide(fixture(1, {}, {}), fixture(1, {}, {})));
    EXPECT_FALSE(collide(fixture(1, {1, 2}, {}), fixture(1, {3}, {})));
}

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
    for (int32_t c : {4, 9, 4, 1})
        actor->addCollisionCategory(c);
    actor->removeCollisionCategory(4);
    actor->removeCollisionCategory(12);
    EXPECT_EQ(actor->collisionCategories, (std::vector<int32_t>{9, 4, 1}));
    actor->release();

    auto* fixture = new kvFixtureUserData;
    fixture->fixtureID = 3;
    for (int32_t m : {2, 2, 5})
        fixture->addCollisionMaskCategory(m);
    fixture->removeCollisionMaskCategory(2);
    EXPECT_EQ(fixture->collisionMaskCategories, (std::vector<int32_t>{2, 5}));

    auto* copy = new kvFixtureUserData(fixture);
    fixture->addCollisionMaskCategory(8);
    fixture->release();
    EXPECT_EQ(copy->fixtureID, 3);
    EXPECT_EQ(copy->collisionMaskCategories, (std::vector<int32_t>{2, 5}));
    copy->release();
    auto* fresh = new kvFixtureUserData(nullptr);
    EXPECT_EQ(fresh->fixtureID, 0);
    EXPECT_TRUE(fresh->collisionMaskCategories.empty());
    fresh->release();
}

}  // namespace
