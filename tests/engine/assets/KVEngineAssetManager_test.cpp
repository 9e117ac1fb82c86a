#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/assets/KVTextureAsset.h"
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
    KVTextureAsset* asset(const std::string& name) { return lua.image(name); }
    uint32_t count(const std::string& name) { return asset(name) ? asset(name)->getReferenceCount() : 999; }
};

}  // namespace

// The ImageLoader bundle shows a loader's picture asked for once and listed
// from index 0; here loading by the script: names sorted, names without a
// path asked for every time, lists by their values.
TEST_F(AssetManagerTest, ScriptsLoadByNameAndByListAskingOncePerName)
{
    const std::string names = "(function(n) return tostring(n[0]) .. ',' .. tostring(n[1]) .. ',' .. tostring(n[2]) end)"
                              "(mgr:imageNames())";
    EXPECT_EQ(lua.eval(names), "nil,nil,nil");
    ASSERT_EQ(lua.run("mgr:loadImageForName('y') mgr:loadImageForName('x') mgr:loadImageForName('y')"
                       "mgr:loadImageForName('nowhere') mgr:loadImageForName('nowhere')"),
              "");
    EXPECT_EQ(lua.asked("y"), 1);
    EXPECT_EQ(lua.asked("nowhere"), 2);
    EXPECT_EQ(lua.eval(names), "x,y,nil");
    EXPECT_EQ(count("x"), 0u);
    EXPECT_EQ(asset("y")->getAsset()->textureWidth, 64);
    EXPECT_EQ(asset("y")->getResourceLocator(), KV_TEST_DATA_DIR "/images/quad64.png");
    KVTextureAsset* x = asset("x");
    SGImageLoaderNode* onY = loader("y");
    onY->asset.imageValue();

    // Duplicates and string keys: the values are what count.
    ASSERT_EQ(lua.run("mgr:cleanupAndLoadImages({'x', 'z', 'x', other = 'z', [10] = 'x'})"), "");
    EXPECT_EQ(asset("x"), x);
    EXPECT_EQ(lua.asked("x"), 1);
    EXPECT_FALSE(asset("y"));
    EXPECT_TRUE(onY->isDirty());
    EXPECT_EQ(lua.asked("z"), 1);
    EXPECT_EQ(lua.eval(names), "x,z,nil");

    ASSERT_EQ(lua.run("mgr:cleanupUnusedImages({z = 'z'})"), "");
    EXPECT_FALSE(asset("x"));
    EXPECT_TRUE(asset("z"));
    ASSERT_EQ(lua.run("mgr:loadImages({'y', 'y', 'z'})"), "");
    EXPECT_EQ(lua.asked("y"), 2);
    EXPECT_EQ(lua.asked("z"), 1);
    EXPECT_EQ(manager().getImages().size(), 2u);
}

// Loaders of one name share one counted asset; an empty name shows nothing
// but keeps the asset, an unknown one gives the null image. (Without a
// manager: DeleteTwiceIsHarmless...)
TEST_F(AssetManagerTest, LoadersOfOneNameShareOneCountedAsset)
{
    SGImageLoaderNode* first = loader("quad");
    SGImageLoaderNode* second = loader("quad");
    const SGImage shown = first->asset.imageValue();
    EXPECT_EQ(second->asset.imageValue().texture, shown.texture);
    EXPECT_NE(shown.texture, 0u);
    EXPECT_EQ(shown.textureWidth, 8);
    EXPECT_EQ(count("quad"), 2u);
    EXPECT_EQ(lua.asked("quad"), 1);

    // Computing again with the same name keeps one reference per loader.
    second->name.setValue("quad");
    second->asset.imageValue();
    EXPECT_EQ(count("quad"), 2u);
    second->name.setValue("");
    EXPECT_EQ(second->asset.imageValue().texture, 0u);
    EXPECT_FALSE(second->handle().empty());
    EXPECT_EQ(count("quad"), 2u);

    space->removeNode(first);
    EXPECT_EQ(count("quad"), 1u);
    EXPECT_FALSE(manager().hasUnreferencedAssets());
    EXPECT_EQ(manager().imageLoaders().size(), 1u);
    space->removeNode(second);
    EXPECT_EQ(count("quad"), 0u);
    EXPECT_TRUE(manager().hasUnreferencedAssets());
    EXPECT_TRUE(manager().imageLoaders().empty());

    SGImageLoaderNode* unknown = loader("nowhere");
    const SGImage none = unknown->asset.imageValue();
    EXPECT_EQ(none.texture, 0u);
    EXPECT_EQ(none.rect.x1, 0.0f);
    EXPECT_TRUE(unknown->handle().empty());
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
    EXPECT_FALSE(asset("quad"));
    EXPECT_FALSE(glIsTexture(oldTexture));
    for (SGImageLoaderNode* node : {a, b}) {
        EXPECT_TRUE(node->isDirty());
        EXPECT_TRUE(node->handle().empty());
    }
    EXPECT_FALSE(other->isDirty());
    EXPECT_FALSE(other->handle().empty());
    EXPECT_FALSE(pathless->isDirty());

    // Reading the output loads the picture anew.
    EXPECT_NE(a->asset.imageValue().texture, 0u);
    EXPECT_EQ(count("quad"), 1u);
    EXPECT_EQ(lua.asked("quad"), 2);
    b->asset.imageValue();
    EXPECT_EQ(count("quad"), 2u);

    // A name that was never loaded changes no map but still resets its loaders.
    ASSERT_EQ(lua.run("mgr:unloadImage('nowhere')"), "");
    EXPECT_TRUE(pathless->isDirty());
    EXPECT_FALSE(other->isDirty());
    EXPECT_EQ(manager().getImages().size(), 2u);
}

