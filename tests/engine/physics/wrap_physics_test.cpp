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

TEST_F(PhysicsModule, RegistersSevenClassesAndTheirMetatables)
{
    ASSERT_EQ(lua.run(R"(
        names = {}
        for _, c in ipairs({"World", "BodyDefinition", "Body", "FixtureDefinition", "Fixture",
                            "PolygonShape", "CircleShape"}) do
          assert(type(physics[c]) == "table", c)
          local mt = debug.getregistry()["physics." .. (c == "BodyDefinition" and "BodyDef"
                      or c == "FixtureDefinition" and "FixtureDef" or c) .. "MT"]
          assert(mt and mt.__index == physics[c], c)
        end
        local w = physics.World.new(0, 0, true)
        assert(getmetatable(w) == debug.getregistry()["physics.WorldMT"])
        assert(w.step == physics.World.step)
    )"), "");
}

TEST_F(PhysicsModule, ConvertsUnitsBothWays)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        local def = P.BodyDefinition.new()
        def:setType(2)
        def:setPosition(100, 50)
        def:setAngle(0.5)
        b = w:createBody(def)
        px, py = b:position()
        angle = b:angle()
        -- worldCenter is in metres: 100 units are 2 m
        cx, cy = b:worldCenter()
        b:setAngularVelocity(math.pi)
        av = b:angularVelocity()
        b:setLinearVelocity(25, -75)
        vx, vy = b:linearVelocity()
        b:setPositionAndAngle(-40, 10, 1.25)
        qx, qy = b:position()
        qa = b:angle()
        b:setAngularDamping(0.3)
        damping = b:angularDamping()
    )"), "");
    EXPECT_NEAR(lua.number("px"), 100.0, 1e-3);
    EXPECT_NEAR(lua.number("py"), 50.0, 1e-3);
    EXPECT_NEAR(lua.number("angle"), 0.5, 1e-6);
    EXPECT_NEAR(lua.number("cx"), 2.0, 1e-5);
    EXPECT_NEAR(lua.number("cy"), 1.0, 1e-5);
    EXPECT_NEAR(lua.number("av"), 180.0, 1e-3);
    EXPECT_NEAR(lua.number("vx"), 25.0, 1e-3);
    EXPECT_NEAR(lua.number("vy"), -75.0, 1e-3);
    EXPECT_NEAR(lua.number("qx"), -40.0, 1e-3);
    EXPECT_NEAR(lua.number("qy"), 10.0, 1e-3);
    EXPECT_NEAR(lua.number("qa"), 1.25, 1e-6);
    EXPECT_NEAR(lua.number("damping"), 0.3, 1e-6);
}

TEST_F(PhysicsModule, SetTypeIgnoresUnknownTypes)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        local def = P.BodyDefinition.new()
        def:setType(2)
        def:setType(3)
        def:setType(-1)
        moving = w:createBody(def)
        local def2 = P.BodyDefinition.new()
        def2:setType(3)
        still = w:createBody(def2)
        stepMany(w, 10)
        _, movingY = moving:position()
        _, stillY = still:position()
        stillMass = still:mass()
    )"), "");
    EXPECT_LT(lua.number("movingY"), -1.0);   // still dynamic
    EXPECT_EQ(lua.number("stillY"), 0.0);      // still static
    EXPECT_EQ(lua.number("stillMass"), 0.0);
}

TEST_F(PhysicsModule, LinearVelocityOnStaticAndSleepingBodies)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        ground = makeBody(w, 0, 0, 0, 1)
        ground:setLinearVelocity(100, 0)
        gvx, gvy = ground:linearVelocity()

        -- A sleeping body ignores gravity until something wakes it.
        sleeper = makeBody(w, 2, 0, 100, 2)
        addBox(sleeper, 5, 5)
        sleeper:setAwake(false)
        sleeper:setLinearVelocity(0, 0)
        stepMany(w, 5)
        _, stillY = sleeper:position()
        sleeper:setLinearVelocity(50, 0)
        stepMany(w, 5)
        movedX, movedY = sleeper:position()
        _, groundY = ground:position()
    )"), "");
    EXPECT_EQ(lua.number("gvx"), 0.0);
    EXPECT_EQ(lua.number("gvy"), 0.0);
    EXPECT_EQ(lua.number("groundY"), 0.0);
    EXPECT_NEAR(lua.number("stillY"), 100.0, 1e-4);
    EXPECT_GT(lua.number("movedX"), 1.0);
    EXPECT_LT(lua.number("movedY"), 99.0);
}

