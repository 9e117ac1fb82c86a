// Port functions of the "scenegraph" module. A port handle is a table
// {node pointer, port id}; arguments are read from the bottom of the stack.
#include <cstdio>

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/ports/SGPort.h"
#include "engine/scenegraph/wrap_scenegraph.h"

namespace {

int port_value(lua_State* L)
{
    SGPort* port = sg_resolvePort(L, 1);
    switch (port->valueType()) {
    case SGPortValueType::STRING:
    case SGPortValueType::ASSETNAME: {
        const std::string text = port->stringValue();
        lua_pushlstring(L, text.data(), text.size());
        break;
    }
    case SGPortValueType::NUMBER:
        lua_pushnumber(L, port->numberValue());
        break;
    case SGPortValueType::INTEGER:
        lua_pushnumber(L, static_cast<lua_Number>(port->intValue()));
        break;
    case SGPortValueType::BOOLEAN:
        lua_pushboolean(L, port->boolValue());
        break;
    default:
        lua_pushnil(L);
        break;
    }
    return 1;
}

int port_setValue(lua_State* L)
{
    SGPort* port = sg_resolvePort(L, 1);
    const bool notify = lua_toboolean(L, 3) != 0;
    if (lua_istable(L, 2)) {
        // Another port: connect to it, whatever the notify flag.
        port->setValue(sg_resolvePort(L, 2));
        return 0;
    }
    if (!sg_storeScalar(L, port, 2, notify))
        printf("SGPort:setValue unhandled type\n");
    return 0;
}

int port_connectToAttribute(lua_State* L)
{
    SGPort* port = sg_resolvePort(L, 1);
    const int attribute = lua_gettop(L);
    if (attribute < 2)
        KVThrowMisuse("expected an attribute object");
    // attribute:getNode() answers the attribute's node.
    lua_getfield(L, attribute, "getNode");
    lua_pushvalue(L, attribute);
    if (lua_pcall(L, 1, 1, 0) != 0)
        KVThrowMisuse("getNode failed: %s", lua_isstring(L, -1) ? lua_tostring(L, -1) : "(no message)");
    auto* attributeNode = dynamic_cast<SGAttributeNode*>(sg_checkNode(L, -1));
    if (!attributeNode)
        KVThrowMisuse("getNode answered a node that is not an attribute node");
    if (!attributeNode->valuePort())
        KVThrowMisuse("the attribute node has no value (unsupported type)");
    port->setValue(attributeNode->valuePort());
    lua_pop(L, 1);
    return 0;
}

}  // namespace

extern const luaL_Reg sg_portFunctions[] = {
    {"value", port_value},
    {"setValue", port_setValue},
    {"connectToAttribute", port_connectToAttribute},
    {nullptr, nullptr},
};
