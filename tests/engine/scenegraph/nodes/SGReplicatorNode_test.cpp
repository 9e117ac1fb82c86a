// Replicator spaces drawn on the offscreen context: where their copies land
// (read from the model-view matrix and from pixels), and how many there are.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGReplicatorNode.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "platform/gl/GLDrawingState.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

const GLTest::Pixel kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255};

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

class SGReplicatorNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        replicator = static_cast<SGReplicatorNode*>(scene.defaultSpace().createNode(SGNodeClass::replicatorSpace));
        ASSERT_NE(replicator, nullptr);
        recorder = new OffsetRecordingNode();
        replicator->addNode(recorder);
    }

    // Draws the scene once and answers the offsets the recorder was drawn at.
    std::vector<OffsetRecordingNode::Offset> draw()
    {
        recorder->offsets.clear();
        scene.render();
        return recorder->offsets;
    }

    SGScene scene{nullptr, nullptr};
    SGReplicatorNode* replicator = nullptr;
    OffsetRecordingNode* recorder = nullptr;
};

TEST_F(SGReplicatorNodeTest, PortsFlagsAndTheParentsManagers)
{
    EXPECT_EQ(replicator->classFlags(),
              static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::space | SGNodeClass::replicatorSpace));
    int found = 0;
    for (int id = 0; id <= static_cast<int>(SGPortID::wrap); ++id)
        if (replicator->portForID(static_cast<SGPortID>(id)))
            ++found;
    EXPECT_EQ(found, 3);
    EXPECT_EQ(replicator->portForID(SGPortID::angle), &replicator->angle);
    EXPECT_EQ(replicator->portForID(SGPortID::spacing), &replicator->spacing);
    EXPECT_EQ(replicator->portForID(SGPortID::copies), &replicator->copies);
    EXPECT_EQ(replicator->copies.storedValue(), 1);

    // The asset manager is a real one: spaces keep a cell it clears.
    int soundManager = 0;
    lua_State* L = luaL_newstate();
    auto* assetManager = new KVEngineAssetManager(L);
    SGSpace parent(reinterpret_cast<SoundManager*>(&soundManager), assetManager);
    auto* child = static_cast<SGSpace*>(parent.createNode(SGNodeClass::replicatorSpace));
    EXPECT_EQ(child->soundManager(), reinterpret_cast<SoundManager*>(&soundManager));
    EXPECT_EQ(child->assetManager(), assetManager);
    delete assetManager;
    EXPECT_EQ(child->assetManager(), nullptr);
    lua_close(L);
    EXPECT_EQ(parent.countRenderNodes(), 1);
    EXPECT_EQ(child->countRenderNodes(), 0);
}

// copies 3, spacing 10: at x offsets 0, 10, 20 for angle 0, at y offsets
// for angle 90; the matrix is as it was afterwards.
TEST_F(SGReplicatorNodeTest, CopiesAreSpacedAlongTheAngle)
{
    replicator->copies.setValue(3);
    replicator->spacing.setValue(10.0f);
    auto offsets = draw();
    ASSERT_EQ(offsets.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(offsets[i].x, 10.0f * i) << i;
        EXPECT_FLOAT_EQ(offsets[i].y, 0.0f) << i;
    }

    replicator->angle.setValue(90.0f);
    offsets = draw();
    ASSERT_EQ(offsets.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(offsets[i].x, 0.0f, 1e-5f) << i;
        EXPECT_FLOAT_EQ(offsets[i].y, 10.0f * i) << i;
    }

    replicator->angle.setValue(-135.0f);
    replicator->spacing.setValue(std::sqrt(2.0f));
    offsets = draw();
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_NEAR(offsets[2].x, -2.0f, 1e-5f);
    EXPECT_NEAR(offsets[2].y, -2.0f, 1e-5f);

    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.0f);
}

// The default single copy draws like a plain space; 0 or fewer copies draw
// nothing. The ports are read every frame, so a value written without
// notification shows at the next one.
TEST_F(SGReplicatorNodeTest, OneCopyByDefaultAndNoneForZeroOrLess)
{
    replicator->spacing.setValue(10.0f);
    auto offsets = draw();
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(offsets[0].x, 0.0f);
    EXPECT_EQ(offsets[0].y, 0.0f);

    replicator->copies.setStoredValue(0);
    EXPECT_TRUE(draw().empty());
    replicator->copies.setStoredValue(-4);
    EXPECT_TRUE(draw().empty());
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    replicator->copies.setStoredValue(2);
    EXPECT_EQ(draw().size(), 2u);
}

// A 4 x 4 white square at (4, 4), three times.
TEST_F(SGReplicatorNodeTest, CopiesShowOnScreen)
{
    auto* square = static_cast<SGSpriteNode*>(replicator->createNode(SGNodeClass::spriteNode));
    square->x.setValue(4.0f);
    square->y.setValue(4.0f);
    square->width.setValue(4.0f);
    square->height.setValue(4.0f);
    replicator->copies.setValue(3);
    replicator->spacing.setValue(10.0f);
    draw();
    for (int x : {4, 14, 24})
        EXPECT_EQ(at(x, 4), kWhite) << x;
    EXPECT_EQ(at(9, 4), kBlack);
    EXPECT_EQ(at(34, 4), kBlack);

    glClear(GL_COLOR_BUFFER_BIT);
    replicator->angle.setValue(90.0f);
    draw();
    for (int y : {4, 14, 24})
        EXPECT_EQ(at(4, y), kWhite) << y;
    EXPECT_EQ(at(14, 4), kBlack);
    EXPECT_EQ(at(4, 34), kBlack);
}

// Removing the replicator from its space releases its children with it.
TEST_F(SGReplicatorNodeTest, RemovingItReleasesItsChildren)
{
    bool destroyed = false;
    Log log;
    replicator->addNode(new RecordingRenderNode("child", &log, 0, &destroyed));
    replicator->copies.setValue(2);
    draw();
    EXPECT_EQ(log, (Log{"child", "child"}));
    scene.defaultSpace().removeNode(replicator);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(scene.defaultSpace().countRenderNodes(), 0);
}
