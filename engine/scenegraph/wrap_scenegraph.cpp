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

const SGConst_reg typeAndClassConstants[] = {
    {"NIL", static_cast<int>(SGPortValueType::NIL)},
    {"STRING", static_cast<int>(SGPortValueType::STRING)},
    {"NUMBER", static_cast<int>(SGPortValueType::NUMBER)},
    {"INTEGER", static_cast<int>(SGPortValueType::INTEGER)},
    {"BOOLEAN", static_cast<int>(SGPortValueType::BOOLEAN)},
    {"COLOR", static_cast<int>(SGPortValueType::COLOR)},
    {"SOUND", static_cast<int>(SGPortValueType::SOUND)},
    {"IMAGE", static_cast<int>(SGPortValueType::IMAGE)},
    {"ASSETNAME", static_cast<int>(SGPortValueType::ASSETNAME)},
    {"attributeNode", static_cast<int>(SGNodeClass::attributeNode)},  // replaced by the class table below
    {"arithmeticNode", static_cast<int>(SGNodeClass::arithmeticNode)},
    {"assetLoaderNode", static_cast<int>(SGNodeClass::assetLoaderNode)},
    {"clearNode", static_cast<int>(SGNodeClass::clearNode)},
    {"colorNode", static_cast<int>(SGNodeClass::colorNode)},
    {"imageFlipNode", static_cast<int>(SGNodeClass::imageFlipNode)},
    {"imageLoaderNode", static_cast<int>(SGNodeClass::imageLoaderNode)},
    {"ortho2DSpace", static_cast<int>(SGNodeClass::ortho2DSpace)},
    {"particleSystemNode", static_cast<int>(SGNodeClass::particleSystemNode)},
    {"replicatorSpace", static_cast<int>(SGNodeClass::replicatorSpace)},
    {"space", static_cast<int>(SGNodeClass::space)},
    {"spriteNode", static_cast<int>(SGNodeClass::spriteNode)},
    {"soundListenerNode", static_cast<int>(SGNodeClass::soundListenerNode)},
    {"soundLoaderNode", static_cast<int>(SGNodeClass::soundLoaderNode)},
    {"soundPlayerNode", static_cast<int>(SGNodeClass::soundPlayerNode)},
    {"stringToImageNode", static_cast<int>(SGNodeClass::stringToImageNode)},
    {"wrapSpace", static_cast<int>(SGNodeClass::wrapSpace)},
    {nullptr, 0},
};

