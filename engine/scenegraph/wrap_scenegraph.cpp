#include "engine/scenegraph/wrap_scenegraph.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"

// Function lists of the other wrap_*.cpp files.
extern const luaL_Reg sg_sceneFunctions[];
extern const luaL_Reg sg_portFunctions[];
extern const luaL_Reg sg_nodeFunctions[];
extern const luaL_Reg sg_attributeNodeFunctions[];
extern const luaL_Reg sg_renderNodeFunctions[];
extern const luaL_Reg sg_spaceFunctions[];
extern const luaL_Reg sg_renderNodeCounts[];
extern const luaL_Reg sg_spaceCounts[];

namespace {

// table[name] = value for each entry of an SGTypes.h list, into the table on
// top of the stack.
#define SG_SET_CONSTANT(name, value)                  \
    lua_pushinteger(L, static_cast<lua_Integer>(value)); \
    lua_setfield(L, -2, #name);

const char* const nodeMetatables[] = {SG_NODE_MT, SG_ATTRIBUTE_NODE_MT, SG_RENDER_NODE_MT, SG_SPACE_MT};

// Upvalues of the node index function.
enum { kMetatableUpvalue = 1, kNodeConstantsUpvalue };

// Whether argument 1 is a handle with the metatable this index function
// serves (it can be called by hand with anything).
bool isOwnHandle(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TUSERDATA || lua_objlen(L, 1) < sizeof(SGNodeHandle) || !lua_getmetatable(L, 1))
        return false;
    const bool own = lua_rawequal(L, -1, lua_upvalueindex(kMetatableUpvalue)) != 0;
    lua_pop(L, 1);
    return own;
}

// __index of the node metatables: a port name gives a port handle for this
// node (whether or not it has such a port); anything else is looked up in
// the metatable (upvalue 1), which follows its own metatable chain.
int node_index(lua_State* L)
{
    lua_settop(L, 2);
    lua_pushvalue(L, 2);
    lua_rawget(L, lua_upvalueindex(kNodeConstantsUpvalue));
    if (lua_type(L, -1) == LUA_TNUMBER && isOwnHandle(L)) {
        const int id = kvToInteger<int>(L, -1);
        sg_pushPort(L, static_cast<const SGNodeHandle*>(lua_touserdata(L, 1))->ticket, id);
        return 1;
    }
    lua_settop(L, 2);
    lua_gettable(L, lua_upvalueindex(kMetatableUpvalue));
    return 1;
}

const luaL_Reg kNodeIndex{"__index", node_index};

// What each metatable's functions are told under: misuse is one line and
// changes nothing; a count answers 0.
const KVModule kScene{"scenegraph.scene", KVFailure::report};
const KVModule kPort{"scenegraph.port", KVFailure::report};
const KVModule kNode{"scenegraph.node", KVFailure::report};
const KVModule kAttributeNode{"scenegraph.attributeNode", KVFailure::report};
const KVModule kRenderNode{"scenegraph.renderNode", KVFailure::report};
const KVModule kRenderNodeCounts{"scenegraph.renderNode", KVFailure::reportZero};
const KVModule kSpace{"scenegraph.space", KVFailure::report};
const KVModule kSpaceCounts{"scenegraph.space", KVFailure::reportZero};

// A new registry metatable holding `functions`, with the node index
// function as its __index; left on the stack.
void newNodeMetatable(lua_State* L, const char* name, const char* parent, const KVModule& module,
                      const luaL_Reg* functions)
{
    luaL_newmetatable(L, name);
    if (parent) {
        luaL_getmetatable(L, parent);
        lua_setmetatable(L, -2);
    }
    kvSetFunctions(L, module, functions);
    lua_pushvalue(L, -1);
    luaL_getmetatable(L, SG_NODE_CONSTANTS);
    kvPushFunction(L, module, kNodeIndex, 2);
    lua_setfield(L, -2, "__index");
}

}  // namespace

int sg_argFromTop(lua_State* L, int k, int count)
{
    const int top = lua_gettop(L);
    if (top < count)
        KVThrowMisuse("expected %d argument%s, got %d", count, count == 1 ? "" : "s", top);
    return top - count + k;
}

