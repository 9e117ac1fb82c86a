// One Box2D world with the game's contact listener and filter, and the
// operations that change which bodies and fixtures exist. Those operations
// throw b2Exception instead of entering Box2D while the world is busy (in a
// step, or ending the contacts of something being destroyed), so a collision
// function that tries them is reported and the world goes on stepping.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <box2d/box2d.h>

#include "engine/host/kv_lua.h"
#include "platform/objects/KVRef.h"

class kvContactFilter;
class kvContactListener;
class kvFixtureUserData;
class kvLiveSet;

class kvPhysicsWorld {
public:
    kvPhysicsWorld(const b2Vec2& gravity, bool doSleep, lua_State* L);
    ~kvPhysicsWorld();
    kvPhysicsWorld(const kvPhysicsWorld&) = delete;
    kvPhysicsWorld& operator=(const kvPhysicsWorld&) = delete;

    b2World* world() const { return m_world.get(); }
    kvContactListener* listener() const { return m_listener.get(); }
    kvContactFilter* filter() const { return m_filter.get(); }
    kvLiveSet* liveSet() const { return m_live.get(); }

    // True while Box2D is stepping or a destruction is ending contacts.
    bool isBusy() const;

    // The body shares the definition's actor record: later changes through
    // the definition reach the body, and a definition used twice gives two
    // bodies one record, which lives as long as any of them.
    b2Body* createBody(b2BodyDef* def);
    // The body's record is let go first, so the contacts ended by the
    // destruction read actor id -1 for it.
    void destroyBody(b2Body* body, lua_State* L);
    // Likewise for the fixture record. The shape is copied by Box2D.
    b2Fixture* createFixture(b2Body* body, b2FixtureDef* def, const b2Shape* shape);
    void destroyFixture(b2Body* body, b2Fixture* fixture, lua_State* L);
    void setPositionAndAngle(b2Body* body, const b2Vec2& position, float angle);
    void step(float timeStep, int velocityIterations, int positionIterations, lua_State* L);

private:
    void requireIdle(int line) const;
    // A dynamic body without mass gets mass 1, so it falls as games expect.
    static void giveDefaultMass(b2Body* body);

    // Destroyed from the last up: the world before the listener and filter it
    // calls, those before the live set the listener reads (which views may
    // keep after the world is gone).
    Ref<kvLiveSet> m_live;
    std::unique_ptr<kvContactFilter> m_filter;
    std::unique_ptr<kvContactListener> m_listener;
    std::unique_ptr<b2World> m_world;
    int m_destroying = 0;
    // The fixtures of the body being destroyed, with their records.
    std::vector<std::pair<b2Fixture*, kvFixtureUserData*>> m_dyingFixtures;
};