TEST_F(PhysicsModule, ApplyForceMovesOnlyDynamicBodiesAndWakesThem)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        kinematic = makeBody(w, 1, 0, 0, 1)
        static = makeBody(w, 0, 100, 0, 2)
        dynamic = makeBody(w, 2, 200, 0, 3)
        addBox(dynamic, 5, 5)
        dynamic:setAwake(false)
        for _, b in ipairs({kinematic, static, dynamic}) do
          local cx, cy = b:worldCenter()
          b:applyForce(1000, 0, cx, cy)
        end
        stepMany(w, 2)
        kvx, kvy = kinematic:linearVelocity()
        kx = kinematic:position()
        svx = static:linearVelocity()
        sx = static:position()
        dvx, dvy = dynamic:linearVelocity()
        dav = dynamic:angularVelocity()
    )"), "");
    EXPECT_EQ(lua.number("kvx"), 0.0);
    EXPECT_EQ(lua.number("kx"), 0.0);
    EXPECT_EQ(lua.number("svx"), 0.0);
    EXPECT_EQ(lua.number("sx"), 100.0);
    EXPECT_GT(lua.number("dvx"), 0.0);
    EXPECT_NEAR(lua.number("dvy"), 0.0, 1e-4);
    EXPECT_NEAR(lua.number("dav"), 0.0, 1e-3);  // the force went through the centre
}

TEST_F(PhysicsModule, ApplyForceOffCentreAddsTorque)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        b = makeBody(w, 2, 0, 0, 1)
        addBox(b, 10, 10)
        local cx, cy = b:worldCenter()
        b:applyForce(0, 100, cx + 0.1, cy)   -- the point is in metres
        stepMany(w, 1)
        av = b:angularVelocity()
    )"), "");
    EXPECT_GT(lua.number("av"), 0.0);  // counter-clockwise
}

TEST_F(PhysicsModule, ZeroDensityDynamicBodyHasMassOneAndFalls)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        b = makeBody(w, 2, 0, 0, 1)
        bareMass = b:mass()
        local fixture = addBox(b, 10, 10, 2, {1}, 0)
        boxMass = b:mass()
        stepMany(w, 30)
        _, y = b:position()
        -- Destroying the last fixture leaves a dynamic body that still falls.
        b:destroyFixture(fixture)
        afterMass = b:mass()
        heavy = makeBody(w, 2, 500, 0, 2)
        addBox(heavy, 10, 10, 2, {1}, 2)
        heavyMass = heavy:mass()
    )"), "");
    EXPECT_EQ(lua.number("bareMass"), 1.0);
    EXPECT_EQ(lua.number("boxMass"), 1.0);
    EXPECT_LT(lua.number("y"), -50.0);
    EXPECT_EQ(lua.number("afterMass"), 1.0);
    // A real density gives Box2D's own mass: (0.4 m)^2 * 2.
    EXPECT_NEAR(lua.number("heavyMass"), 0.32, 1e-4);
}

TEST_F(PhysicsModule, DoSleepDecidesWhetherRestingBodiesSleep)
{
    const char* scene = R"(
        w = P.World.new(0, 0, %s)
        b = makeBody(w, 2, 0, 0, 1)
        addBox(b, 5, 5)
        stepMany(w, 90)            -- well past Box2D's time to sleep
        w:setGravity(0, -500)      -- does not wake sleeping bodies
        stepMany(w, 10)
        _, y = b:position()
    )";
    char code[1024];
    std::snprintf(code, sizeof code, scene, "true");
    ASSERT_EQ(lua.run(code), "");
    EXPECT_EQ(lua.number("y"), 0.0);
    std::snprintf(code, sizeof code, scene, "false");
    ASSERT_EQ(lua.run(code), "");
    EXPECT_LT(lua.number("y"), -1.0);
}

