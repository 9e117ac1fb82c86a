// Tells the engine script when two fixtures begin and end touching, once per
// fixture pair however often Box2D reports the pair, and with the same
// argument order both times.
#pragma once

#include <box2d/box2d.h>

#include "engine/host/kv_lua.h"
#include "engine/physics/kvFixturePairTable.h"

class kvLiveSet;

class kvContactListener : public b2ContactListener {
public:
    // The live set belongs to the world, which outlives its listener.
    kvContactListener(lua_State* L, kvLiveSet* live);
    ~kvContactListener() override = default;

    void BeginContact(b2Contact* contact) override;
    void EndContact(b2Contact* contact) override;

    // What BeginContact and EndContact do with the contact's two fixtures.
    void fixturesBegan(b2Fixture* a, b2Fixture* b);
    void fixturesEnded(b2Fixture* a, b2Fixture* b);

    // Drops the pairs of a fixture that no longer exists, without telling the script.
    void forgetFixture(const b2Fixture* fixture);

    // Callbacks run on the Lua thread that is stepping or changing the world.
    void setLuaState(lua_State* L) { m_L = L; }
    lua_State* luaState() const { return m_L; }

    const kvFixturePairTable& pairs() const { return m_pairs; }
    kvFixturePairTable& pairs() { return m_pairs; }

    // Keeps in the Lua state what every collision call needs, so that a call
    // makes no closure and no string. Done by the physics module's opener.
    static void prepareLuaState(lua_State* L);

private:
    void callScript(bool ended, b2Fixture* a, b2Fixture* b);

    kvFixturePairTable m_pairs;
    lua_State* m_L;
    kvLiveSet* m_live;
};
