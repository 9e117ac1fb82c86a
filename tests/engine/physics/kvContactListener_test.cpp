#include <string>

#include <gtest/gtest.h>

#include "engine/physics/kvContactListener.h"
#include "engine/physics/kvPhysicsUserdata.h"
#include "engine/physics/kvPhysicsWorld.h"
#include "tests/engine/physics/PhysicsLua.h"

namespace {

// Records every collision call as "began a b" / "ended a b", naming each
// fixture by its body's actor id.
const char* kRecorder = R"lua(
calls = {}
local function name(f)
  return tostring(f:body():actorID())
end
function fixtureCollisionBegan(a, b)
  calls[#calls + 1] = "began " .. name(a) .. " " .. name(b)
end
function fixtureCollisionEnded(a, b)
  calls[#calls + 1] = "ended " .. name(a) .. " " .. name(b)
end
function callList() return table.concat(calls, ", ") end
-- A box (actor 2) over a floor (actor 1), both of fixture id `id`.
function floorAndBox(id)
  w = P.World.new(0, -500, true)
  floor = makeBody(w, 0, 0, 0, 1)
  floorFixture = addBox(floor, 300, 10, id)
  box = makeBody(w, 2, 0, 40, 2)
  boxFixture = addBox(box, 10, 10, id)
end
-- Puts the box at height y, awake (moving a sleeping body does not wake
-- it), and steps.
function moveBox(y, steps)
  box:setPositionAndAngle(0, y, 0)
  box:setAwake(true)
  stepMany(w, steps)
end
)lua";

class ContactListener : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(lua.run(kPhysicsSceneHelpers), "");
        ASSERT_EQ(lua.run(kRecorder), "");
    }

    std::string calls() { return lua.eval("callList()"); }

    void* userdataPointer(const char* global)
    {
        lua_getglobal(lua.L, global);
        void* p = lua_touserdata(lua.L, -1);
        lua_pop(lua.L, 1);
        return p;
    }

    kvPhysicsWorld* world(const char* global)
    {
        return static_cast<kvPhysicsWorld*>(static_cast<kvOwnedBox*>(userdataPointer(global))->pointer);
    }

    PhysicsLua lua;
};

