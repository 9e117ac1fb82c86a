#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "tests/engine/physics/PhysicsLua.h"
#include "tests/support/ScriptMisuse.h"

namespace {

class PhysicsModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(lua.run(kPhysicsSceneHelpers), ""); }
    PhysicsLua lua;
};

TEST_F(PhysicsModule, ConvertsUnitsBothWays)
{
    EXPECT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        local def = P.BodyDefinition.new()
        def:setType(2)
        def:setPosition(100, 50)
        def:setAngle(0.5)
        b = w:createBody(def)
        local px, py = b:position()
        expect(near(px, 100) and near(py, 50) and near(b:angle(), 0.5, 1e-6), "position", px, py, b:angle())
        -- worldCenter is in metres: 100 units are 2 m
        local cx, cy = b:worldCenter()
        expect(near(cx, 2, 1e-5) and near(cy, 1, 1e-5), "worldCenter", cx, cy)
        b:setAngularVelocity(math.pi)
        expect(near(b:angularVelocity(), 180), "angularVelocity", b:angularVelocity())
        b:setLinearVelocity(25, -75)
        local vx, vy = b:linearVelocity()
        expect(near(vx, 25) and near(vy, -75), "linearVelocity", vx, vy)
        b:setPositionAndAngle(-40, 10, 1.25)
        local qx, qy = b:position()
        expect(near(qx, -40) and near(qy, 10) and near(b:angle(), 1.25, 1e-6), "setPositionAndAngle", qx, qy)
        b:setAngularDamping(0.3)
        expect(near(b:angularDamping(), 0.3, 1e-6), "angularDamping", b:angularDamping())
        done()
    )"), "");
}

// What the module adds to Box2D's own rules: unknown types ignored, the
// awake flag, a mass of one without density, forces in scene units at a
// point in metres.
TEST_F(PhysicsModule, BodyTypesSleepMassAndForces)
{
    EXPECT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        local def = P.BodyDefinition.new()
        def:setType(2) def:setType(3) def:setType(-1)
        local moving = w:createBody(def)
        local sleeper = makeBody(w, 2, 2, 100, 2)
        addBox(sleeper, 5, 5)
        sleeper:setAwake(false)
        stepMany(w, 5)
        expect(near(select(2, sleeper:position()), 100, 1e-4), "asleep", select(2, sleeper:position()))
        expect(select(2, moving:position()) < -1, "still dynamic", select(2, moving:position()))

        -- Zero density: mass one, and it falls, even without any fixture.
        local b = makeBody(w, 2, 1000, 0, 3)
        expect(b:mass() == 1, "bare mass", b:mass())
        local fixture = addBox(b, 10, 10, 2, {1}, 0)
        expect(b:mass() == 1, "zero-density mass", b:mass())
        stepMany(w, 30)
        expect(select(2, b:position()) < -50, "falls", select(2, b:position()))
        b:destroyFixture(fixture)
        expect(b:mass() == 1, "mass without fixtures", b:mass())
        -- A real density gives Box2D's own mass: (0.4 m)^2 * 2.
        local heavy = makeBody(w, 2, 500, 0, 4)
        addBox(heavy, 10, 10, 2, {1}, 2)
        expect(near(heavy:mass(), 0.32, 1e-4), "mass", heavy:mass())

        w = P.World.new(0, 0, true)
        local through = makeBody(w, 2, 200, 0, 3)
        addBox(through, 5, 5)
        through:setAwake(false)
        local cx, cy = through:worldCenter()
        through:applyForce(1000, 0, cx, cy)
        local offCentre = makeBody(w, 2, 0, 500, 4)
        addBox(offCentre, 10, 10)
        cx, cy = offCentre:worldCenter()
        offCentre:applyForce(0, 100, cx + 0.1, cy)
        stepMany(w, 2)
        local dvx, dvy = through:linearVelocity()
        -- through the centre: woken, no turn; off it: counter-clockwise
        expect(dvx > 0 and near(dvy, 0, 1e-4) and near(through:angularVelocity(), 0), "through", dvx, dvy)
        expect(offCentre:angularVelocity() > 0, "torque", offCentre:angularVelocity())

        -- doSleep decides whether resting bodies sleep.
        for _, doSleep in ipairs({true, false}) do
          w = P.World.new(0, 0, doSleep)
          local b = makeBody(w, 2, 0, 0, 1)
          addBox(b, 5, 5)
          stepMany(w, 90)            -- well past Box2D's time to sleep
          w:setGravity(0, -500)      -- does not wake sleeping bodies
          stepMany(w, 10)
          local _, y = b:position()
          expect(doSleep and y == 0 or not doSleep and y < -1, "doSleep " .. tostring(doSleep), y)
        end
        done()
    )"), "");
}

