#include "engine/physics/kvContactListener.h"

#include <cstdio>
#include <string>

#include "engine/physics/kvFixtureUserData.h"
#include "engine/physics/kvLiveSet.h"
#include "engine/physics/kvPhysicsUserdata.h"

namespace {

bool isSensorFixture(b2Fixture* fixture)
{
    const kvFixtureUserData* record = kvFixtureUserData::of(fixture);
    return record && record->fixtureID == kvFixtureUserData::kSensorFixtureID;
}

// Only sensors, or fixtures of bodies that carry a sensor, are worth telling
// the script about.
bool qualifies(b2Fixture* fixture)
{
    if (isSensorFixture(fixture))
        return true;
    for (b2Fixture* f = fixture->GetBody()->GetFixtureList(); f; f = f->GetNext()) {
        if (isSensorFixture(f))
            return true;
    }
    return false;
}

struct ScriptCall {
    const char* function;
    b2Fixture* a;
    b2Fixture* b;
    kvLiveSet* live;
    std::string error;
};

// Runs under lua_cpcall so that nothing the Lua side raises (even running out
// of memory while pushing the arguments) can unwind through Box2D.
int runScriptCall(lua_State* L)
{
    auto* call = static_cast<ScriptCall*>(lua_touserdata(L, 1));
    lua_getglobal(L, call->function);
    if (lua_isnil(L, -1))
        return 0;
    kvPushFixture(L, call->a, call->live);
    kvPushFixture(L, call->b, call->live);
    if (lua_pcall(L, 2, 0, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        call->error = message ? message : "(error object is not a string)";
    }
    return 0;
}

}  // namespace

kvContactListener::kvContactListener(lua_State* L, kvLiveSet* live)
    : m_L(L), m_live(live)
{
}

void kvContactListener::BeginContact(b2Contact* contact)
{
    fixturesBegan(contact->GetFixtureA(), contact->GetFixtureB());
}

void kvContactListener::EndContact(b2Contact* contact)
{
    fixturesEnded(contact->GetFixtureA(), contact->GetFixtureB());
}

void kvContactListener::fixturesBegan(b2Fixture* a, b2Fixture* b)
{
    // Box2D is on the stack: nothing may be thrown back into it.
    try {
        if (!qualifies(a) || !qualifies(b))
            return;
        auto it = m_pairs.find({a, b});
        if (it == m_pairs.end())
            it = m_pairs.find({b, a});
        if (it != m_pairs.end()) {
            ++it->second;
            return;
        }
        callScript("fixtureCollisionBegan", a, b);
        m_pairs[{a, b}] = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "physics: collision begin dropped: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "physics: collision begin dropped\n");
    }
}

void kvContactListener::fixturesEnded(b2Fixture* a, b2Fixture* b)
{
    try {
        auto it = m_pairs.find({a, b});
        if (it == m_pairs.end())
            it = m_pairs.find({b, a});
        if (it == m_pairs.end())
            return;
        if (it->second > 1) {
            --it->second;
            return;
        }
        FixturePair pair = it->first;
        m_pairs.erase(it);
        callScript("fixtureCollisionEnded", pair.first, pair.second);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "physics: collision end dropped: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "physics: collision end dropped\n");
    }
}

void kvContactListener::forgetFixture(const b2Fixture* fixture)
{
    for (auto it = m_pairs.begin(); it != m_pairs.end();) {
        if (it->first.first == fixture || it->first.second == fixture)
            it = m_pairs.erase(it);
        else
            ++it;
    }
}

void kvContactListener::callScript(const char* function, b2Fixture* a, b2Fixture* b)
{
    if (!m_L)
        return;
    ScriptCall call{function, a, b, m_live, {}};
    int top = lua_gettop(m_L);
    int status = lua_cpcall(m_L, runScriptCall, &call);
    if (status != 0 && call.error.empty()) {
        const char* message = lua_tostring(m_L, -1);
        call.error = message ? message : "(no message)";
    }
    lua_settop(m_L, top);
    // A failing collision function must not stop the step, but it should not
    // fail in silence either.
    if (!call.error.empty())
        std::fprintf(stderr, "physics: %s failed: %s\n", function, call.error.c_str());
}
