#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGClearNode.h"
#include "engine/scenegraph/nodes/SGColorNode.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

// Paints the top-left quarter of the viewport red when drawn.
class RedCorner : public SGRenderNode {
public:
    RedCorner() : SGRenderNode(SGNodeClass::spriteNode) {}
    void compute() override
    {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, GLTest::kHeight / 2, GLTest::kWidth / 2, GLTest::kHeight / 2);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
};

}  // namespace

using SGClearNodeTest = GLTest;

TEST_F(SGClearNodeTest, FirstInTheListItFillsTheFrameBeforeTheOthersDraw)
{
    SGScene scene(nullptr, nullptr);
    SGSpace* space = scene.createSpace(SGNodeClass::ortho2DSpace);
    auto* clear = static_cast<SGClearNode*>(space->createNode(SGNodeClass::clearNode));
    ASSERT_NE(clear, nullptr);
    clear->color.setValue(SGColor{0, 0, 1, 1});
    space->addNode(new RedCorner());

    scene.render();
    EXPECT_EQ(pixelAt(0, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(kWidth - 1, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(0, kHeight - 1), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(kWidth / 2, kHeight / 2), (Pixel{0, 0, 255, 255}));

    // Last in the list, it wipes what was drawn before it.
    clear->setLayer(1);
    space->sortRenderNodes();
    scene.render();
    EXPECT_EQ(pixelAt(0, 0), (Pixel{0, 0, 255, 255}));
}

TEST_F(SGClearNodeTest, ClearsDepthTooAndDefaultsToOpaqueBlack)
{
    glClearColor(1, 1, 1, 1);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);

    auto* clear = new SGClearNode();
    EXPECT_EQ(clear->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::clearNode));
    clear->compute();
    EXPECT_EQ(pixelAt(3, 3), (Pixel{0, 0, 0, 255}));
    GLfloat depth = 0;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    EXPECT_FALSE(clear->isDirty());
    clear->release();
}

TEST_F(SGClearNodeTest, TakesItsColourFromAnyPortIDAndThroughAConnection)
{
    auto* clear = new SGClearNode();
    EXPECT_EQ(clear->portForID(SGPortID::color), &clear->color);
    EXPECT_EQ(clear->portForID(SGPortID::x), &clear->color);

    auto* color = new SGColorNode();
    color->r.setValue(0.0f);
    color->g.setValue(1.0f);
    color->b.setValue(0.0f);
    clear->portForID(SGPortID::value)->setValue(&color->output);
    clear->compute();
    EXPECT_EQ(pixelAt(10, 10), (Pixel{0, 255, 0, 255}));

    // The clear node reads its colour every frame, so even a change that
    // marks nothing shows at the next draw.
    color->b.setStoredValue(1.0f);
    color->setDirty(true);
    clear->compute();
    EXPECT_EQ(pixelAt(10, 10), (Pixel{0, 255, 255, 255}));
    clear->release();
    color->release();
}

TEST_F(SGClearNodeTest, AFreshSceneDrawsNothing)
{
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Pixel before = pixelAt(5, 5);
    auto* scene = new SGScene(nullptr, nullptr);
    scene->render();
    scene->createSpace(SGNodeClass::ortho2DSpace);
    scene->render();
    EXPECT_EQ(pixelAt(5, 5), before);
    EXPECT_EQ(pixelAt(kWidth - 1, kHeight - 1), before);
    scene->release();
}
