// How physics objects appear to scripts: full userdata with one of seven
// metatables. Worlds, definitions and shapes are owned by their userdata
// (freed by __gc); bodies and fixtures are views of objects their world owns.
#pragma once

#include <cstdint>

#include "engine/host/kv_lua.h"
#include "engine/physics/kvLiveSet.h"
#include "platform/objects/KVRef.h"

class b2Body;
class b2Fixture;
class kvPhysicsWorld;

extern const char* const kvWorldMT;
extern const char* const kvBodyDefMT;
extern const char* const kvBodyMT;
extern const char* const kvFixtureDefMT;
extern const char* const kvFixtureMT;
extern const char* const kvPolygonShapeMT;
extern const char* const kvCircleShapeMT;

// A world, definition or shape; __gc frees it and clears the pointer.
struct kvOwnedBox {
    void* pointer;
};

// A body or fixture as it was when the view was made. The view is stale once
// the object's serial in the live set changes or the world goes away.
// Constructed in the userdata's block; __gc lets go of the live set.
struct kvObjectView {
    void* object = nullptr;
    uint32_t serial = 0;
    Ref<kvLiveSet> live;
};

// Push a new userdata with an empty pointer and the metatable set; the
// caller fills it once the object exists.
kvOwnedBox* kvNewOwnedBox(lua_State* L, const char* metatable);
kvObjectView* kvNewView(lua_State* L, const char* metatable);
void kvFillView(kvObjectView* view, void* object, kvLiveSet* live);

void kvPushBody(lua_State* L, b2Body* body, kvLiveSet* live);
void kvPushFixture(lua_State* L, b2Fixture* fixture, kvLiveSet* live);

// The checks answer null, after one line naming the calling function
// ("physics.Body.angle") and the problem, when the argument is of another
// kind, was already collected, or names a body or fixture that no longer
// exists; the caller then changes nothing.
void* kvCheckOwned(lua_State* L, int index, const char* metatable, const char* function);
kvPhysicsWorld* kvCheckWorld(lua_State* L, int index, const char* function);
b2Body* kvCheckBody(lua_State* L, int index, const char* function, kvPhysicsWorld** world = nullptr);
b2Fixture* kvCheckFixture(lua_State* L, int index, const char* function, kvPhysicsWorld** world = nullptr);

// __gc of body and fixture views: releases the live set.
int kvViewGC(lua_State* L);
