// Node, render-node and space functions of the "scenegraph" module.
// Arguments are read from the top of the stack.
#include <cstdio>

#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/wrap_scenegraph.h"

namespace {

SGRenderNode* checkRenderNode(lua_State* L, int index)
{
    auto* node = dynamic_cast<SGRenderNode*>(sg_checkNode(L, index));
    if (!node)
        KVThrowMisuse("expected a render node");
    return node;
}

SGSpace* checkSpace(lua_State* L, int index)
{
    auto* space = dynamic_cast<SGSpace*>(sg_checkNode(L, index));
    if (!space)
        KVThrowMisuse("expected a space");
    return space;
}

int node_compute(lua_State* L)
{
    sg_checkNode(L, sg_argFromTop(L, 1, 1))->compute();
    return 0;
}

int renderNode_getLayer(lua_State* L)
{
    SGRenderNode* node = checkRenderNode(L, sg_argFromTop(L, 1, 1));
    lua_pushinteger(L, node->layer());
    return 1;
}

int renderNode_setLayer(lua_State* L)
{
    SGRenderNode* node = checkRenderNode(L, sg_argFromTop(L, 1, 2));
    node->setLayer(kvToInteger<int>(L, -1));
    return 0;
}

int space_createNode(lua_State* L)
{
    SGSpace* space = checkSpace(L, sg_argFromTop(L, 1, 2));
    sg_pushNode(L, space->createNode(static_cast<SGNodeClass>(kvToInteger<int>(L, -1))));
    return 1;
}

int space_removeNode(lua_State* L)
{
    SGSpace* space = checkSpace(L, sg_argFromTop(L, 1, 2));
    if (!lua_isuserdata(L, -1)) {
        printf("Attempt to remove nil node\n");
        // Let the script say where it happened.
        lua_getglobal(L, "logtrace");
        if (lua_pcall(L, 0, 0, 0) != 0) {
            KVReportMisuse("scenegraph.space.removeNode", "logtrace failed: %s",
                           lua_isstring(L, -1) ? lua_tostring(L, -1) : "(no message)");
            lua_pop(L, 1);
        }
        return 0;
    }
    // Found by address without touching the handle's node, which may be
    // gone already: a node not in this space is ignored.
    const void* pointer = sg_userdataPointer(L, -1);
    for (const Ref<SGNode>& node : space->nodes())
        if (node.get() == pointer) {
            space->removeNode(node.get());
            break;
        }
    return 0;
}

int space_sortRenderNodes(lua_State* L)
{
    checkSpace(L, sg_argFromTop(L, 1, 1))->sortRenderNodes();
    return 0;
}

int space_countRenderNodes(lua_State* L)
{
    SGSpace* space = checkSpace(L, sg_argFromTop(L, 1, 1));
    lua_pushinteger(L, space->countRenderNodes());
    return 1;
}

}  // namespace

extern const luaL_Reg sg_nodeFunctions[] = {
    {"compute", node_compute},
    {nullptr, nullptr},
};

extern const luaL_Reg sg_renderNodeFunctions[] = {
    {"setLayer", renderNode_setLayer},
    {nullptr, nullptr},
};

extern const luaL_Reg sg_renderNodeCounts[] = {
    {"getLayer", renderNode_getLayer},
    {nullptr, nullptr},
};

extern const luaL_Reg sg_spaceFunctions[] = {
    {"createNode", space_createNode},
    {"removeNode", space_removeNode},
    {"sortRenderNodes", space_sortRenderNodes},
    {nullptr, nullptr},
};

extern const luaL_Reg sg_spaceCounts[] = {
    {"countRenderNodes", space_countRenderNodes},
    {nullptr, nullptr},
};