TEST_F(PhysicsModule, ShapesFromVerticesAndTinyBoxesAndBadPolygonsOrOtherBodiesFixturesRefused)
{
    std::string out = lua.runCapturingErrors(R"(
        w = P.World.new(0, 0, true)
        b = makeBody(w, 2, 0, 0, 1)
        local function fixtureWith(shape)
          local fd = P.FixtureDefinition.new()
          if shape then fd:setShape(shape) end
          return b:createFixture(fd)
        end
        local empty = P.PolygonShape.new()
        local same = P.PolygonShape.new()
        for i = 1, 3 do same:addVertex(5, 5) end
        local line = P.PolygonShape.new()
        for i = 1, 4 do line:addVertex(i * 10, i * 10) end
        local many = P.PolygonShape.new()
        for i = 1, 9 do
          local a = i / 9 * 2 * math.pi
          many:addVertex(math.cos(a) * 50, math.sin(a) * 50)
        end
        -- table.maxn: 0 when no call gave a fixture
        local made = {fixtureWith(nil), fixtureWith(empty), fixtureWith(same), fixtureWith(line), fixtureWith(many)}
        expect(table.maxn(made) == 0, "refused", table.maxn(made))
        -- the body is unharmed and takes a good fixture afterwards
        expect(fixtureWith(P.CircleShape.new(10)) ~= nil, "good fixture")
        -- nor may it destroy another body's fixture
        local other = addBox(makeBody(w, 2, 100, 0, 2), 5, 5)
        b:destroyFixture(other)
        expect(other:fixtureID() == 2, "other kept")
        done()
    )");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 6) << out;
    EXPECT_NE(out.find("physics.Body.createFixture: assertion failed def->shape != nullptr ("), std::string::npos) << out;

    // Shapes from vertices, and tiny boxes.
    EXPECT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        floor = makeBody(w, 0, 0, 0, 1)
        addBox(floor, 300, 10)
        tri = makeBody(w, 2, 0, 100, 2)
        local shape = P.PolygonShape.new()
        -- clockwise on purpose: the hull puts it right
        shape:addVertex(-20, 0)
        shape:addVertex(0, 30)
        shape:addVertex(20, 0)
        local f = addFixture(tri, shape)
        expect(f:testPoint(0, 110) and not f:testPoint(18, 125), "triangle's points")
        stepMany(w, 180)
        -- Rests on the floor's top face (y = 10) instead of falling through.
        expect(near(select(2, tri:position()), 10, 1.5), "rests", select(2, tri:position()))

        local b = makeBody(w, 2, 0, 0, 3)
        local tiny = addBox(b, 0, 0, 0, {})
        -- 0.01 m is half a scene unit
        expect(near(b:mass(), 0.0004, 1e-6), "tiny mass", b:mass())
        expect(tiny:testPoint(0.45, 0.45) and not tiny:testPoint(0.55, 0), "tiny extent")
        done()
    )"), "");
}

TEST_F(PhysicsModule, DefinitionsShareTheirRecordsWithWhatTheyMake)
{
    EXPECT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        local def = P.BodyDefinition.new()
        expect(w:createBody(def):actorID() == 0, "initial actor")
        def:setActorID(7)
        local a = w:createBody(def)
        -- the body carries the definition's record: later changes reach it
        def:setActorID(8)
        expect(a:actorID() == 8, "actor after the definition changed", a:actorID())
        -- a definition used twice gives two bodies one record
        local b = w:createBody(def)
        b:addCollisionCategory(3)
        a:removeCollisionCategory(99)
        -- destroying one body leaves the record to the other and the definition
        w:destroyBody(a)
        def = nil
        collectgarbage()
        collectgarbage()
        expect(b:actorID() == 8, "shared record", b:actorID())

        local fd = P.FixtureDefinition.new()
        local circle = P.CircleShape.new(5)
        fd:setShape(circle)
        expect(b:createFixture(fd):fixtureID() == 0, "initial fixture id")
        fd:setFixtureID(4)
        fd:addCollisionMaskCategory(6)
        local f = b:createFixture(fd)
        local copy = P.FixtureDefinition.new(f)
        copy:setShape(circle)
        copy:setFixtureID(5)   -- a copy: f keeps its id
        local g = b:createFixture(copy)
        expect(f:fixtureID() == 4 and g:fixtureID() == 5, "fixture ids", f:fixtureID(), g:fixtureID())
        expect(g:body():actorID() == 8, "fixture's body")
        -- the shape is held by the definition: dropping it early is harmless
        local fd2 = P.FixtureDefinition.new()
        fd2:setShape(P.CircleShape.new(3))
        collectgarbage()
        collectgarbage()
        expect(b:createFixture(fd2) ~= nil, "shape kept by its definition")
        done()
    )"), "");
}

