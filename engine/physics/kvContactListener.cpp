#include "engine/physics/kvContactListener.h"

#include <string>

#include "engine/host/KVScriptMisuse.h"
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

const char* const kBegan = "fixtureCollisionBegan";
const char* const kEnded = "fixtureCollisionEnded";
// What their failures are told under: the step or destroy that ran them is
// not known here.
const char* const kBeganName = "physics.fixtureCollisionBegan";
const char* const kEndedName = "physics.fixtureCollisionEnded";

// The registry key of the closure that makes the call.
char callerKey;

struct ScriptCall {
    bool ended;
    b2Fixture* a;
    b2Fixture* b;
    kvLiveSet* live;
    std::string error;
};

// Runs under lua_pcall so that nothing the Lua side raises (even running out
// of memory while pushing the arguments) can unwind through Box2D. Its
// upvalues are the two function names.
int runScriptCall(lua_State* L)
{
    auto* call = static_cast<ScriptCall*>(lua_touserdata(L, 1));
    if (!call || lua_type(L, 1) != LUA_TLIGHTUSERDATA)
        return 0;
    lua_pushvalue(L, lua_upvalueindex(call->ended ? 2 : 1));
    lua_gettable(L, LUA_GLOBALSINDEX);
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
        if (kvFixturePairTable::Entry* entry = m_pairs.find(a, b)) {
            ++entry->count;
            return;
        }
        callScript(false, a, b);
        m_pairs.insert(a, b);
    } catch (const std::exception& e) {
        KVReportMisuse(kBeganName, "not called: %s", e.what());
    } catch (...) {
        KVReportMisuse(kBeganName, "not called");
    }
}

void kvContactListener::fixturesEnded(b2Fixture* a, b2Fixture* b)
{
    try {
        kvFixturePairTable::Entry* entry = m_pairs.find(a, b);
        if (!entry)
            return;
        if (entry->count > 1) {
            --entry->count;
            return;
        }
        // The order the script was first told.
        b2Fixture* first = entry->first;
        b2Fixture* second = entry->second;
        m_pairs.erase(entry);
        callScript(true, first, second);
    } catch (const std::exception& e) {
        KVReportMisuse(kEndedName, "not called: %s", e.what());
    } catch (...) {
        KVReportMisuse(kEndedName, "not called");
    }
}

void kvContactListener::forgetFixture(const b2Fixture* fixture)
{
    m_pairs.eraseFixture(fixture);
}

void kvContactListener::prepareLuaState(lua_State* L)
{
    lua_pushlightuserdata(L, &callerKey);
    lua_pushstring(L, kBegan);
    lua_pushstring(L, kEnded);
    lua_pushcclosure(L, runScriptCall, 2);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

void kvContactListener::callScript(bool ended, b2Fixture* a, b2Fixture* b)
{
    if (!m_L)
        return;
    const char* function = ended ? kEndedName : kBeganName;
    ScriptCall call{ended, a, b, m_live, {}};
    if (!lua_checkstack(m_L, 2)) {
        KVReportMisuse(function, "not called: the Lua stack is full");
        return;
    }
    int top = lua_gettop(m_L);
    lua_pushlightuserdata(m_L, &callerKey);
    lua_rawget(m_L, LUA_REGISTRYINDEX);
    lua_pushlightuserdata(m_L, &call);
    int status = lua_pcall(m_L, 1, 0, 0);
    if (status != 0 && call.error.empty()) {
        const char* message = lua_tostring(m_L, -1);
        call.error = message ? message : "(no message)";
    }
    lua_settop(m_L, top);
    // A failing collision function must not stop the step, but it should not
    // fail in silence either.
    if (!call.error.empty())
        KVReportMisuse(function, "failed: %s", call.error.c_str());
}
