#include <gtest/gtest.h>

#include <GL/gl.h>

#include <initializer_list>

#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/nodes/SGImageLoaderNode.h"
#include "engine/scenegraph/nodes/SGStringToImageNode.h"
#include "tests/engine/assets/AssetLua.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

class AssetManagerTest : public GLTest, public AssetScene {
protected:
    SGImageLoaderNode* loader(const std::string& name)
    {
        return AssetScene::loader<SGImageLoaderNode>(SGNodeClass::imageLoaderNode, name);
    }
    KVEngineAssetManager& manager() { return *lua.manager; }
    // The manager's pictures and counts, whether one fell to none, its loaders and text nodes.
    std::string books()
    {
        return lua.images() + (manager().hasUnreferencedAssets() ? "unreferenced " : "") + "loaders " +
               std::to_string(manager().imageLoaders().size()) + " texts " +
               std::to_string(manager().textImages().size());
    }
    // "dirty" or "clean" for each node, "held" for a loader with a handle.
    static std::string states(std::initializer_list<SGNode*> nodes)
    {
        std::string s;
        for (SGNode* node : nodes) {
            auto* loader = dynamic_cast<SGImageLoaderNode*>(node);
            s += std::string(s.empty() ? "" : ", ") + (node->isDirty() ? "dirty" : "clean") +
                 (loader && !loader->handle().empty() ? " held" : "");
        }
        return s;
    }
};

}  // namespace

// (The ImageLoader bundle shows a loader's picture asked for once.) Names sorted, lists by their values.
TEST_F(AssetManagerTest, ScriptsLoadByNameAndByListAskingOncePerName)
{
    const std::string names = "(function(n) return tostring(n[0]) .. ',' .. tostring(n[1]) .. ',' .. tostring(n[2]) end)"
                              "(mgr:imageNames())";
    EXPECT_EQ(lua.eval(names), "nil,nil,nil");
    ASSERT_EQ(lua.run("mgr:loadImageForName('y') mgr:loadImageForName('x') mgr:loadImageForName('y')"
                       "mgr:loadImageForName('nowhere') mgr:loadImageForName('nowhere')"),
              "");
    EXPECT_EQ(lua.asked(), "nowhere=2 x=1 y=1");
    EXPECT_EQ(lua.eval(names) + " " + lua.images(), "x,y,nil x:0 y:0 ");
    EXPECT_EQ(std::pair(lua.image("y")->getAsset()->textureWidth, lua.image("y")->getResourceLocator()),
              std::pair(64, std::string(KV_TEST_DATA_DIR "/images/quad64.png")));
    KVTextureAsset* x = lua.image("x");
    SGImageLoaderNode* onY = loader("y");
    onY->asset.imageValue();

    // Duplicates and string keys: the values are what count.
    ASSERT_EQ(lua.run("mgr:cleanupAndLoadImages({'x', 'z', 'x', other = 'z', [10] = 'x'})"), "");
    EXPECT_EQ(lua.image("x"), x);
    EXPECT_EQ(lua.eval(names) + " " + lua.images() + states({onY}), "x,z,nil x:0 z:0 dirty");

    ASSERT_EQ(lua.run("mgr:cleanupUnusedImages({z = 'z'}) mgr:loadImages({'y', 'y', 'z'})"), "");
    EXPECT_EQ(lua.images(), "y:0 z:0 ");
    EXPECT_EQ(lua.asked(), "nowhere=2 x=1 y=2 z=1");
}

