// Wrap spaces drawn on the offscreen context: which side their copies land
// on (read from the model-view matrix and from pixels), and how many there
// are.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "engine/scenegraph/nodes/SGWrapNode.h"
#include "platform/gl/GLDrawingState.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"

using Offsets = std::vector<OffsetRecordingNode::Offset>;

class SGWrapNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        wrap = static_cast<SGWrapNode*>(scene.defaultSpace().createNode(SGNodeClass::wrapSpace));
        ASSERT_NE(wrap, nullptr);
        recorder = new OffsetRecordingNode();
        wrap->addNode(recorder);
    }

    // Draws the scene once and answers the offsets the recorder was drawn at.
    Offsets draw()
    {
        recorder->offsets.clear();
        scene.render();
        return recorder->offsets;
    }

    SGScene scene{nullptr, nullptr};
    SGWrapNode* wrap = nullptr;
    OffsetRecordingNode* recorder = nullptr;
};

TEST_F(SGWrapNodeTest, PortsFlagsAndTheParentsManagers)
{
    EXPECT_EQ(wrap->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::space | SGNodeClass::wrapSpace));
    const SGPortID ids[] = {SGPortID::x, SGPortID::y, SGPortID::wrapX, SGPortID::wrapY, SGPortID::wrapWidth,
                            SGPortID::wrapHeight};
    int found = 0;
    for (int id = 0; id <= static_cast<int>(SGPortID::wrap); ++id)
        if (wrap->portForID(static_cast<SGPortID>(id)))
            ++found;
    EXPECT_EQ(found, 6);
    for (SGPortID id : ids)
        EXPECT_NE(wrap->portForID(id), nullptr) << SGPortIDName(static_cast<int32_t>(id));
    EXPECT_EQ(wrap->portForID(SGPortID::wrapHeight), &wrap->wrapHeight);
    EXPECT_EQ(wrap->portForID(SGPortID::wrap), nullptr);

    // The asset manager is a real one: spaces keep a cell it clears.
    int soundManager = 0;
    lua_State* L = luaL_newstate();
    auto* assetManager = new KVEngineAssetManager(L);
    SGSpace parent(reinterpret_cast<SoundManager*>(&soundManager), assetManager);
    auto* child = static_cast<SGSpace*>(parent.createNode(SGNodeClass::wrapSpace));
    EXPECT_EQ(child->soundManager(), reinterpret_cast<SoundManager*>(&soundManager));
    EXPECT_EQ(child->assetManager(), assetManager);
    delete assetManager;
    EXPECT_EQ(child->assetManager(), nullptr);
    lua_close(L);

    // Nothing on: drawn once, like a plain space.
    EXPECT_EQ(draw(), (Offsets{{0, 0}}));
}

// Wrap width 480: content left of the middle gets its copy 480 to the right,
// content at or right of it 480 to the left.
TEST_F(SGWrapNodeTest, TheCopyGoesToTheSideWhereTheContentIsNot)
{
    wrap->wrapX.setValue(true);
    wrap->wrapWidth.setValue(480.0f);
    struct Case {
        float x, dx;
    } cases[] = {{100, 480}, {300, -480}, {240, -480}, {239.9f, 480}, {-50, 480}};
    for (const Case& c : cases) {
        wrap->x.setValue(c.x);
        EXPECT_EQ(draw(), (Offsets{{0, 0}, {c.dx, 0}})) << "x " << c.x;
    }

    wrap->wrapX.setValue(false);
    wrap->wrapY.setValue(true);
    wrap->wrapHeight.setValue(320.0f);
    wrap->y.setValue(100.0f);
    EXPECT_EQ(draw(), (Offsets{{0, 0}, {0, 320}}));
    wrap->y.setValue(160.0f);
    EXPECT_EQ(draw(), (Offsets{{0, 0}, {0, -320}}));

    // A wrap size of 0 draws the copy on top of the first drawing.
    wrap->wrapHeight.setValue(0.0f);
    EXPECT_EQ(draw(), (Offsets{{0, 0}, {0, 0}}));
}

// Both directions: in place, shifted in x, shifted in y, shifted in both;
// the matrix is as it was afterwards. The ports are read every frame.
TEST_F(SGWrapNodeTest, BothDirectionsDrawFourCopies)
{
    wrap->wrapX.setValue(true);
    wrap->wrapY.setValue(true);
    wrap->wrapWidth.setValue(480.0f);
    wrap->wrapHeight.setValue(320.0f);
    wrap->x.setValue(100.0f);
    wrap->y.setValue(200.0f);
    EXPECT_EQ(draw(), (Offsets{{0, 0}, {480, 0}, {0, -320}, {480, -320}}));

    wrap->x.setStoredValue(400.0f);
    EXPECT_EQ(draw(), (Offsets{{0, 0}, {-480, 0}, {0, -320}, {-480, -320}}));

    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.0f);
}

// An 8 x 8 square over the top-right corner of a 64 x 48 wrap area shows in
// all four corners of the view.
TEST_F(SGWrapNodeTest, ContentOverACornerShowsInAllFour)
{
    auto* square = static_cast<SGSpriteNode*>(wrap->createNode(SGNodeClass::spriteNode));
    square->x.setValue(62.0f);
    square->y.setValue(46.0f);
    square->width.setValue(8.0f);
    square->height.setValue(8.0f);
    wrap->x.setValue(62.0f);
    wrap->y.setValue(46.0f);
    wrap->wrapX.setValue(true);
    wrap->wrapY.setValue(true);
    wrap->wrapWidth.setValue(static_cast<float>(kWidth));
    wrap->wrapHeight.setValue(static_cast<float>(kHeight));
    draw();
    const Pixel white{255, 255, 255, 255}, black{0, 0, 0, 255};
    EXPECT_EQ(at(60, 44), white);
    EXPECT_EQ(at(1, 44), white);
    EXPECT_EQ(at(60, 1), white);
    EXPECT_EQ(at(1, 1), white);
    EXPECT_EQ(at(2, 2), black) << "the copies reach 2 units past the edges";
    EXPECT_EQ(at(57, 44), black);
    EXPECT_EQ(at(32, 24), black);
}
