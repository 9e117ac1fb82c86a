// A real Lua state with the standard libraries and the physics module, for
// the physics tests.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "engine/host/kv_lua.h"
#include "engine/physics/wrap_physics.h"
#include "tests/support/LuaChunk.h"

// Comparing float results needs a tolerance. expect() gathers what failed;
// done() raises it, so one chunk checks many things.
struct PhysicsLua : LuaTestState {
    PhysicsLua() : LuaTestState({luaopen_physics})
    {
        run("function near(a, b, eps) return math.abs(a - b) <= (eps or 1e-3) end "
            "failed = '' "
            "function expect(ok, what, ...) if not ok then "
            "  failed = failed .. what .. ' (' .. table.concat({...}, ' ') .. '); ' end end "
            "function done() local f = failed failed = '' if f ~= '' then error(f, 0) end end");
    }

    // Runs a chunk that must succeed; returns what it printed on standard error.
    std::string runCapturingErrors(const std::string& code)
    {
        testing::internal::CaptureStderr();
        std::string error = run(code);
        std::string output = testing::internal::GetCapturedStderr();
        EXPECT_EQ(error, "");
        return output;
    }
};

// Lua helpers shared by the scene tests: a static floor and falling boxes
// whose fixtures all carry id 2, so they collide and the script hears of it.
inline const char* kPhysicsSceneHelpers = R"lua(
P = physics
function makeBody(world, kind, x, y, actor, categories)
  local def = P.BodyDefinition.new()
  P.BodyDefinition.setType(def, kind)
  P.BodyDefinition.setPosition(def, x, y)
  P.BodyDefinition.setActorID(def, actor)
  for _, c in ipairs(categories or {1}) do P.BodyDefinition.addCollisionCategory(def, c) end
  return P.World.createBody(world, def)
end
function addFixture(body, shape, id, masks, density)
  local fd = P.FixtureDefinition.new(nil)
  P.FixtureDefinition.setShape(fd, shape)
  P.FixtureDefinition.setDensity(fd, density or 1)
  P.FixtureDefinition.setFixtureID(fd, id or 2)
  for _, m in ipairs(masks or {1}) do P.FixtureDefinition.addCollisionMaskCategory(fd, m) end
  return P.Body.createFixture(body, fd)
end
function addBox(body, hw, hh, id, masks, density)
  local shape = P.PolygonShape.new()
  P.PolygonShape.setAsBox(shape, hw, hh)
  return addFixture(body, shape, id, masks, density)
end
function stepMany(world, n)
  for i = 1, n do P.World.step(world, 1/60, 8, 3) end
end
)lua";
