// Box2D is built so that a failed assertion throws instead of aborting.
#include <box2d/box2d.h>
#include <gtest/gtest.h>

namespace {

// Breaks a rule inside a contact callback: creating a body while the world
// is locked in its step.
class CreatingListener : public b2ContactListener {
public:
    void BeginContact(b2Contact* contact) override
    {
        b2BodyDef def;
        contact->GetFixtureA()->GetBody()->GetWorld()->CreateBody(&def);
    }
};

TEST(Box2DSettings, AssertionInsideAContactCallbackReachesACatch)
{
    b2World world(b2Vec2(0, -10));
    CreatingListener listener;
    world.SetContactListener(&listener);
    b2BodyDef groundDef;
    b2Body* ground = world.CreateBody(&groundDef);
    b2PolygonShape box;
    box.SetAsBox(10, 1);
    ground->CreateFixture(&box, 0);
    b2BodyDef fallingDef;
    fallingDef.type = b2_dynamicBody;
    fallingDef.position.Set(0, 1.5f);
    b2Body* falling = world.CreateBody(&fallingDef);
    b2PolygonShape small;
    small.SetAsBox(0.5f, 0.5f);
    falling->CreateFixture(&small, 1);

    bool caught = false;
    for (int i = 0; i < 120 && !caught; ++i) {
        try {
            world.Step(1.0f / 60, 8, 3);
        } catch (const b2Exception& e) {
            caught = true;
            EXPECT_STREQ(e.expression, "IsLocked() == false");
            EXPECT_NE(std::string(e.file).find("b2_world.cpp"), std::string::npos);
        }
    }
    EXPECT_TRUE(caught);
}

}  // namespace