TEST_F(ContactListener, OneBeganAndOneEndedPerPairWithASensorAndFailingFunctionsDoNotStopTheStep)
{
    // Fixture id 1 everywhere: the bodies collide but carry no sensor.
    ASSERT_EQ(lua.run(R"(
        floorAndBox(1)
        stepMany(w, 120)
        expect(near(select(2, box:position()), 20, 1), "landed on the floor", select(2, box:position()))
        moveBox(400, 2)
        done()
    )"), "");
    EXPECT_EQ(calls(), "");

    // A sensor elsewhere on both bodies makes their id-1 fixtures count.
    ASSERT_EQ(lua.run(R"(
        addBox(floor, 1, 1, 2, {})
        addBox(box, 1, 1, 2, {})
        moveBox(40, 120)
    )"), "");
    std::string landed = calls();
    EXPECT_TRUE(landed == "began 1 2" || landed == "began 2 1") << landed;

    // Sensors (id 2) alone: one began and one ended per pair.
    ASSERT_EQ(lua.run("calls = {} floorAndBox() stepMany(w, 120)"), "");
    landed = calls();
    ASSERT_TRUE(landed == "began 1 2" || landed == "began 2 1") << landed;
    EXPECT_EQ(lua.run("moveBox(400, 2)"), "");
    EXPECT_EQ(calls(), landed + ", ended " + landed.substr(6));

    // No ended function and a began function that fails: both boxes land,
    // each collision is offered to the script, each failure told.
    std::string err = lua.runCapturingErrors(R"(
        fixtureCollisionEnded = nil
        function fixtureCollisionBegan(a, b)
          count = (count or 0) + 1
          error("boom in began")
        end
        other = makeBody(w, 2, 200, 40, 3)
        addBox(other, 10, 10)
        moveBox(40, 120)
        local _, otherY = other:position()
        local _, boxY = box:position()
        expect(count == 2 and near(otherY, 20, 1) and near(boxY, 20, 1), "landed", count, otherY, boxY)
        moveBox(400, 2)
        done()
    )");
    EXPECT_NE(err.find("boom in began"), std::string::npos) << err;
    EXPECT_EQ(lua_gettop(lua.L), 0);
}

TEST_F(ContactListener, RepeatedBeginsAreCountedTheFirstOrderKeptAndADestroyedBodyReadsActorMinusOne)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        a = addBox(makeBody(w, 2, 0, 0, 1), 5, 5)
        b = addBox(makeBody(w, 2, 500, 0, 2), 5, 5)
    )"), "");
    kvContactListener* listener = world("w")->listener();
    auto* a = static_cast<b2Fixture*>(static_cast<kvObjectView*>(userdataPointer("a"))->object);
    auto* b = static_cast<b2Fixture*>(static_cast<kvObjectView*>(userdataPointer("b"))->object);

    listener->fixturesBegan(a, b);
    listener->fixturesBegan(b, a);
    listener->fixturesEnded(a, b);
    EXPECT_EQ(calls(), "began 1 2");
    listener->fixturesEnded(b, a);
    EXPECT_EQ(calls(), "began 1 2, ended 1 2");

    // Recorded as (B, A), reported later as (A, B): ends as (B, A).
    listener->fixturesBegan(b, a);
    listener->fixturesEnded(a, b);
    EXPECT_EQ(calls(), "began 1 2, ended 1 2, began 2 1, ended 2 1");
    // An end without a begin says nothing.
    listener->fixturesEnded(a, b);
    EXPECT_EQ(calls(), "began 1 2, ended 1 2, began 2 1, ended 2 1");

    // A destroyed body reads actor -1 inside the ended function.
    ASSERT_EQ(lua.run(R"(
        floorAndBox(2)
        stepMany(w, 120)
        seen = {}
        function fixtureCollisionEnded(a, b)
          seen.viewID = box:actorID()
          seen.ids = a:body():actorID() + b:body():actorID()
          seen.fixtureIDs = a:fixtureID() + b:fixtureID()
        end
        w:destroyBody(box)
    )"), "");
    // The actor ids: 1 + (-1).
    EXPECT_EQ(lua.eval("seen.viewID .. ' ' .. seen.ids .. ' ' .. seen.fixtureIDs"), "-1 0 4");
    EXPECT_EQ(lua.run("stepMany(w, 2)"), "");
    EXPECT_TRUE(world("w")->listener()->pairs().empty());
}

TEST_F(ContactListener, ChangesFromCollisionFunctionsAreReportedAndTheWorldKeepsStepping)
{
    ASSERT_EQ(lua.run(R"(
        floorAndBox()
        faller = makeBody(w, 2, 1000, 0, 3)
        function fixtureCollisionBegan(a, b)
          made = w:createBody(P.BodyDefinition.new())
          w:destroyBody(box)
          box:destroyFixture(boxFixture)
          floor:createFixture(P.FixtureDefinition.new())
          box:setPositionAndAngle(0, 500, 0)
          w:step(1/60, 8, 3)
          began = (began or 0) + 1
        end
    )"), "");
    std::string out = lua.runCapturingErrors(R"(
        stepMany(w, 120)
        expect(began == 1 and not made, "one began, nothing made", began)
        -- Everything is still there and the world goes on.
        expect(box:actorID() == 2 and boxFixture:fixtureID() == 2, "box kept")
        local _, before = faller:position()
        stepMany(w, 10)
        expect(select(2, faller:position()) < before, "still falling")
        w:destroyBody(box)
        done()
    )");
    int reports = 0;
    for (size_t at = 0; (at = out.find("assertion failed IsLocked() == false", at)) != std::string::npos; ++at)
        ++reports;
    EXPECT_EQ(reports, 6) << out;
}

}  // namespace
