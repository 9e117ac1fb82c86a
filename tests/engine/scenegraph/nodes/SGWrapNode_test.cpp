// Where the copies of a replicator or wrap space land, by the model-view matrix of each.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGReplicatorNode.h"
#include "engine/scenegraph/nodes/SGWrapNode.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"
#include "tests/support/LuaChunk.h"

using Offsets = std::vector<std::pair<float, float>>;

class CopySpaceTest : public GLTest {
protected:
    // A space of that kind in the scene, holding the recorder.
    template <class Space>
    Space* create(SGNodeClass kind)
    {
        auto* space = static_cast<Space*>(scene.defaultSpace().createNode(kind));
        space->addNode(recorder);
        return space;
    }
    // One frame's offsets; the model-view matrix and its stack are restored.
    void expectDrawnAt(const Offsets& expected)
    {
        recorder->modelViews.clear();
        scene.render();
        ASSERT_EQ(recorder->modelViews.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(recorder->modelViews[i][12], expected[i].first, 1e-5f) << i;
            EXPECT_NEAR(recorder->modelViews[i][13], expected[i].second, 1e-5f) << i;
        }
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(std::pair(m[12], m[13]), std::pair(0.0f, 0.0f));
    }

    SGScene scene{nullptr, nullptr};
    MatrixRecordingNode* recorder = new MatrixRecordingNode();
};

// Copies along the angle, none for zero or less; ports are read every frame.
TEST_F(CopySpaceTest, ReplicatorCopiesAreSpacedAlongTheAngle)
{
    auto* replicator = create<SGReplicatorNode>(SGNodeClass::replicatorSpace);
    EXPECT_EQ(scene.defaultSpace().countRenderNodes(), 1);
    const struct {
        int copies;
        float spacing, angle;
        Offsets offsets;
    } cases[] = {
        {1, 10, 0, {{0, 0}}},  // copies not set: one
        {3, 10, 0, {{0, 0}, {10, 0}, {20, 0}}},
        {3, 10, 90, {{0, 0}, {0, 10}, {0, 20}}},
        {0, 10, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.copies << " copies " << c.spacing << " apart at " << c.angle);
        if (&c != cases)
            replicator->copies.setStoredValue(c.copies);
        replicator->spacing.setStoredValue(c.spacing);
        replicator->angle.setStoredValue(c.angle);
        expectDrawnAt(c.offsets);
    }
}

// Content left of (below) the middle gets its copy one width right (up), else left (down).
TEST_F(CopySpaceTest, TheWrapCopyGoesToTheSideWhereTheContentIsNot)
{
    auto* wrap = create<SGWrapNode>(SGNodeClass::wrapSpace);
    const struct {
        bool wrapX, wrapY;
        float x, y, width, height;
        Offsets offsets;
    } cases[] = {
        {false, false, 100, 100, 480, 320, {{0, 0}}},
        {true, false, 100, 0, 480, 0, {{0, 0}, {480, 0}}},
        {true, false, 240, 0, 480, 0, {{0, 0}, {-480, 0}}},
        {true, false, 239.9f, 0, 480, 0, {{0, 0}, {480, 0}}},
        {false, true, 0, 100, 0, 320, {{0, 0}, {0, 320}}},
        {false, true, 0, 160, 0, 320, {{0, 0}, {0, -320}}},
        {false, true, 0, 160, 0, 0, {{0, 0}, {0, 0}}},  // no size: the copy on top
        {true, true, 100, 200, 480, 320, {{0, 0}, {480, 0}, {0, -320}, {480, -320}}},
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
        expectDrawnAt(c.offsets);
    }
}

// Spaces made in a space share its managers, and forget a gone asset manager.
TEST(SGWrapNode, TakesThePlacesManagersAndForgetsAGoneAssetManager)
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
