#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <vector>

#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "platform/objects/KVRef.h"
#include "tests/engine/scenegraph/SGTestNodes.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

using Matrix = MatrixRecordingNode::Matrix;

Matrix current(GLenum which)
{
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

// m * (x, y, 0, 1), projected to x and y.
std::array<float, 2> mapped(const Matrix& m, std::array<float, 2> p)
{
    const float w = m[3] * p[0] + m[7] * p[1] + m[15];
    return {(m[0] * p[0] + m[4] * p[1] + m[12]) / w, (m[1] * p[0] + m[5] * p[1] + m[13]) / w};
}

}  // namespace

using SGOrtho2DSpaceTest = GLTest;

// Where a point of the scene lands in clip space; the matrices and their mode as they were.
TEST_F(SGOrtho2DSpaceTest, MapsTheViewToTheViewportAndRestoresTheMatrices)
{
    const struct {
        float x, y, w, h, viewRotation, modelRotation;
        std::array<float, 2> point, clip;
    } cases[] = {
        // (The SceneMix screenshot shows views turned.) A view not at the origin:
        {100, 50, 200, 100, 0, 0, {300, 150}, {1, 1}},
        // Nothing set: both matrices stay the identity, without an error.
        {0, 0, 0, 0, 0, 0, {0.5f, 0.25f}, {0.5f, 0.25f}},
    };
    // Distinct matrices beforehand, so that restoring them shows.
    glMatrixMode(GL_PROJECTION);
    glTranslatef(0.25f, 0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glScalef(2.0f, 3.0f, 1.0f);
    const Matrix projectionBefore = current(GL_PROJECTION_MATRIX);
    const Matrix modelViewBefore = current(GL_MODELVIEW_MATRIX);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at " << c.x << ", " << c.y << " turned "
                                        << c.viewRotation << ", " << c.modelRotation);
        auto space = makeRef<SGOrtho2DSpace>(nullptr, nullptr);
        auto* probe = new MatrixRecordingNode();
        space->addNode(probe);
        for (auto [port, value] : {std::pair{&space->x, c.x}, {&space->y, c.y}, {&space->width, c.w},
                                   {&space->height, c.h}, {&space->viewRotation, c.viewRotation},
                                   {&space->modelRotation, c.modelRotation}})
            port->setValue(value);
        space->near.setValue(c.w ? -1.0f : 0.0f);
        space->far.setValue(c.w ? 1.0f : 0.0f);
        glMatrixMode(GL_PROJECTION);  // the space selects what it needs
        space->compute();
        const auto clip = mapped(probe->projection, mapped(probe->modelViews.at(0), c.point));
        EXPECT_NEAR(clip[0], c.clip[0], 1e-5f);
        EXPECT_NEAR(clip[1], c.clip[1], 1e-5f);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        EXPECT_EQ(current(GL_PROJECTION_MATRIX), projectionBefore);
        EXPECT_EQ(current(GL_MODELVIEW_MATRIX), modelViewBefore);
        std::vector<GLint> state(3);
        for (size_t i = 0; i < 3; ++i)
            glGetIntegerv(std::array{GL_MATRIX_MODE, GL_PROJECTION_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH}[i], &state[i]);
        EXPECT_EQ(state, (std::vector<GLint>{GL_MODELVIEW, 1, 1}));
    }
}