// An empty name shows nothing but keeps the asset; an unknown one gives the null image.
TEST_F(AssetManagerTest, LoadersOfOneNameShareOneCountedAsset)
{
    SGImageLoaderNode* first = loader("quad");
    SGImageLoaderNode* second = loader("quad");
    const SGImage shown = first->asset.imageValue();
    EXPECT_NE(shown.texture, 0u);
    EXPECT_EQ(std::pair(second->asset.imageValue().texture, shown.textureWidth), std::pair(shown.texture, 8));

    // Computing again with the same name keeps one reference per loader.
    second->name.setValue("quad");
    second->asset.imageValue();
    second->name.setValue("");
    EXPECT_EQ(second->asset.imageValue().texture, 0u);
    EXPECT_EQ(books() + ", " + states({second}) + ", " + lua.asked(), "quad:2 loaders 2 texts 0, clean held, quad=1");

    space->removeNode(first);
    EXPECT_EQ(books(), "quad:1 loaders 1 texts 0");
    space->removeNode(second);
    EXPECT_EQ(books(), "quad:0 unreferenced loaders 0 texts 0");

    SGImageLoaderNode* unknown = loader("nowhere");
    const SGImage none = unknown->asset.imageValue();
    EXPECT_EQ(std::pair(none.texture, none.rect.x1), std::pair(0u, 0.0f));
    EXPECT_EQ(states({unknown}), "clean");
}

TEST_F(AssetManagerTest, UnloadImageResetsExactlyTheLoadersOfThatName)
{
    SGImageLoaderNode* a = loader("quad");
    SGImageLoaderNode* other = loader("quad64");
    SGImageLoaderNode* pathless = loader("nowhere");
    // One whose name comes from upstream.
    auto* attribute = new SGAttributeNode(SGPortValueType::ASSETNAME);
    static_cast<SGStringPort*>(attribute->valuePort())->setValue("quad");
    space->addNode(attribute);
    SGImageLoaderNode* b = loader("");
    b->name.setValue(attribute->valuePort());
    for (SGImageLoaderNode* node : {a, b, other, pathless})
        node->asset.imageValue();
    const GLuint oldTexture = a->asset.imageValue().texture;

    ASSERT_EQ(lua.run("mgr:unloadImage('quad')"), "");
    EXPECT_FALSE(glIsTexture(oldTexture));
    EXPECT_EQ(lua.images() + states({a, b, other, pathless}), "quad64:1 dirty, dirty, clean held, clean");

    // Reading the output loads the picture anew.
    EXPECT_NE(a->asset.imageValue().texture, 0u);
    b->asset.imageValue();
    EXPECT_EQ(lua.images() + lua.asked(), "quad:2 quad64:1 nowhere=1 quad64=1 quad=2");

    // A name that was never loaded changes no map but still resets its loaders.
    ASSERT_EQ(lua.run("mgr:unloadImage('nowhere')"), "");
    EXPECT_EQ(lua.images() + states({pathless, other}), "quad:2 quad64:1 dirty, clean held");
}

TEST_F(AssetManagerTest, FlushAfterAReleaseUnloadsEverythingOnceAsUnloadingAllDoes)
{
    SGImageLoaderNode* onX = loader("x");
    SGImageLoaderNode* onY = loader("y");
    onX->asset.imageValue();
    onY->asset.imageValue();
    // Nothing was released yet: a flush does nothing.
    ASSERT_EQ(lua.run("mgr:loadImageForName('z') mgr:flushAssets()"), "");
    EXPECT_EQ(lua.images(), "x:1 y:1 z:0 ");

    space->removeNode(onY);
    ASSERT_EQ(lua.run("mgr:flushAssets()"), "");
    EXPECT_EQ(books() + ", " + states({onX}), "loaders 1 texts 0, dirty");

    // The loader still in use loads its picture again; a second flush keeps it.
    EXPECT_NE(onX->asset.imageValue().texture, 0u);
    ASSERT_EQ(lua.run("mgr:flushAssets()"), "");
    EXPECT_EQ(lua.images() + lua.asked(), "x:1 x=2 y=1 z=1");

    // Unloading all resets the loaders; reloading all makes text nodes render again too.
    auto* text = static_cast<SGStringToImageNode*>(space->createNode(SGNodeClass::stringToImageNode));
    text->image.imageValue();
    EXPECT_EQ(books() + ", " + states({onX, text}), "x:1 loaders 1 texts 1, clean held, clean");
    ASSERT_EQ(lua.run("mgr:unloadAllImages() mgr:clearForFreedImages()"), "");
    EXPECT_EQ(lua.images() + states({onX, text}), "dirty, clean");
    onX->asset.imageValue();
    ASSERT_EQ(lua.run("mgr:reloadAllImages()"), "");
    EXPECT_EQ(lua.images() + states({onX, text}), "dirty, dirty");
    space->removeNode(text);
    EXPECT_TRUE(manager().textImages().empty());
}