// The keys by which scripts address ports (a few names repeat; the later
// write changes nothing).
const SGConst_reg nodeConstants[] = {
    {"value", static_cast<int>(SGPortID::value)}, {"input1", static_cast<int>(SGPortID::input1)}, {"input2", static_cast<int>(SGPortID::input2)},
    {"operation", static_cast<int>(SGPortID::operation)}, {"output", static_cast<int>(SGPortID::output)}, {"asset", static_cast<int>(SGPortID::asset)}, {"name", static_cast<int>(SGPortID::name)},
    {"r", static_cast<int>(SGPortID::r)}, {"g", static_cast<int>(SGPortID::g)}, {"b", static_cast<int>(SGPortID::b)}, {"a", static_cast<int>(SGPortID::a)},
    {"flipHorizontal", static_cast<int>(SGPortID::flipHorizontal)}, {"flipVertical", static_cast<int>(SGPortID::flipVertical)}, {"input", static_cast<int>(SGPortID::input)},
    {"near", static_cast<int>(SGPortID::near)}, {"far", static_cast<int>(SGPortID::far)}, {"viewRotation", static_cast<int>(SGPortID::viewRotation)},
    {"modelRotation", static_cast<int>(SGPortID::modelRotation)}, {"time", static_cast<int>(SGPortID::time)}, {"spawnParticles", static_cast<int>(SGPortID::spawnParticles)},
    {"numParticles", static_cast<int>(SGPortID::numParticles)}, {"image", static_cast<int>(SGPortID::image)}, {"direction", static_cast<int>(SGPortID::direction)},
    {"lifetime", static_cast<int>(SGPortID::lifetime)}, {"lifestart", static_cast<int>(SGPortID::lifestart)}, {"color", static_cast<int>(SGPortID::color)},
    {"colorTarget", static_cast<int>(SGPortID::colorTarget)}, {"colorTransitionTime", static_cast<int>(SGPortID::colorTransitionTime)}, {"x", static_cast<int>(SGPortID::x)},
    {"y", static_cast<int>(SGPortID::y)}, {"rotation", static_cast<int>(SGPortID::rotation)}, {"size", static_cast<int>(SGPortID::size)}, {"sizeTarget", static_cast<int>(SGPortID::sizeTarget)},
    {"sizeTransitionTime", static_cast<int>(SGPortID::sizeTransitionTime)}, {"gravityX", static_cast<int>(SGPortID::gravityX)},
    {"gravityY", static_cast<int>(SGPortID::gravityY)}, {"speed", static_cast<int>(SGPortID::speed)}, {"angularVelocity", static_cast<int>(SGPortID::angularVelocity)},
    {"blendingMode", static_cast<int>(SGPortID::blendingMode)}, {"angle", static_cast<int>(SGPortID::angle)}, {"spacing", static_cast<int>(SGPortID::spacing)},
    {"copies", static_cast<int>(SGPortID::copies)}, {"gain", static_cast<int>(SGPortID::gain)}, {"sound", static_cast<int>(SGPortID::sound)}, {"dx", static_cast<int>(SGPortID::dx)},
    {"dy", static_cast<int>(SGPortID::dy)}, {"sourceRelative", static_cast<int>(SGPortID::sourceRelative)}, {"volume", static_cast<int>(SGPortID::volume)},
    {"pitch", static_cast<int>(SGPortID::pitch)}, {"loop", static_cast<int>(SGPortID::loop)}, {"trigger", static_cast<int>(SGPortID::trigger)}, {"stop", static_cast<int>(SGPortID::stop)},
    {"pause", static_cast<int>(SGPortID::pause)}, {"resume", static_cast<int>(SGPortID::resume)}, {"playing", static_cast<int>(SGPortID::playing)}, {"color", static_cast<int>(SGPortID::color)},
    {"image", static_cast<int>(SGPortID::image)}, {"width", static_cast<int>(SGPortID::width)}, {"height", static_cast<int>(SGPortID::height)}, {"angle", static_cast<int>(SGPortID::angle)},
    {"blendingMode", static_cast<int>(SGPortID::blendingMode)}, {"horizontalWrapping", static_cast<int>(SGPortID::horizontalWrapping)},
    {"verticalWrapping", static_cast<int>(SGPortID::verticalWrapping)}, {"horizontalAnchor", static_cast<int>(SGPortID::horizontalAnchor)},
    {"verticalAnchor", static_cast<int>(SGPortID::verticalAnchor)}, {"tileWidth", static_cast<int>(SGPortID::tileWidth)},
    {"tileHeight", static_cast<int>(SGPortID::tileHeight)}, {"text", static_cast<int>(SGPortID::text)}, {"font", static_cast<int>(SGPortID::font)},
    {"fontSize", static_cast<int>(SGPortID::fontSize)}, {"alignment", static_cast<int>(SGPortID::alignment)}, {"wrapX", static_cast<int>(SGPortID::wrapX)},
    {"wrapY", static_cast<int>(SGPortID::wrapY)}, {"wrapWidth", static_cast<int>(SGPortID::wrapWidth)}, {"wrapHeight", static_cast<int>(SGPortID::wrapHeight)},
    {"wrap", static_cast<int>(SGPortID::wrap)},
    {nullptr, 0},
};

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

void lua_loadConstants_ext(lua_State* L, const SGConst_reg* constants)
{
    for (; constants->name; ++constants) {
        lua_pushinteger(L, constants->value);
        lua_setfield(L, -2, constants->name);
    }
}

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
    lua_newtable(L);  // the module
    lua_loadConstants_ext(L, typeAndClassConstants);

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

    luaL_newmetatable(L, SG_NODE_CONSTANTS);
    lua_loadConstants_ext(L, nodeConstants);
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
