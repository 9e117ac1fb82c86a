// Scene functions of the "scenegraph" module. Arguments are read from the
// top of the stack, so they work called with a dot or a colon.
#include <utility>

#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/wrap_scenegraph.h"

namespace {

int scene_new(lua_State* L)
{
    // The sound and asset managers, as their modules publish them:
    // userdata whose first word is the pointer (nil: none).
    const int top = lua_gettop(L);
    auto* soundManager = static_cast<SoundManager*>(top >= 2 ? sg_userdataPointer(L, top - 1) : nullptr);
    auto* assetManager = static_cast<KVEngineAssetManager*>(top >= 1 ? sg_userdataPointer(L, top) : nullptr);
    sg_pushScene(L, new SGScene(soundManager, assetManager));
    return 1;
}

int scene_delete(lua_State* L)
{
    SGScene** slot = sg_checkSceneSlot(L, sg_argFromTop(L, 1, 1));
    // Cleared so that a second delete, or any later use, cannot reach
    // the freed scene. The handle's reference ends, the scene is not
    // deleted: a scene that is drawing holds itself until it is done.
    Ref<SGScene>::adopt(std::exchange(*slot, nullptr));
    return 0;
}

int scene_defaultSpace(lua_State* L)
{
    SGScene* scene = sg_checkScene(L, sg_argFromTop(L, 1, 1));
    sg_pushNode(L, &scene->defaultSpace());
    return 1;
}

int scene_createSpace(lua_State* L)
{
    SGScene* scene = sg_checkScene(L, sg_argFromTop(L, 1, 2));
    const int nodeClass = kvToInteger<int>(L, -1);
    sg_pushNode(L, scene->createSpace(static_cast<SGNodeClass>(nodeClass)));
    return 1;
}

int scene_removeSpace(lua_State* L)
{
    SGScene* scene = sg_checkScene(L, sg_argFromTop(L, 1, 2));
    // Found by address without touching the handle's node, which may be
    // anything: a space that is not listed is ignored.
    const void* pointer = sg_userdataPointer(L, -1);
    for (const Ref<SGSpace>& space : scene->spaces())
        if (static_cast<const SGNode*>(space.get()) == pointer) {
            scene->removeSpace(space.get());
            break;
        }
    return 0;
}

int scene_render(lua_State* L)
{
    sg_checkScene(L, sg_argFromTop(L, 1, 1))->render();
    return 0;
}

int scene_renderWithInitialState(lua_State* L)
{
    SGScene* scene = sg_checkScene(L, sg_argFromTop(L, 1, 2));
    SGScene* initial = sg_checkScene(L, -1);
    scene->renderWithInitialState(*initial);
    return 0;
}

}  // namespace

extern const luaL_Reg sg_sceneFunctions[] = {
    {"new", scene_new},
    {"delete", scene_delete},
    {"defaultSpace", scene_defaultSpace},
    {"createSpace", scene_createSpace},
    {"removeSpace", scene_removeSpace},
    {"render", scene_render},
    {"renderWithInitialState", scene_renderWithInitialState},
    {nullptr, nullptr},
};
