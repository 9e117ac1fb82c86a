#include "engine/physics/kvPhysicsWorld.h"

#include <memory>
#include <utility>
#include <vector>

#include "engine/physics/kvActorUserData.h"
#include "engine/physics/kvContactFilter.h"
#include "engine/physics/kvContactListener.h"
#include "engine/physics/kvFixtureUserData.h"
#include "engine/physics/kvLiveSet.h"
#include "engine/physics/kvRecordSlot.h"

namespace {

constexpr const char* kSourceName = "engine/physics/kvPhysicsWorld.cpp";

// Marks the world busy while Box2D ends the contacts of what is being
// destroyed: the script hears of them and must not change the world then.
class DestroyingScope {
public:
    explicit DestroyingScope(int& counter) : m_counter(counter) { ++m_counter; }
    ~DestroyingScope() { --m_counter; }
    DestroyingScope(const DestroyingScope&) = delete;
    DestroyingScope& operator=(const DestroyingScope&) = delete;

private:
    int& m_counter;
};

}  // namespace

kvPhysicsWorld::kvPhysicsWorld(const b2Vec2& gravity, bool doSleep, lua_State* L)
    : m_live(makeRef<kvLiveSet>(this)),
      m_filter(std::make_unique<kvContactFilter>()),
      m_listener(std::make_unique<kvContactListener>(L, m_live.get())),
      m_world(std::make_unique<b2World>(gravity))
{
    m_world->SetAllowSleeping(doSleep);
    m_world->SetContactListener(m_listener.get());
    m_world->SetContactFilter(m_filter.get());
}

kvPhysicsWorld::~kvPhysicsWorld()
{
    // Box2D frees the bodies and fixtures with the world, but not our records.
    for (b2Body* body = m_world->GetBodyList(); body; body = body->GetNext()) {
        for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext())
            kvTakeRecord<kvFixtureUserData>(fixture->GetUserData().pointer);
        kvTakeRecord<kvActorUserData>(body->GetUserData().pointer);
    }
    m_live->worldDestroyed();
}

bool kvPhysicsWorld::isBusy() const
{
    return m_world->IsLocked() || m_destroying > 0;
}

void kvPhysicsWorld::requireIdle(int line) const
{
    if (isBusy())
        throw b2Exception("IsLocked() == false", kSourceName, line);
}

void kvPhysicsWorld::giveDefaultMass(b2Body* body)
{
    if (body->GetType() != b2_dynamicBody || body->GetMass() > 0.0f)
        return;
    b2MassData data;
    data.mass = 1.0f;
    data.center.SetZero();
    data.I = 0.0f;
    body->SetMassData(&data);
}

b2Body* kvPhysicsWorld::createBody(b2BodyDef* def)
{
    requireIdle(__LINE__);
    if (!def->userData.pointer)
        kvPutRecord(def->userData.pointer, makeRef<kvActorUserData>());
    b2Body* body = m_world->CreateBody(def);
    kvPutRecord(body->GetUserData().pointer, Ref(kvActorUserData::of(body)));
    m_live->add(body);
    giveDefaultMass(body);
    return body;
}

void kvPhysicsWorld::destroyBody(b2Body* body, lua_State* L)
{
    requireIdle(__LINE__);
    // Kept between calls: nothing can destroy in this world until we are done.
    auto& fixtures = m_dyingFixtures;
    fixtures.clear();
    for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext())
        fixtures.emplace_back(fixture, kvFixtureUserData::of(fixture));

    kvTakeRecord<kvActorUserData>(body->GetUserData().pointer);
    m_listener->setLuaState(L);
    {
        DestroyingScope scope(m_destroying);
        // Ends the body's touching contacts (the script may hear of them,
        // reading actor id -1 for this body), then frees it.
        m_world->DestroyBody(body);
    }
    // Fixture records outlive the contacts' end so collision functions can
    // still read the fixture ids; the reference the freed fixture's slot
    // owned ends now.
    for (const auto& [fixture, record] : fixtures) {
        Ref<kvFixtureUserData>::adopt(record);
        m_listener->forgetFixture(fixture);
        m_live->remove(fixture);
    }
    m_live->remove(body);
}

b2Fixture* kvPhysicsWorld::createFixture(b2Body* body, b2FixtureDef* def, const b2Shape* shape)
{
    requireIdle(__LINE__);
    if (!shape)
        throw b2Exception("def->shape != nullptr", kSourceName, __LINE__);
    if (!(shape->m_radius >= 0.0f))
        throw b2Exception("shape->m_radius >= 0.0f", kSourceName, __LINE__);
    if (!(def->density >= 0.0f))
        throw b2Exception("def->density >= 0.0f", kSourceName, __LINE__);

    if (!def->userData.pointer)
        kvPutRecord(def->userData.pointer, makeRef<kvFixtureUserData>());
    auto* record = static_cast<kvFixtureUserData*>(def->userData.pointer);

    def->shape = shape;
    b2Fixture* fixture = nullptr;
    try {
        fixture = body->CreateFixture(def);
    } catch (const b2Exception&) {
        def->shape = nullptr;
        // The mass update can fail after the fixture joined the body; it
        // then shares the record like any other fixture.
        for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) {
            if (kvFixtureUserData::of(f) == record) {
                kvPutRecord(f->GetUserData().pointer, Ref(record));
                m_live->add(f);
                break;
            }
        }
        throw;
    }
    def->shape = nullptr;
    kvPutRecord(fixture->GetUserData().pointer, Ref(record));
    m_live->add(fixture);
    giveDefaultMass(body);
    return fixture;
}

void kvPhysicsWorld::destroyFixture(b2Body* body, b2Fixture* fixture, lua_State* L)
{
    requireIdle(__LINE__);
    if (fixture->GetBody() != body)
        throw b2Exception("fixture->m_body == this", kSourceName, __LINE__);

    kvTakeRecord<kvFixtureUserData>(fixture->GetUserData().pointer);
    m_listener->setLuaState(L);
    {
        DestroyingScope scope(m_destroying);
        body->DestroyFixture(fixture);
    }
    m_listener->forgetFixture(fixture);
    m_live->remove(fixture);
    giveDefaultMass(body);
}

void kvPhysicsWorld::setPositionAndAngle(b2Body* body, const b2Vec2& position, float angle)
{
    requireIdle(__LINE__);
    body->SetTransform(position, angle);
}

void kvPhysicsWorld::step(float timeStep, int velocityIterations, int positionIterations, lua_State* L)
{
    // Also refuses a step from inside a collision function of this world.
    requireIdle(__LINE__);
    m_listener->setLuaState(L);
    m_world->Step(timeStep, velocityIterations, positionIterations);
}