TEST_F(PhysicsModule, SameSceneSteppedTwiceEndsInIdenticalPositions)
{
    ASSERT_EQ(lua.run(R"(
        function scene()
          local w = P.World.new(0, -500, true)
          local floor = makeBody(w, 0, 0, 0, 1)
          addBox(floor, 300, 10)
          local bodies = {}
          for i = 1, 6 do
            local b = makeBody(w, 2, (i - 3) * 17, 40 + i * 25, 10 + i)
            addBox(b, 8, 8, 2, {1}, 1)
            b:setAngularVelocity(i * 0.3)
            bodies[i] = b
          end
          stepMany(w, 240)
          local out = {}
          for i, b in ipairs(bodies) do
            local x, y = b:position()
            out[#out + 1] = string.format("%.9g %.9g %.9g", x, y, b:angle())
          end
          return table.concat(out, ";")
        end
        first = scene()
        collectgarbage()
        second = scene()
    )"), "");
    EXPECT_EQ(lua.string("first"), lua.string("second"));
    EXPECT_NE(lua.string("first").find(';'), std::string::npos);
}

TEST_F(PhysicsModule, PolygonFromVerticesIsCompletedAndCollides)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        floor = makeBody(w, 0, 0, 0, 1)
        addBox(floor, 300, 10)
        tri = makeBody(w, 2, 0, 100, 2)
        local shape = P.PolygonShape.new()
        -- clockwise on purpose: the hull puts it right
        shape:addVertex(-20, 0)
        shape:addVertex(0, 30)
        shape:addVertex(20, 0)
        local fd = P.FixtureDefinition.new(nil)
        fd:setShape(shape)
        fd:setDensity(1)
        fd:setFixtureID(2)
        fd:addCollisionMaskCategory(1)
        f = tri:createFixture(fd)
        inside = f:testPoint(0, 110)
        outside = f:testPoint(18, 125)
        stepMany(w, 180)
        _, restY = tri:position()
    )"), "");
    EXPECT_TRUE(lua.boolean("inside"));
    EXPECT_FALSE(lua.boolean("outside"));
    // Rests on the floor's top face (y = 10) instead of falling through.
    EXPECT_NEAR(lua.number("restY"), 10.0, 1.5);
}

TEST_F(PhysicsModule, BadPolygonsAndShapelessDefinitionsAreRefused)
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
        results = {fixtureWith(nil), fixtureWith(empty), fixtureWith(same),
                   fixtureWith(line), fixtureWith(many)}
        count = 0
        for i = 1, 5 do if results[i] ~= nil then count = count + 1 end end
        -- the body is unharmed and takes a good fixture afterwards
        good = fixtureWith(P.CircleShape.new(10)) ~= nil
    )");
    EXPECT_EQ(lua.number("count"), 0.0);
    EXPECT_TRUE(lua.boolean("good"));
    int lines = 0;
    for (char c : out)
        lines += c == '\n';
    EXPECT_EQ(lines, 5) << out;
    EXPECT_NE(out.find("physics.Body.createFixture: assertion failed def->shape != nullptr ("), std::string::npos) << out;
    EXPECT_NE(out.find("assertion failed 3 <= count && count <= b2_maxPolygonVertices"), std::string::npos) << out;
}

TEST_F(PhysicsModule, SetAsBoxRaisesTinyHalfExtents)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        b = makeBody(w, 2, 0, 0, 1)
        local shape = P.PolygonShape.new()
        shape:setAsBox(0, 0)
        local fd = P.FixtureDefinition.new(nil)
        fd:setShape(shape)
        fd:setDensity(1)
        f = b:createFixture(fd)
        mass = b:mass()
        -- 0.01 m is half a scene unit
        inCorner = f:testPoint(0.45, 0.45)
        outside = f:testPoint(0.55, 0)
    )"), "");
    EXPECT_NEAR(lua.number("mass"), 0.0004, 1e-6);
    EXPECT_TRUE(lua.boolean("inCorner"));
    EXPECT_FALSE(lua.boolean("outside"));
}