TEST_F(AssetManagerTest, FlushAfterAReleaseToZeroUnloadsEverythingOnce)
{
    SGImageLoaderNode* onX = loader("x");
    SGImageLoaderNode* onY = loader("y");
    onX->asset.imageValue();
    onY->asset.imageValue();
    ASSERT_EQ(lua.run("mgr:loadImageForName('z')"), "");

    // Nothing was released yet: a flush does nothing.
    ASSERT_EQ(lua.run("mgr:flushAssets()"), "");
    EXPECT_EQ(manager().getImages().size(), 3u);

    space->removeNode(onY);
    ASSERT_TRUE(manager().hasUnreferencedAssets());
    ASSERT_EQ(lua.run("mgr:flushAssets()"), "");
    EXPECT_TRUE(manager().getImages().empty());
    EXPECT_FALSE(manager().hasUnreferencedAssets());
    EXPECT_TRUE(onX->isDirty());
    EXPECT_TRUE(onX->handle().empty());

    // The loader still in use loads its picture again; a second flush keeps it.
    EXPECT_NE(onX->asset.imageValue().texture, 0u);
    ASSERT_EQ(lua.run("mgr:flushAssets()"), "");
    EXPECT_EQ(count("x"), 1u);
    EXPECT_EQ(lua.asked("x"), 2);
}

TEST_F(AssetManagerTest, ReloadAllImagesAlsoMakesTextNodesRenderAgain)
{
    SGImageLoaderNode* pictures = loader("quad");
    pictures->asset.imageValue();
    auto* text = static_cast<SGStringToImageNode*>(space->createNode(SGNodeClass::stringToImageNode));
    EXPECT_EQ(manager().textImages().count(text), 1u);
    text->image.imageValue();
    ASSERT_FALSE(text->isDirty());

    ASSERT_EQ(lua.run("mgr:unloadAllImages() mgr:clearForFreedImages()"), "");
    EXPECT_TRUE(manager().getImages().empty());
    EXPECT_TRUE(pictures->isDirty());
    EXPECT_FALSE(text->isDirty());

    pictures->asset.imageValue();
    ASSERT_EQ(lua.run("mgr:reloadAllImages()"), "");
    EXPECT_TRUE(manager().getImages().empty());
    EXPECT_TRUE(pictures->isDirty());
    EXPECT_TRUE(text->isDirty());

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
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "assetManager.loadImageForName: the asset manager was deleted; nothing done\n");

    // The manager freed its picture and let go of the nodes.
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(node->assetManager(), nullptr);
    EXPECT_EQ(text->assetManager(), nullptr);
    EXPECT_TRUE(node->handle().empty());
    EXPECT_EQ(node->asset.imageValue().texture, 0u);
    EXPECT_EQ(lua.asked("quad"), 1);

    // Spaces let go of it as well: what they create afterwards has none.
    SGImageLoaderNode* later = loader("quad");
    EXPECT_EQ(later->asset.imageValue().texture, 0u);
    auto* laterText = static_cast<SGStringToImageNode*>(
        scene->createSpace(SGNodeClass::space)->createNode(SGNodeClass::stringToImageNode));
    EXPECT_EQ(later->assetManager(), nullptr);
    EXPECT_EQ(laterText->assetManager(), nullptr);
    scene.reset();
}

TEST_F(AssetManagerTest, BadArgumentsPrintOneLineAndChangeNothing)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(lua.run("mgr:loadImageForName({})"), "");
    EXPECT_EQ(lua.run("assetManager.loadImageForName(nil, 'quad')"), "");
    EXPECT_EQ(lua.run("mgr:cleanupAndLoadImages('quad')"), "");
    EXPECT_EQ(lua.run("mgr:loadImages({'quad', true})"), "");
    EXPECT_EQ(lua.run("assetManager.imageNames({})"), "");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "assetManager.loadImageForName: a name must be a string, not table; skipped\n"
              "assetManager.loadImageForName: called without an asset manager; nothing done\n"
              "assetManager.cleanupAndLoadImages: a name list must be a table, not string; nothing done\n"
              "assetManager.loadImages: a name must be a string, not boolean; skipped\n"
              "assetManager.imageNames: called without an asset manager; nothing done\n");
    // Only the good name of the list was loaded.
    EXPECT_EQ(manager().getImages().size(), 1u);
    EXPECT_TRUE(asset("quad"));
}

// The lookup's errors reach the script, and leave the camera as it was.
TEST_F(AssetManagerTest, ScriptThatDeletesTheSceneOrFailsWhileItDrawsLeavesTheCameraAsItWas)
{
    // The path lookup runs while the scene draws its sprite; the scene sits
    // in an orthographic space inside a replicator.
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
        EXPECT_EQ(depths[0][0], depths[1][0]) << c.lookup;
        EXPECT_EQ(depths[0][1], depths[1][1]) << c.lookup;
        EXPECT_EQ(manager().getImages().size(), error.empty() ? 1u : 0u) << "nothing half made";
        lua.run("scene:delete()");
    }
}
