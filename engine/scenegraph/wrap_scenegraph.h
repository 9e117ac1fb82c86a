// The "scenegraph" script module: shared pieces of its bindings.
#pragma once

#include "engine/host/KVBinding.h"
#include "engine/scenegraph/SGLiveNodes.h"
#include "engine/scenegraph/SGTypes.h"

class SGNode;
class SGPort;
class SGScene;

// Opens the module as the global `scenegraph`; returns no values.
int luaopen_scenegraph(lua_State* L);

// Registry names of the module's metatables.
#define SG_SCENE_MT "scenegraph.sceneMT"
#define SG_PORT_MT "scenegraph.portMT"
#define SG_NODE_CONSTANTS "scenegraph.nodeConstants"
#define SG_NODE_MT "scenegraph.nodeMT"
#define SG_ATTRIBUTE_NODE_MT "scenegraph.attributeNodeMT"
#define SG_RENDER_NODE_MT "scenegraph.renderNodeMT"
#define SG_SPACE_MT "scenegraph.spaceMT"

// The checks below throw KVScriptMisuse, saying why, for the binding
// runtime to report as "scenegraph.kind.function: why"; the call answers
// nothing (a count: 0) and a script's update goes on.

// Absolute stack index of argument `k` (1-based) of a function that takes
// `count` arguments read from the top of the stack.
int sg_argFromTop(lua_State* L, int k, int count);

// A node handle's userdata: the node pointer first (what other modules read
// of any userdata), then the ticket that tells whether the node still lives.
struct SGNodeHandle {
    SGNode* node;
    SGLiveNodes::Ticket ticket;
};

// Handles: a live node, scene or port of the kind asked for.
void sg_pushNode(lua_State* L, SGNode* node);  // nil for null
SGNode* sg_checkNode(lua_State* L, int index);
void sg_pushScene(lua_State* L, SGScene* scene);
SGScene* sg_checkScene(lua_State* L, int index);
SGScene** sg_checkSceneSlot(lua_State* L, int index);  // the slot of a live or deleted scene

// A port handle {node's ticket as a light userdata, port id}: a plain table
// that borrows the node.
void sg_pushPort(lua_State* L, SGLiveNodes::Ticket node, int portID);
// The port a port handle names; its node must be live and have that port.
SGPort* sg_resolvePort(lua_State* L, int index);

// The first word of a userdata (full or light), or null for anything else.
void* sg_userdataPointer(lua_State* L, int index);

// Stores the script value at `index` into a string, asset-name, number,
// integer or boolean port: through its setter (marking dirty) when notify is
// true, directly otherwise. False when the port holds another type.
bool sg_storeScalar(lua_State* L, SGPort* port, int index, bool notify);
