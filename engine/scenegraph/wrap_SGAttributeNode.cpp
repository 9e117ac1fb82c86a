// Attribute-node functions of the "scenegraph" module: the class table
// scenegraph.attributeNode. Its handles own their node.
#include <cstdio>
#include <utility>

#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/wrap_scenegraph.h"

namespace {

int attributeNode_new(lua_State* L)
{
    const int type = kvToInteger<int>(L, sg_argFromTop(L, 1, 1));
    auto node = makeRef<SGAttributeNode>(static_cast<SGPortValueType>(type));
    sg_pushNode(L, node.get());  // the handle takes its own reference
    return 1;
}

int attributeNode_setValue(lua_State* L)
{
    auto* node = dynamic_cast<SGAttributeNode*>(sg_checkNode(L, 1));
    if (!node)
        KVThrowMisuse("expected an attribute node");
    const bool notify = lua_toboolean(L, 3) != 0;
    SGPort* port = node->valuePort();
    if (!port || !sg_storeScalar(L, port, 2, notify))
        printf("AttributeNode:setValue unhandled type\n");
    return 0;
}

int attributeNode_gc(lua_State* L)
{
    const int index = sg_argFromTop(L, 1, 1);
    // Only an attribute handle owns the reference this gives back.
    auto* handle = static_cast<SGNodeHandle*>(kvToUserdata(L, index, SG_ATTRIBUTE_NODE_MT));
    if (!handle)
        return 0;
    SGNode* node = std::exchange(handle->node, nullptr);
    if (node && SGLiveNodes::find(handle->ticket) == node)
        Ref<SGNode>::adopt(node);  // the handle's reference ends
    return 0;
}

}  // namespace

extern const luaL_Reg sg_attributeNodeFunctions[] = {
    {"new", attributeNode_new},
    {"setValue", attributeNode_setValue},
    {"__gc", attributeNode_gc},
    {nullptr, nullptr},
};