TEST_F(AssetManagerTest, DeleteTwiceIsHarmlessAndLeavesLiveNodesEmpty)
{
    SGImageLoaderNode* node = loader("quad");
    auto* text = static_cast<SGStringToImageNode*>(space->createNode(SGNodeClass::stringToImageNode));
    const GLuint texture = node->asset.imageValue().texture;

    testing::internal::CaptureStderr();
    ASSERT_EQ(lua.run("mgr:delete() mgr:delete() mgr:flushAssets() mgr:loadImageForName('quad')"), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "assetManager.loadImageForName: the asset manager was deleted; nothing done\n");

    // The manager and the spaces let go of the nodes: what they create afterwards has none.
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(node->asset.imageValue().texture, 0u);
    EXPECT_EQ(states({node}) + " " + lua.asked(), "clean quad=1");
    SGImageLoaderNode* later = loader("quad");
    EXPECT_EQ(later->asset.imageValue().texture, 0u);
    auto* laterText = static_cast<SGStringToImageNode*>(
        scene->createSpace(SGNodeClass::space)->createNode(SGNodeClass::stringToImageNode));
    for (SGAssetLoaderNode* n : {node, later})
        EXPECT_EQ(n->assetManager(), nullptr);
    for (SGStringToImageNode* n : {text, laterText})
        EXPECT_EQ(n->assetManager(), nullptr);
    scene.reset();
}

TEST_F(AssetManagerTest, BadArgumentsPrintOneLineAndChangeNothing)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(lua.run("mgr:loadImageForName({}) assetManager.loadImageForName(nil, 'quad')"
                      "mgr:cleanupAndLoadImages('quad') mgr:loadImages({'quad', true}) assetManager.imageNames({})"),
              "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "assetManager.loadImageForName: a name must be a string, not table; skipped\n"
              "assetManager.loadImageForName: called without an asset manager; nothing done\n"
              "assetManager.cleanupAndLoadImages: a name list must be a table, not string; nothing done\n"
              "assetManager.loadImages: a name must be a string, not boolean; skipped\n"
              "assetManager.imageNames: called without an asset manager; nothing done\n");
    // Only the good name of the list was loaded.
    EXPECT_EQ(lua.images(), "quad:0 ");
}

// The lookup's errors reach the script, and leave the camera as it was.
TEST_F(AssetManagerTest, ScriptThatDeletesTheSceneOrFailsWhileItDrawsLeavesTheCameraAsItWas)
{
    // The lookup runs while the scene draws, in an orthographic space inside a replicator.
    const struct {
        const char* lookup;
        const char* error;
    } cases[] = {
        {"scene:delete() return DATA .. '/images/quad.png'", ""},
        {"error('no path for ' .. name)", "no path for quad"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(lua.run(std::string("function project:pathForImage(name) ") + c.lookup + " end"), "");
        ASSERT_EQ(lua.run(R"lua(
            mgr:unloadAllImages()
            scene = scenegraph.scene.new(nil, mgr)
            local camera = scene:createSpace(scenegraph.ortho2DSpace)
            local copies = camera:createNode(scenegraph.replicatorSpace)
            copies.copies:setValue(2, true)
            local sprite = copies:createNode(scenegraph.spriteNode)
            local loader = copies:createNode(scenegraph.imageLoaderNode)
            loader.name:setValue("quad", true)
            sprite.image:setValue(loader.asset)
        )lua"),
                  "");
        GLint depths[2][2];
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[0][0]);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[0][1]);
        const std::string error = lua.run("scene:render()");
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[1][0]);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[1][1]);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(std::string(c.error).empty(), error.empty()) << error;
        EXPECT_EQ(std::pair(depths[0][0], depths[0][1]), std::pair(depths[1][0], depths[1][1])) << c.lookup;
        EXPECT_EQ(manager().getImages().size(), error.empty() ? 1u : 0u) << "nothing half made";
        lua.run("scene:delete()");
    }
}