// Misuse never raises: one line naming the function and the problem, the
// neutral answer, and nothing changed.
TEST_F(PhysicsModule, MisuseIsOneLineNamingTheFunctionAndChangesNothing)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        gone = makeBody(w, 2, 0, 0, 1)
        goneFixture = addBox(gone, 5, 5)
        w:destroyBody(gone)
        -- a new body may reuse the memory; old views still know they are stale
        b = makeBody(w, 2, 30, 40, 2)
        f = addBox(b, 5, 5)
        local w2 = P.World.new(0, 0, true)
        orphan = makeBody(w2, 2, 0, 0, 3)
        w2 = nil
        collectgarbage()
        collectgarbage()
    )"), "");
    const ScriptMisuseCase cases[] = {
        {"gone:position()", "physics.Body.position: argument 1 is a Body that no longer exists", "0 0"},
        {"gone:actorID()", "physics.Body.actorID: argument 1 is a Body that no longer exists", "-1"},
        {"gone:linearVelocity()", "physics.Body.linearVelocity: argument 1 is a Body that no longer exists", "0 0"},
        {"gone:setLinearVelocity(5, 5)", "physics.Body.setLinearVelocity: argument 1 is a Body that no longer exists", ""},
        {"goneFixture:fixtureID()", "physics.Fixture.fixtureID: argument 1 is a Fixture that no longer exists", "-1"},
        {"goneFixture:testPoint(0, 0)", "physics.Fixture.testPoint: argument 1 is a Fixture that no longer exists", "false"},
        {"goneFixture:body()", "physics.Fixture.body: argument 1 is a Fixture that no longer exists", ""},
        {"w:destroyBody(gone)", "physics.World.destroyBody: argument 2 is a Body that no longer exists", ""},
        {"b:destroyFixture(goneFixture)", "physics.Body.destroyFixture: argument 2 is a Fixture that no longer exists", ""},
        {"orphan:mass()", "physics.Body.mass: argument 1 is a Body that no longer exists", "0"},
        {"P.Body.angle()", "physics.Body.angle: argument 1 must be a Body, not no value", "0"},
        {"P.Body.position('body')", "physics.Body.position: argument 1 must be a Body, not string", "0 0"},
        {"w:createBody(nil)", "physics.World.createBody: argument 2 must be a BodyDefinition, not nil", ""},
        {"P.World.step(b, 1/60, 8, 3)", "physics.World.step: argument 1 must be a World, not userdata", ""},
        {"b:createFixture(P.BodyDefinition.new())", "physics.Body.createFixture: argument 2 must be a FixtureDefinition, not userdata", ""},
        {"P.FixtureDefinition.new(42)", "physics.FixtureDefinition.new: argument 1 must be a Fixture, not number", "userdata"},
        {"P.FixtureDefinition.setShape(P.FixtureDefinition.new(), b)", "physics.FixtureDefinition.setShape: argument 2 must be a PolygonShape, not userdata", ""},
        {"(function() local d = P.BodyDefinition.new(); getmetatable(d).__gc(d); return d:setType(2) end)()", "physics.BodyDefinition.setType: argument 1 is a BodyDefinition that was already collected", ""},
        {"P.World.new(0, 0, true):destroyBody(b)", "physics.World.destroyBody: the body belongs to another world", ""},
        {"b:setPositionAndAngle(0, -1/0, 0)", "physics.Body.setPositionAndAngle: refused -inf (not a finite number)", ""},
        {"b:applyForce(1/0, 0, 0, 0)", "physics.Body.applyForce: refused inf (not a finite number)", ""},
        {"w:step(1/0, 8, 3)", "physics.World.step: refused inf (not a finite number)", ""},
        {"P.World.new(1/0, 0, true)", "physics.World.new: refused inf (not a finite number)", ""},
    };
    for (const ScriptMisuseCase& c : cases)
        expectMisuseAnswered(lua.L, c);
    EXPECT_EQ(lua.run(R"(
        local x, y = b:position()
        expect(near(x, 30) and near(y, 40) and b:linearVelocity() == 0 and f:fixtureID() == 2, "unchanged", x, y)
        stepMany(w, 2)
        done()
    )"), "");
}

}  // namespace
