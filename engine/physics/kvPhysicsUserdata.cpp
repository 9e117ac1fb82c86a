#include "engine/physics/kvPhysicsUserdata.h"

#include <new>

#include <box2d/box2d.h>

#include "engine/host/KVBinding.h"
#include "engine/physics/kvLiveSet.h"

const char* const kvWorldMT = "physics.WorldMT";
const char* const kvBodyDefMT = "physics.BodyDefMT";
const char* const kvBodyMT = "physics.BodyMT";
const char* const kvFixtureDefMT = "physics.FixtureDefMT";
const char* const kvFixtureMT = "physics.FixtureMT";
const char* const kvPolygonShapeMT = "physics.PolygonShapeMT";
const char* const kvCircleShapeMT = "physics.CircleShapeMT";

namespace {

const char* className(const char* metatable)
{
    if (metatable == kvWorldMT) return "World";
    if (metatable == kvBodyDefMT) return "BodyDefinition";
    if (metatable == kvBodyMT) return "Body";
    if (metatable == kvFixtureDefMT) return "FixtureDefinition";
    if (metatable == kvFixtureMT) return "Fixture";
    if (metatable == kvPolygonShapeMT) return "PolygonShape";
    if (metatable == kvCircleShapeMT) return "CircleShape";
    return metatable;
}

void* checkKind(lua_State* L, int index, const char* metatable, const char* function)
{
    if (void* block = kvToUserdata(L, index, metatable))
        return block;
    KVReportMisuse(function, "argument %d must be a %s, not %s", index, className(metatable),
                   luaL_typename(L, index));
    return nullptr;
}

void* checkLiveView(lua_State* L, int index, const char* metatable, const char* function,
                    kvPhysicsWorld** world)
{
    auto* view = static_cast<kvObjectView*>(checkKind(L, index, metatable, function));
    if (!view)
        return nullptr;
    if (!view->object || !view->live || !view->live->isLive(view->object, view->serial)) {
        KVReportMisuse(function, "argument %d is a %s that no longer exists", index, className(metatable));
        return nullptr;
    }
    if (world)
        *world = view->live->world();
    return view->object;
}

}  // namespace

kvOwnedBox* kvNewOwnedBox(lua_State* L, const char* metatable)
{
    auto* box = static_cast<kvOwnedBox*>(lua_newuserdata(L, sizeof(kvOwnedBox)));
    box->pointer = nullptr;
    luaL_getmetatable(L, metatable);
    lua_setmetatable(L, -2);
    return box;
}

kvObjectView* kvNewView(lua_State* L, const char* metatable)
{
    auto* view = new (lua_newuserdata(L, sizeof(kvObjectView))) kvObjectView;
    luaL_getmetatable(L, metatable);
    lua_setmetatable(L, -2);
    return view;
}

void kvFillView(kvObjectView* view, void* object, kvLiveSet* live)
{
    view->object = object;
    view->serial = live ? live->serialOf(object) : 0;
    view->live = live;
}

void kvPushBody(lua_State* L, b2Body* body, kvLiveSet* live)
{
    kvFillView(kvNewView(L, kvBodyMT), body, live);
}

void kvPushFixture(lua_State* L, b2Fixture* fixture, kvLiveSet* live)
{
    kvFillView(kvNewView(L, kvFixtureMT), fixture, live);
}

void* kvCheckOwned(lua_State* L, int index, const char* metatable, const char* function)
{
    auto* box = static_cast<kvOwnedBox*>(checkKind(L, index, metatable, function));
    if (box && !box->pointer)
        KVReportMisuse(function, "argument %d is a %s that was already collected", index, className(metatable));
    return box ? box->pointer : nullptr;
}

kvPhysicsWorld* kvCheckWorld(lua_State* L, int index, const char* function)
{
    return static_cast<kvPhysicsWorld*>(kvCheckOwned(L, index, kvWorldMT, function));
}

b2Body* kvCheckBody(lua_State* L, int index, const char* function, kvPhysicsWorld** world)
{
    return static_cast<b2Body*>(checkLiveView(L, index, kvBodyMT, function, world));
}

b2Fixture* kvCheckFixture(lua_State* L, int index, const char* function, kvPhysicsWorld** world)
{
    return static_cast<b2Fixture*>(checkLiveView(L, index, kvFixtureMT, function, world));
}

int kvViewGC(lua_State* L)
{
    // Only ever a view: __gc can be called by hand with anything.
    void* block = kvToUserdata(L, 1, kvBodyMT);
    auto* view = static_cast<kvObjectView*>(block ? block : kvToUserdata(L, 1, kvFixtureMT));
    if (!view)
        return 0;
    view->live = nullptr;
    view->object = nullptr;
    return 0;
}
