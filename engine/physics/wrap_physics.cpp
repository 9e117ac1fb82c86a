// The "physics" script module: Box2D worlds, bodies, fixtures and shapes in
// scene units (50 per metre). Bindings only check, call and push; Box2D's
// assertion failures are misuse lines and the call returns nothing. Misuse (a
// body or fixture that no longer exists, a value of the wrong kind) is one
// line and nothing changed: getters answer 0, -1 for identifiers, false,
// or nothing for objects, so a collision function runs to its end.
#include "engine/physics/wrap_physics.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>

#include <box2d/box2d.h>

#include "engine/host/KVBinding.h"
#include "engine/physics/kvActorUserData.h"
#include "engine/physics/kvContactListener.h"
#include "engine/physics/kvFixtureUserData.h"
#include "engine/physics/kvLiveSet.h"
#include "engine/physics/kvPhysicsUserdata.h"
#include "engine/physics/kvPhysicsWorld.h"
#include "engine/physics/kvPolygonShape.h"
#include "engine/physics/kvRecordSlot.h"

namespace {

constexpr float kMetresPerUnit = 0.02f;
constexpr float kUnitsPerMetre = 50.0f;

// Calls into Box2D. Its assertion is one misuse line naming the function
// and the check Box2D made, and the function returns no results (dropping
// one it had pushed already). Other C++ failures are the binding runtime's.
template <typename F>
int box2dCall(const char* function, F&& work)
{
    try {
        return work();
    } catch (const b2Exception& e) {
        const char* file = e.file ? e.file : "?";
        const char* slash = std::strrchr(file, '/');
        KVReportMisuse(function, "assertion failed %s (%s:%d)", e.expression ? e.expression : "?",
                       slash ? slash + 1 : file, e.line);
    }
    return 0;
}

float number(lua_State* L, int index)
{
    return static_cast<float>(lua_tonumber(L, index));
}

// A NaN or infinity that reaches a step breaks Box2D beyond repair, so such
// values are refused at the door.
bool finite(const char* function, std::initializer_list<float> values)
{
    for (float value : values) {
        if (!std::isfinite(value)) {
            KVReportMisuse(function, "refused %g (not a finite number)", static_cast<double>(value));
            return false;
        }
    }
    return true;
}

b2Vec2 toMetres(float x, float y)
{
    return b2Vec2(x * kMetresPerUnit, y * kMetresPerUnit);
}

int pushUnits(lua_State* L, const b2Vec2& v)
{
    lua_pushnumber(L, v.x * kUnitsPerMetre);
    lua_pushnumber(L, v.y * kUnitsPerMetre);
    return 2;
}

int pushNumber(lua_State* L, float value)
{
    lua_pushnumber(L, value);
    return 1;
}

kvActorUserData* recordOf(b2BodyDef* def)
{
    return static_cast<kvActorUserData*>(def->userData.pointer);
}

kvFixtureUserData* recordOf(b2FixtureDef* def)
{
    return static_cast<kvFixtureUserData*>(def->userData.pointer);
}

// The owned pointer of a box whose __gc is running, or null when there is
// nothing (left) to free; __gc can also be called by hand with anything.
void* takeOwned(lua_State* L, const char* metatable)
{
    auto* box = static_cast<kvOwnedBox*>(kvToUserdata(L, 1, metatable));
    if (!box)
        return nullptr;
    void* pointer = box->pointer;
    box->pointer = nullptr;
    return pointer;
}

// ---- World

int world_new(lua_State* L)
{
    const char* fn = "physics.World.new";
    float gx = number(L, 1);
    float gy = number(L, 2);
    bool doSleep = lua_toboolean(L, 3) != 0;
    if (!finite(fn, {gx, gy}))
        return 0;
    return box2dCall(fn, [&] {
        kvOwnedBox* box = kvNewOwnedBox(L, kvWorldMT);
        box->pointer = new kvPhysicsWorld(toMetres(gx, gy), doSleep, L);
        return 1;
    });
}

int world_gc(lua_State* L)
{
    auto* box = static_cast<kvOwnedBox*>(kvToUserdata(L, 1, kvWorldMT));
    if (!box)
        return 0;
    auto* world = static_cast<kvPhysicsWorld*>(box->pointer);
    if (!world)
        return 0;
    // Only a hand-made call reaches a busy world; a world left locked by a
    // failed step cannot be taken apart safely and is left alone.
    if (world->isBusy()) {
        KVReportMisuse("physics.World.__gc", "refused while the world is busy");
        return 0;
    }
    box->pointer = nullptr;
    delete world;
    return 0;
}

int world_createBody(lua_State* L)
{
    const char* fn = "physics.World.createBody";
    kvPhysicsWorld* world = kvCheckWorld(L, 1, fn);
    auto* def = world ? static_cast<b2BodyDef*>(kvCheckOwned(L, 2, kvBodyDefMT, fn)) : nullptr;
    if (!def)
        return 0;
    return box2dCall(fn, [&] {
        kvObjectView* view = kvNewView(L, kvBodyMT);
        b2Body* body = world->createBody(def);
        kvFillView(view, body, world->liveSet());
        return 1;
    });
}

int world_destroyBody(lua_State* L)
{
    const char* fn = "physics.World.destroyBody";
    kvPhysicsWorld* world = kvCheckWorld(L, 1, fn);
    kvPhysicsWorld* owner = nullptr;
    b2Body* body = world ? kvCheckBody(L, 2, fn, &owner) : nullptr;
    if (!body)
        return 0;
    if (owner != world) {
        KVReportMisuse(fn, "the body belongs to another world");
        return 0;
    }
    return box2dCall(fn, [&] {
        world->destroyBody(body, L);
        return 0;
    });
}

int world_step(lua_State* L)
{
    const char* fn = "physics.World.step";
    kvPhysicsWorld* world = kvCheckWorld(L, 1, fn);
    float timeStep = number(L, 2);
    int32_t velocityIterations = kvToInteger<int32_t>(L, 3);
    int32_t positionIterations = kvToInteger<int32_t>(L, 4);
    if (!world || !finite(fn, {timeStep}))
        return 0;
    return box2dCall(fn, [&] {
        world->step(timeStep, velocityIterations, positionIterations, L);
        return 0;
    });
}

int world_setGravity(lua_State* L)
{
    const char* fn = "physics.World.setGravity";
    kvPhysicsWorld* world = kvCheckWorld(L, 1, fn);
    float x = number(L, 2);
    float y = number(L, 3);
    if (world && finite(fn, {x, y}))
        world->world()->SetGravity(toMetres(x, y));
    return 0;
}

// ---- BodyDefinition

int bodydef_new(lua_State* L)
{
    kvOwnedBox* box = kvNewOwnedBox(L, kvBodyDefMT);
    std::unique_ptr<b2BodyDef> def(new b2BodyDef);
    kvPutRecord(def->userData.pointer, makeRef<kvActorUserData>());
    box->pointer = def.release();
    return 1;
}

int bodydef_gc(lua_State* L)
{
    std::unique_ptr<b2BodyDef> def(static_cast<b2BodyDef*>(takeOwned(L, kvBodyDefMT)));
    if (def)
        kvTakeRecord<kvActorUserData>(def->userData.pointer);
    return 0;
}

b2BodyDef* checkBodyDef(lua_State* L, const char* fn)
{
    return static_cast<b2BodyDef*>(kvCheckOwned(L, 1, kvBodyDefMT, fn));
}

int bodydef_setType(lua_State* L)
{
    b2BodyDef* def = checkBodyDef(L, "physics.BodyDefinition.setType");
    int32_t type = kvToInteger<int32_t>(L, 2);
    if (def && (type == b2_staticBody || type == b2_kinematicBody || type == b2_dynamicBody))
        def->type = static_cast<b2BodyType>(type);
    return 0;
}

int bodydef_setPosition(lua_State* L)
{
    const char* fn = "physics.BodyDefinition.setPosition";
    b2BodyDef* def = checkBodyDef(L, fn);
    float x = number(L, 2);
    float y = number(L, 3);
    if (def && finite(fn, {x, y}))
        def->position = toMetres(x, y);
    return 0;
}

int bodydef_setAngle(lua_State* L)
{
    const char* fn = "physics.BodyDefinition.setAngle";
    b2BodyDef* def = checkBodyDef(L, fn);
    float angle = number(L, 2);
    if (def && finite(fn, {angle}))
        def->angle = angle;
    return 0;
}

int bodydef_setFixedRotation(lua_State* L)
{
    if (b2BodyDef* def = checkBodyDef(L, "physics.BodyDefinition.setFixedRotation"))
        def->fixedRotation = lua_toboolean(L, 2) != 0;
    return 0;
}

int bodydef_setActorID(lua_State* L)
{
    if (b2BodyDef* def = checkBodyDef(L, "physics.BodyDefinition.setActorID"))
        recordOf(def)->actorID = kvToInteger<int32_t>(L, 2);
    return 0;
}

int bodydef_addCollisionCategory(lua_State* L)
{
    const char* fn = "physics.BodyDefinition.addCollisionCategory";
    b2BodyDef* def = checkBodyDef(L, fn);
    int32_t category = kvToInteger<int32_t>(L, 2);
    if (def)
        recordOf(def)->addCollisionCategory(category);
    return 0;
}

// ---- Body

// The shape a fixture definition holds (see setShape); null, after a report,
// when it holds none that is usable.
const b2Shape* resolveShape(lua_State* L, int index, const char* fn)
{
    if (lua_isnil(L, index))
        return nullptr;
    if (kvToUserdata(L, index, kvCircleShapeMT))
        return static_cast<b2CircleShape*>(kvCheckOwned(L, index, kvCircleShapeMT, fn));
    auto* polygon = static_cast<kvPolygonShape*>(kvCheckOwned(L, index, kvPolygonShapeMT, fn));
    return polygon ? &polygon->shape() : nullptr;
}

int body_createFixture(lua_State* L)
{
    const char* fn = "physics.Body.createFixture";
    kvPhysicsWorld* world = nullptr;
    b2Body* body = kvCheckBody(L, 1, fn, &world);
    auto* def = body ? static_cast<b2FixtureDef*>(kvCheckOwned(L, 2, kvFixtureDefMT, fn)) : nullptr;
    if (!def)
        return 0;
    // The definition keeps its shape in its environment table (see setShape).
    lua_getfenv(L, 2);
    lua_getfield(L, -1, "shape");
    const int shapeIndex = lua_gettop(L);
    return box2dCall(fn, [&] {
        const b2Shape* shape = resolveShape(L, shapeIndex, fn);
        kvObjectView* view = kvNewView(L, kvFixtureMT);
        b2Fixture* fixture = world->createFixture(body, def, shape);
        kvFillView(view, fixture, world->liveSet());
        return 1;
    });
}

int body_destroyFixture(lua_State* L)
{
    const char* fn = "physics.Body.destroyFixture";
    if (lua_isnoneornil(L, 1) || lua_isnoneornil(L, 2))
        return 0;
    kvPhysicsWorld* world = nullptr;
    kvPhysicsWorld* fixtureWorld = nullptr;
    b2Body* body = kvCheckBody(L, 1, fn, &world);
    b2Fixture* fixture = body ? kvCheckFixture(L, 2, fn, &fixtureWorld) : nullptr;
    if (!fixture)
        return 0;
    if (world != fixtureWorld) {
        KVReportMisuse(fn, "the fixture belongs to another world");
        return 0;
    }
    return box2dCall(fn, [&] {
        world->destroyFixture(body, fixture, L);
        return 0;
    });
}

int body_setAwake(lua_State* L)
{
    if (b2Body* body = kvCheckBody(L, 1, "physics.Body.setAwake"))
        body->SetAwake(lua_toboolean(L, 2) != 0);
    return 0;
}

int body_position(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.position");
    return pushUnits(L, body ? body->GetPosition() : b2Vec2_zero);
}

int body_setPositionAndAngle(lua_State* L)
{
    const char* fn = "physics.Body.setPositionAndAngle";
    kvPhysicsWorld* world = nullptr;
    b2Body* body = kvCheckBody(L, 1, fn, &world);
    float x = number(L, 2);
    float y = number(L, 3);
    float angle = number(L, 4);
    if (!body || !finite(fn, {x, y, angle}))
        return 0;
    return box2dCall(fn, [&] {
        world->setPositionAndAngle(body, toMetres(x, y), angle);
        return 0;
    });
}

int body_angle(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.angle");
    return pushNumber(L, body ? body->GetAngle() : 0.0f);
}

int body_setLinearVelocity(lua_State* L)
{
    const char* fn = "physics.Body.setLinearVelocity";
    b2Body* body = kvCheckBody(L, 1, fn);
    float vx = number(L, 2);
    float vy = number(L, 3);
    if (body && finite(fn, {vx, vy}))
        body->SetLinearVelocity(toMetres(vx, vy));
    return 0;
}

int body_linearVelocity(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.linearVelocity");
    return pushUnits(L, body ? body->GetLinearVelocity() : b2Vec2_zero);
}

int body_setAngularVelocity(lua_State* L)
{
    const char* fn = "physics.Body.setAngularVelocity";
    b2Body* body = kvCheckBody(L, 1, fn);
    float w = number(L, 2);
    if (body && finite(fn, {w}))
        body->SetAngularVelocity(w);
    return 0;
}

int body_angularVelocity(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.angularVelocity");
    float w = body ? body->GetAngularVelocity() : 0.0f;
    return pushNumber(L, w * 180.0f * (1.0f / b2_pi));
}

int body_setAngularDamping(lua_State* L)
{
    const char* fn = "physics.Body.setAngularDamping";
    b2Body* body = kvCheckBody(L, 1, fn);
    float damping = number(L, 2);
    if (body && finite(fn, {damping}))
        body->SetAngularDamping(damping);
    return 0;
}

int body_angularDamping(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.angularDamping");
    return pushNumber(L, body ? body->GetAngularDamping() : 0.0f);
}

int body_mass(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.mass");
    return pushNumber(L, body ? body->GetMass() : 0.0f);
}

int body_worldCenter(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.worldCenter");
    const b2Vec2 center = body ? body->GetWorldCenter() : b2Vec2_zero;
    lua_pushnumber(L, center.x);
    lua_pushnumber(L, center.y);
    return 2;
}

int body_applyForce(lua_State* L)
{
    const char* fn = "physics.Body.applyForce";
    b2Body* body = kvCheckBody(L, 1, fn);
    float fx = number(L, 2);
    float fy = number(L, 3);
    float px = number(L, 4);
    float py = number(L, 5);
    // Box2D leaves kinematic and static bodies alone; waking always, as games expect.
    if (body && finite(fn, {fx, fy, px, py}))
        body->ApplyForce(toMetres(fx, fy), b2Vec2(px, py), true);
    return 0;
}

int body_actorID(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.actorID");
    const kvActorUserData* record = body ? kvActorUserData::of(body) : nullptr;
    lua_pushinteger(L, record ? record->actorID : -1);
    return 1;
}

int body_addCollisionCategory(lua_State* L)
{
    const char* fn = "physics.Body.addCollisionCategory";
    b2Body* body = kvCheckBody(L, 1, fn);
    kvActorUserData* record = body ? kvActorUserData::of(body) : nullptr;
    int32_t category = kvToInteger<int32_t>(L, 2);
    if (record)
        record->addCollisionCategory(category);
    return 0;
}

int body_removeCollisionCategory(lua_State* L)
{
    b2Body* body = kvCheckBody(L, 1, "physics.Body.removeCollisionCategory");
    if (kvActorUserData* record = body ? kvActorUserData::of(body) : nullptr)
        record->removeCollisionCategory(kvToInteger<int32_t>(L, 2));
    return 0;
}

// ---- FixtureDefinition

int fixturedef_new(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.new";
    // No argument reads as nil: a fresh record. So does a source that is
    // not a live fixture, after the report.
    const kvFixtureUserData* source = nullptr;
    if (!lua_isnoneornil(L, 1)) {
        if (b2Fixture* fixture = kvCheckFixture(L, 1, fn))
            source = kvFixtureUserData::of(fixture);
    }
    kvOwnedBox* box = kvNewOwnedBox(L, kvFixtureDefMT);
    lua_newtable(L);
    lua_setfenv(L, -2);
    std::unique_ptr<b2FixtureDef> def(new b2FixtureDef);
    kvPutRecord(def->userData.pointer, makeRef<kvFixtureUserData>(source));
    box->pointer = def.release();
    return 1;
}

int fixturedef_gc(lua_State* L)
{
    std::unique_ptr<b2FixtureDef> def(static_cast<b2FixtureDef*>(takeOwned(L, kvFixtureDefMT)));
    if (def)
        kvTakeRecord<kvFixtureUserData>(def->userData.pointer);
    return 0;
}

b2FixtureDef* checkFixtureDef(lua_State* L, const char* fn)
{
    return static_cast<b2FixtureDef*>(kvCheckOwned(L, 1, kvFixtureDefMT, fn));
}

int fixturedef_setShape(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.setShape";
    if (!checkFixtureDef(L, fn))
        return 0;
    if (!lua_isnil(L, 2) && !kvToUserdata(L, 2, kvCircleShapeMT) &&
        !kvCheckOwned(L, 2, kvPolygonShapeMT, fn))
        return 0;
    // Held in the definition's environment so the shape lives as long as the
    // definition refers to it.
    lua_settop(L, 2);
    lua_getfenv(L, 1);
    lua_pushvalue(L, 2);
    lua_setfield(L, -2, "shape");
    return 0;
}

int fixturedef_setDensity(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.setDensity";
    b2FixtureDef* def = checkFixtureDef(L, fn);
    float density = number(L, 2);
    if (def && finite(fn, {density}))
        def->density = density;
    return 0;
}

int fixturedef_setFriction(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.setFriction";
    b2FixtureDef* def = checkFixtureDef(L, fn);
    float friction = number(L, 2);
    if (def && finite(fn, {friction}))
        def->friction = friction * kMetresPerUnit;
    return 0;
}

int fixturedef_setRestitution(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.setRestitution";
    b2FixtureDef* def = checkFixtureDef(L, fn);
    float restitution = number(L, 2);
    if (def && finite(fn, {restitution}))
        def->restitution = restitution;
    return 0;
}

int fixturedef_setIsSensor(lua_State* L)
{
    if (b2FixtureDef* def = checkFixtureDef(L, "physics.FixtureDefinition.setIsSensor"))
        def->isSensor = lua_toboolean(L, 2) != 0;
    return 0;
}

int fixturedef_setFixtureID(lua_State* L)
{
    if (b2FixtureDef* def = checkFixtureDef(L, "physics.FixtureDefinition.setFixtureID"))
        recordOf(def)->fixtureID = kvToInteger<int32_t>(L, 2);
    return 0;
}

int fixturedef_addCollisionMaskCategory(lua_State* L)
{
    const char* fn = "physics.FixtureDefinition.addCollisionMaskCategory";
    b2FixtureDef* def = checkFixtureDef(L, fn);
    int32_t category = kvToInteger<int32_t>(L, 2);
    if (def)
        recordOf(def)->addCollisionMaskCategory(category);
    return 0;
}

// ---- Fixture

int fixture_fixtureID(lua_State* L)
{
    // A fixture being destroyed has already lost its record.
    b2Fixture* fixture = kvCheckFixture(L, 1, "physics.Fixture.fixtureID");
    const kvFixtureUserData* record = fixture ? kvFixtureUserData::of(fixture) : nullptr;
    lua_pushinteger(L, record ? record->fixtureID : -1);
    return 1;
}

int fixture_addCollisionMaskCategory(lua_State* L)
{
    const char* fn = "physics.Fixture.addCollisionMaskCategory";
    b2Fixture* fixture = kvCheckFixture(L, 1, fn);
    kvFixtureUserData* record = fixture ? kvFixtureUserData::of(fixture) : nullptr;
    int32_t category = kvToInteger<int32_t>(L, 2);
    if (record)
        record->addCollisionMaskCategory(category);
    return 0;
}

int fixture_removeCollisionMaskCategory(lua_State* L)
{
    b2Fixture* fixture = kvCheckFixture(L, 1, "physics.Fixture.removeCollisionMaskCategory");
    if (kvFixtureUserData* record = fixture ? kvFixtureUserData::of(fixture) : nullptr)
        record->removeCollisionMaskCategory(kvToInteger<int32_t>(L, 2));
    return 0;
}

int fixture_testPoint(lua_State* L)
{
    b2Fixture* fixture = kvCheckFixture(L, 1, "physics.Fixture.testPoint");
    lua_pushboolean(L, fixture && fixture->TestPoint(toMetres(number(L, 2), number(L, 3))));
    return 1;
}

int fixture_body(lua_State* L)
{
    kvPhysicsWorld* world = nullptr;
    b2Fixture* fixture = kvCheckFixture(L, 1, "physics.Fixture.body", &world);
    if (!fixture)
        return 0;
    kvPushBody(L, fixture->GetBody(), world->liveSet());
    return 1;
}

// ---- Shapes

int polygon_new(lua_State* L)
{
    kvOwnedBox* box = kvNewOwnedBox(L, kvPolygonShapeMT);
    box->pointer = new kvPolygonShape;
    return 1;
}

int polygon_gc(lua_State* L)
{
    delete static_cast<kvPolygonShape*>(takeOwned(L, kvPolygonShapeMT));
    return 0;
}

int polygon_setAsBox(lua_State* L)
{
    const char* fn = "physics.PolygonShape.setAsBox";
    auto* shape = static_cast<kvPolygonShape*>(kvCheckOwned(L, 1, kvPolygonShapeMT, fn));
    float halfWidth = number(L, 2);
    float halfHeight = number(L, 3);
    if (!shape || !finite(fn, {halfWidth, halfHeight}))
        return 0;
    return box2dCall(fn, [&] {
        shape->setAsBox(halfWidth * kMetresPerUnit, halfHeight * kMetresPerUnit);
        return 0;
    });
}

int polygon_addVertex(lua_State* L)
{
    const char* fn = "physics.PolygonShape.addVertex";
    auto* shape = static_cast<kvPolygonShape*>(kvCheckOwned(L, 1, kvPolygonShapeMT, fn));
    float x = number(L, 2);
    float y = number(L, 3);
    if (!shape || !finite(fn, {x, y}))
        return 0;
    return box2dCall(fn, [&] {
        shape->addVertex(toMetres(x, y));
        return 0;
    });
}

int circle_new(lua_State* L)
{
    const char* fn = "physics.CircleShape.new";
    float radius = number(L, 1);
    if (!finite(fn, {radius}))
        return 0;
    kvOwnedBox* box = kvNewOwnedBox(L, kvCircleShapeMT);
    auto* circle = new b2CircleShape;
    circle->m_p.SetZero();
    circle->m_radius = radius * kMetresPerUnit;
    box->pointer = circle;
    return 1;
}

int circle_gc(lua_State* L)
{
    delete static_cast<b2CircleShape*>(takeOwned(L, kvCircleShapeMT));
    return 0;
}

const luaL_Reg worldFunctions[] = {
    {"new", world_new},
    {"createBody", world_createBody},
    {"destroyBody", world_destroyBody},
    {"step", world_step},
    {"setGravity", world_setGravity},
    {nullptr, nullptr},
};

const luaL_Reg bodyDefFunctions[] = {
    {"new", bodydef_new},
    {"setType", bodydef_setType},
    {"setPosition", bodydef_setPosition},
    {"setAngle", bodydef_setAngle},
    {"setFixedRotation", bodydef_setFixedRotation},
    {"setActorID", bodydef_setActorID},
    {"addCollisionCategory", bodydef_addCollisionCategory},
    {nullptr, nullptr},
};

const luaL_Reg bodyFunctions[] = {
    {"createFixture", body_createFixture},
    {"destroyFixture", body_destroyFixture},
    {"setAwake", body_setAwake},
    {"position", body_position},
    {"setPositionAndAngle", body_setPositionAndAngle},
    {"angle", body_angle},
    {"setLinearVelocity", body_setLinearVelocity},
    {"linearVelocity", body_linearVelocity},
    {"setAngularVelocity", body_setAngularVelocity},
    {"angularVelocity", body_angularVelocity},
    {"setAngularDamping", body_setAngularDamping},
    {"angularDamping", body_angularDamping},
    {"mass", body_mass},
    {"worldCenter", body_worldCenter},
    {"applyForce", body_applyForce},
    {"actorID", body_actorID},
    {"addCollisionCategory", body_addCollisionCategory},
    {"removeCollisionCategory", body_removeCollisionCategory},
    {nullptr, nullptr},
};

const luaL_Reg fixtureDefFunctions[] = {
    {"new", fixturedef_new},
    {"setShape", fixturedef_setShape},
    {"setDensity", fixturedef_setDensity},
    {"setFriction", fixturedef_setFriction},
    {"setRestitution", fixturedef_setRestitution},
    {"setIsSensor", fixturedef_setIsSensor},
    {"setFixtureID", fixturedef_setFixtureID},
    {"addCollisionMaskCategory", fixturedef_addCollisionMaskCategory},
    {nullptr, nullptr},
};

const luaL_Reg fixtureFunctions[] = {
    {"fixtureID", fixture_fixtureID},
    {"addCollisionMaskCategory", fixture_addCollisionMaskCategory},
    {"removeCollisionMaskCategory", fixture_removeCollisionMaskCategory},
    {"testPoint", fixture_testPoint},
    {"body", fixture_body},
    {nullptr, nullptr},
};

const luaL_Reg polygonFunctions[] = {
    {"new", polygon_new},
    {"setAsBox", polygon_setAsBox},
    {"addVertex", polygon_addVertex},
    {nullptr, nullptr},
};

const luaL_Reg circleFunctions[] = {
    {"new", circle_new},
    {nullptr, nullptr},
};

struct PhysicsClass {
    KVModule module;  // "physics.World": the name misuse and failures are told under
    const char* metatable;
    const luaL_Reg* functions;
    luaL_Reg gc[2];
};

const PhysicsClass kClasses[] = {
    {{"physics.World", KVFailure::report}, kvWorldMT, worldFunctions, {{"__gc", world_gc}, {}}},
    {{"physics.BodyDefinition", KVFailure::report}, kvBodyDefMT, bodyDefFunctions, {{"__gc", bodydef_gc}, {}}},
    {{"physics.Body", KVFailure::report}, kvBodyMT, bodyFunctions, {{"__gc", kvViewGC}, {}}},
    {{"physics.FixtureDefinition", KVFailure::report}, kvFixtureDefMT, fixtureDefFunctions, {{"__gc", fixturedef_gc}, {}}},
    {{"physics.Fixture", KVFailure::report}, kvFixtureMT, fixtureFunctions, {{"__gc", kvViewGC}, {}}},
    {{"physics.PolygonShape", KVFailure::report}, kvPolygonShapeMT, polygonFunctions, {{"__gc", polygon_gc}, {}}},
    {{"physics.CircleShape", KVFailure::report}, kvCircleShapeMT, circleFunctions, {{"__gc", circle_gc}, {}}},
};

const luaL_Reg noFunctions[] = {{nullptr, nullptr}};

}  // namespace

int luaopen_physics(lua_State* L)
{
    kvContactListener::prepareLuaState(L);
    luaL_register(L, "physics", noFunctions);
    for (const PhysicsClass& c : kClasses) {
        lua_newtable(L);
        kvSetFunctions(L, c.module, c.functions);
        kvMethodsMetatable(L, c.metatable);
        kvSetFunctions(L, c.module, c.gc);
        lua_pop(L, 1);
        // The class name is the module's last part.
        lua_setfield(L, -2, std::strrchr(c.module.name, '.') + 1);
    }
    return 1;
}
