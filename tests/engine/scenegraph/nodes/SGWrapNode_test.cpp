// Which side a wrap space's copies land on, read from the model-view matrix
// each is drawn under.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGWrapNode.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"
#include "tests/support/LuaChunk.h"

using Offsets = std::vector<OffsetRecordingNode::Offset>;
using SGWrapNodeTest = GLTest;

// Content left of the middle of the wrap area gets its copy one width to
// the right, content at or right of it one width to the left; likewise up
// and down. The ports are read every frame.
TEST_F(SGWrapNodeTest, TheCopyGoesToTheSideWhereTheContentIsNot)
{
    SGScene scene(nullptr, nullptr);
    auto* wrap = static_cast<SGWrapNode*>(scene.defaultSpace().createNode(SGNodeClass::wrapSpace));
    ASSERT_NE(wrap, nullptr);
    auto* recorder = new OffsetRecordingNode();
    wrap->addNode(recorder);
    const struct {
        bool wrapX, wrapY;
        float x, y, width, height;
        Offsets offsets;
    } cases[] = {
        {false, false, 100, 100, 480, 320, {{0, 0}}},
        {true, false, 100, 0, 480, 0, {{0, 0}, {480, 0}}},
        {true, false, 300, 0, 480, 0, {{0, 0}, {-480, 0}}},
        {true, false, 240, 0, 480, 0, {{0, 0}, {-480, 0}}},
        {true, false, 239.9f, 0, 480, 0, {{0, 0}, {480, 0}}},
        {true, false, -50, 0, 480, 0, {{0, 0}, {480, 0}}},
        {false, true, 0, 100, 0, 320, {{0, 0}, {0, 320}}},
        {false, true, 0, 160, 0, 320, {{0, 0}, {0, -320}}},
        {false, true, 0, 160, 0, 0, {{0, 0}, {0, 0}}},  // no size: the copy on top
        {true, true, 100, 200, 480, 320, {{0, 0}, {480, 0}, {0, -320}, {480, -320}}},
        {true, true, 400, 200, 480, 320, {{0, 0}, {-480, 0}, {0, -320}, {-480, -320}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << ", " << c.y << " in " << c.width << " x " << c.height
                                        << " wrapping " << c.wrapX << c.wrapY);
        wrap->wrapX.setStoredValue(c.wrapX);
        wrap->wrapY.setStoredValue(c.wrapY);
        wrap->x.setStoredValue(c.x);
        wrap->y.setStoredValue(c.y);
        wrap->wrapWidth.setStoredValue(c.width);
        wrap->wrapHeight.setStoredValue(c.height);
        recorder->offsets.clear();
        scene.render();
        EXPECT_EQ(recorder->offsets, c.offsets);
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
}

// Spaces made inside a space share its managers; the asset manager is a
// real one, which clears the cell they keep when it goes.
TEST_F(SGWrapNodeTest, TakesThePlacesManagersAndForgetsAGoneAssetManager)
{
    int soundManager = 0;
    LuaTestState lua;
    auto* assetManager = new KVEngineAssetManager(lua.L);
    SGSpace parent(reinterpret_cast<SoundManager*>(&soundManager), assetManager);
    for (SGNodeClass kind : {SGNodeClass::wrapSpace, SGNodeClass::replicatorSpace}) {
        auto* child = static_cast<SGSpace*>(parent.createNode(kind));
        EXPECT_EQ(child->soundManager(), reinterpret_cast<SoundManager*>(&soundManager));
        EXPECT_EQ(child->assetManager(), assetManager);
    }
    delete assetManager;
    for (const auto& child : parent.nodes())
        EXPECT_EQ(static_cast<SGSpace*>(child.get())->assetManager(), nullptr);
}