void* sg_userdataPointer(lua_State* L, int index)
{
    switch (lua_type(L, index)) {
    case LUA_TLIGHTUSERDATA:
        return lua_touserdata(L, index);
    case LUA_TUSERDATA:
        if (lua_objlen(L, index) >= sizeof(void*))
            return *static_cast<void**>(lua_touserdata(L, index));
        return nullptr;
    default:
        return nullptr;
    }
}

void sg_pushNode(lua_State* L, SGNode* node)
{
    if (!node) {
        lua_pushnil(L);
        return;
    }
    const char* metatable = SG_NODE_MT;
    bool ownsReference = false;
    if (node->isKindOf(SGNodeClass::space)) {
        metatable = SG_SPACE_MT;
    } else if (node->isRenderNode()) {
        metatable = SG_RENDER_NODE_MT;
    } else if (node->isKindOf(SGNodeClass::attributeNode)) {
        metatable = SG_ATTRIBUTE_NODE_MT;
        ownsReference = true;
    }
    auto* handle = static_cast<SGNodeHandle*>(lua_newuserdata(L, sizeof(SGNodeHandle)));
    handle->node = node;
    handle->ticket = node->ticket();
    // Attribute handles own a reference, which their __gc gives back;
    // every other handle borrows its node from a space.
    if (ownsReference)
        Ref<SGNode>(node).leak();
    luaL_getmetatable(L, metatable);
    lua_setmetatable(L, -2);
}

SGNode* sg_checkNode(lua_State* L, int index)
{
    index = kvAbsoluteIndex(L, index);
    const SGNodeHandle* handle = nullptr;
    for (const char* name : nodeMetatables)
        handle = handle ? handle : static_cast<const SGNodeHandle*>(kvToUserdata(L, index, name));
    if (!handle)
        KVThrowMisuse("expected a node, got %s", luaL_typename(L, index));
    SGNode* node = handle->node;
    if (!node || SGLiveNodes::find(handle->ticket) != node)
        KVThrowMisuse("the node no longer exists");
    return node;
}

void sg_pushScene(lua_State* L, SGScene* scene)
{
    SGScene** slot = static_cast<SGScene**>(lua_newuserdata(L, sizeof(SGScene*)));
    *slot = scene;
    luaL_getmetatable(L, SG_SCENE_MT);
    lua_setmetatable(L, -2);
}

SGScene** sg_checkSceneSlot(lua_State* L, int index)
{
    auto** slot = static_cast<SGScene**>(kvToUserdata(L, index, SG_SCENE_MT));
    if (!slot)
        KVThrowMisuse("expected a scene, got %s", luaL_typename(L, index));
    return slot;
}

SGScene* sg_checkScene(lua_State* L, int index)
{
    SGScene* scene = *sg_checkSceneSlot(L, index);
    if (!scene)
        KVThrowMisuse("the scene was deleted");
    return scene;
}

void sg_pushPort(lua_State* L, SGLiveNodes::Ticket node, int portID)
{
    lua_createtable(L, 2, 0);
    lua_pushlightuserdata(L, reinterpret_cast<void*>(static_cast<uintptr_t>(SGLiveNodes::pack(node))));
    lua_rawseti(L, -2, 1);
    lua_pushinteger(L, portID);
    lua_rawseti(L, -2, 2);
    luaL_getmetatable(L, SG_PORT_MT);
    lua_setmetatable(L, -2);
}

SGPort* sg_resolvePort(lua_State* L, int index)
{
    index = kvAbsoluteIndex(L, index);
    if (!lua_istable(L, index))
        KVThrowMisuse("expected a port, got %s", luaL_typename(L, index));
    lua_rawgeti(L, index, 1);
    lua_rawgeti(L, index, 2);
    const bool hasTicket = lua_type(L, -2) == LUA_TLIGHTUSERDATA;
    const auto ticket = SGLiveNodes::unpack(reinterpret_cast<uintptr_t>(lua_touserdata(L, -2)));
    const bool hasID = lua_type(L, -1) == LUA_TNUMBER;
    const int id = kvToInteger<int>(L, -1);
    lua_pop(L, 2);
    if (!hasTicket || !hasID)
        KVThrowMisuse("expected a port, got a table that is not one");
    const char* name = SGPortIDName(id);
    SGNode* node = SGLiveNodes::find(ticket);
    if (!node)
        KVThrowMisuse("the node of port '%s' no longer exists", name ? name : "?");
    if (SGPort* port = node->portForID(static_cast<SGPortID>(id)))
        return port;
    if (node->isKindOf(SGNodeClass::attributeNode))
        KVThrowMisuse("the attribute node has no value (unsupported type)");
    if (name)
        KVThrowMisuse("the node has no port '%s'", name);
    KVThrowMisuse("the node has no port with id %d", id);
}