TEST_F(PhysicsModule, DefinitionsShareTheirRecordsWithWhatTheyMake)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, 0, true)
        local def = P.BodyDefinition.new()
        initialActor = w:createBody(def):actorID()
        def:setActorID(7)
        a = w:createBody(def)
        -- the body carries the definition's record: later changes reach it
        def:setActorID(8)
        afterDef = a:actorID()
        -- a definition used twice gives two bodies one record
        b = w:createBody(def)
        b:addCollisionCategory(3)
        a:removeCollisionCategory(99)
        -- destroying one body leaves the record to the other and the definition
        w:destroyBody(a)
        def = nil
        collectgarbage()
        collectgarbage()
        bID = b:actorID()

        local fd = P.FixtureDefinition.new()
        local circle = P.CircleShape.new(5)
        fd:setShape(circle)
        initialFixture = b:createFixture(fd):fixtureID()
        fd:setFixtureID(4)
        fd:addCollisionMaskCategory(6)
        f = b:createFixture(fd)
        copy = P.FixtureDefinition.new(f)
        copy:setShape(circle)
        copy:setFixtureID(5)   -- a copy: f keeps its id
        g = b:createFixture(copy)
        fID, gID = f:fixtureID(), g:fixtureID()
        same = g:body():actorID()
        -- the shape is held by the definition: dropping it early is harmless
        local fd2 = P.FixtureDefinition.new()
        fd2:setShape(P.CircleShape.new(3))
        collectgarbage()
        collectgarbage()
        late = b:createFixture(fd2) ~= nil
    )"), "");
    EXPECT_EQ(lua.number("initialActor"), 0.0);
    EXPECT_EQ(lua.number("initialFixture"), 0.0);
    EXPECT_EQ(lua.number("afterDef"), 8.0);
    EXPECT_EQ(lua.number("bID"), 8.0);
    EXPECT_EQ(lua.number("fID"), 4.0);
    EXPECT_EQ(lua.number("gID"), 5.0);
    EXPECT_EQ(lua.number("same"), 8.0);
    EXPECT_TRUE(lua.boolean("late"));
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
    ASSERT_EQ(lua.run(R"(
        x, y = b:position()
        vx = b:linearVelocity()
        fixtureID = f:fixtureID()
        stepMany(w, 2)
    )"), "");
    EXPECT_NEAR(lua.number("x"), 30.0, 1e-3);
    EXPECT_NEAR(lua.number("y"), 40.0, 1e-3);
    EXPECT_EQ(lua.number("vx"), 0.0);
    EXPECT_EQ(lua.number("fixtureID"), 2.0);
}

// A game may still hold a body it destroyed and touch it from a collision
// function: every call answers, and the function runs to its end.
TEST_F(PhysicsModule, ACollisionFunctionRunsPastCallsOnADestroyedBody)
{
    ASSERT_EQ(lua.run(R"(
        w = P.World.new(0, -500, true)
        floor = makeBody(w, 0, 0, 0, 1)
        addBox(floor, 300, 10)
        gone = makeBody(w, 2, 500, 0, 2)
        goneFixture = addBox(gone, 5, 5)
        w:destroyBody(gone)
        faller = makeBody(w, 2, 0, 40, 3)
        addBox(faller, 10, 10)
        function fixtureCollisionBegan(a, b)
          local x, y = gone:position()
          local id = gone:actorID() + goneFixture:fixtureID()
          gone:setLinearVelocity(x + 1, y + 1)
          gone:applyForce(1, 1, 0, 0)
          gone:addCollisionCategory(4)
          w:destroyBody(gone)
          local body = goneFixture:body()
          reached = id
        end
    )"), "");
    testing::internal::CaptureStderr();
    ASSERT_EQ(lua.run("stepMany(w, 120)"), "");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lua.number("reached"), -2.0);
    EXPECT_EQ(err.find("failed"), std::string::npos) << err;
    for (const char* function : {"Body.position", "Body.actorID", "Fixture.fixtureID", "Body.setLinearVelocity",
                                 "Body.applyForce", "Body.addCollisionCategory", "World.destroyBody", "Fixture.body"})
        EXPECT_NE(err.find(std::string("physics.") + function + ": argument"), std::string::npos) << function;
}

TEST_F(PhysicsModule, DestroyFixtureOfAnotherBodyIsRefused)
{
    std::string out = lua.runCapturingErrors(R"(
        w = P.World.new(0, 0, true)
        a = makeBody(w, 2, 0, 0, 1)
        b = makeBody(w, 2, 100, 0, 2)
        fb = addBox(b, 5, 5)
        a:destroyFixture(fb)
        stillThere = fb:fixtureID()
    )");
    EXPECT_NE(out.find("physics.Body.destroyFixture: assertion failed fixture->m_body == this"), std::string::npos) << out;
    EXPECT_EQ(lua.number("stillThere"), 2.0);
}

}  // namespace
