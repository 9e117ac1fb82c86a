// Where a replicator space's copies land, read from the model-view matrix
// each is drawn under.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGReplicatorNode.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"

using Offsets = std::vector<OffsetRecordingNode::Offset>;
using SGReplicatorNodeTest = GLTest;

// The ports are read every frame, so values written without notice count.
TEST_F(SGReplicatorNodeTest, CopiesAreSpacedAlongTheAngleAndNoneForZeroOrLess)
{
    SGScene scene(nullptr, nullptr);
    auto* replicator = static_cast<SGReplicatorNode*>(scene.defaultSpace().createNode(SGNodeClass::replicatorSpace));
    ASSERT_NE(replicator, nullptr);
    auto* recorder = new OffsetRecordingNode();
    replicator->addNode(recorder);
    EXPECT_EQ(scene.defaultSpace().countRenderNodes(), 1);
    const struct {
        int copies;
        float spacing, angle;
        Offsets offsets;
    } cases[] = {
        {1, 10, 0, {{0, 0}}},  // copies not set: one
        {3, 10, 0, {{0, 0}, {10, 0}, {20, 0}}},
        {3, 10, 90, {{0, 0}, {0, 10}, {0, 20}}},
        {2, 2, -90, {{0, 0}, {0, -2}}},
        {0, 10, 0, {}},
        {-4, 10, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.copies << " copies " << c.spacing << " apart at " << c.angle);
        if (&c != cases)
            replicator->copies.setStoredValue(c.copies);
        replicator->spacing.setStoredValue(c.spacing);
        replicator->angle.setStoredValue(c.angle);
        recorder->offsets.clear();
        scene.render();
        ASSERT_EQ(recorder->offsets.size(), c.offsets.size());
        for (size_t i = 0; i < c.offsets.size(); ++i) {
            EXPECT_NEAR(recorder->offsets[i].x, c.offsets[i].x, 1e-5f) << i;
            EXPECT_NEAR(recorder->offsets[i].y, c.offsets[i].y, 1e-5f) << i;
        }
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[12], 0.0f);
        EXPECT_EQ(m[13], 0.0f);
    }
}