bool sg_storeScalar(lua_State* L, SGPort* port, int index, bool notify)
{
    index = kvAbsoluteIndex(L, index);
    switch (port->valueType()) {
    case SGPortValueType::STRING:
    case SGPortValueType::ASSETNAME: {
        // Booleans as "true"/"false"; numbers and strings as Lua writes them;
        // nil and values without a text (functions, tables, ...) as "".
        std::string text;
        const int type = lua_type(L, index);
        if (type == LUA_TBOOLEAN) {
            if (port->valueType() == SGPortValueType::STRING)
                text = lua_toboolean(L, index) ? "true" : "false";
        } else if (type == LUA_TNUMBER || type == LUA_TSTRING) {
            size_t length = 0;
            const char* s = lua_tolstring(L, index, &length);
            text.assign(s, length);
        }
        auto* stringPort = static_cast<SGStringPort*>(port);
        notify ? stringPort->setValue(text) : stringPort->setStoredValue(text);
        return true;
    }
    case SGPortValueType::NUMBER: {
        const float number = lua_tonumber(L, index);
        auto* numberPort = static_cast<SGNumberPort*>(port);
        notify ? numberPort->setValue(number) : numberPort->setStoredValue(number);
        return true;
    }
    case SGPortValueType::INTEGER: {
        const int number = kvToInteger<int>(L, index);
        auto* integerPort = static_cast<SGIntegerPort*>(port);
        notify ? integerPort->setValue(number) : integerPort->setStoredValue(number);
        return true;
    }
    case SGPortValueType::BOOLEAN: {
        const bool value = lua_toboolean(L, index) != 0;
        auto* booleanPort = static_cast<SGBooleanPort*>(port);
        notify ? booleanPort->setValue(value) : booleanPort->setStoredValue(value);
        return true;
    }
    default:
        return false;
    }
}

int luaopen_scenegraph(lua_State* L)
{
    lua_newtable(L);  // the module; its attributeNode becomes the class table below
    SG_PORT_VALUE_TYPES(SG_SET_CONSTANT)
    SG_NODE_CLASSES(SG_SET_CONSTANT)

    luaL_newmetatable(L, SG_SCENE_MT);
    kvSetFunctions(L, kScene, sg_sceneFunctions);
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
    lua_setfield(L, -2, "scene");

    luaL_newmetatable(L, SG_PORT_MT);
    kvSetFunctions(L, kPort, sg_portFunctions);
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
    lua_pop(L, 1);

    // The keys by which scripts address ports.
    luaL_newmetatable(L, SG_NODE_CONSTANTS);
    SG_PORT_IDS(SG_SET_CONSTANT)
    lua_pop(L, 1);

    newNodeMetatable(L, SG_NODE_MT, nullptr, kNode, sg_nodeFunctions);
    lua_pop(L, 1);
    newNodeMetatable(L, SG_ATTRIBUTE_NODE_MT, nullptr, kAttributeNode, sg_attributeNodeFunctions);
    lua_setfield(L, -2, "attributeNode");
    newNodeMetatable(L, SG_RENDER_NODE_MT, SG_NODE_MT, kRenderNode, sg_renderNodeFunctions);
    kvSetFunctions(L, kRenderNodeCounts, sg_renderNodeCounts);
    lua_pop(L, 1);
    newNodeMetatable(L, SG_SPACE_MT, SG_RENDER_NODE_MT, kSpace, sg_spaceFunctions);
    kvSetFunctions(L, kSpaceCounts, sg_spaceCounts);
    lua_pop(L, 1);

    lua_setglobal(L, "scenegraph");
    return 0;
}
