#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

using Matrix = std::array<float, 16>;  // column-major, as OpenGL keeps it

Matrix current(GLenum which)
{
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

// m * (x, y, 0, 1), projected to x and y.
std::array<float, 2> apply(const Matrix& m, float x, float y)
{
    const float w = m[3] * x + m[7] * y + m[15];
    return {(m[0] * x + m[4] * y + m[12]) / w, (m[1] * x + m[5] * y + m[13]) / w};
}

// Captures both matrices at the moment it draws.
class MatrixProbe : public SGRenderNode {
public:
    MatrixProbe() : SGRenderNode(SGNodeClass::spriteNode) {}
    void compute() override
    {
        projection = current(GL_PROJECTION_MATRIX);
        modelView = current(GL_MODELVIEW_MATRIX);
        ++draws;
    }
    Matrix projection{}, modelView{};
    int draws = 0;
};

void expectMatrixNear(const Matrix& actual, const Matrix& expected)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

}  // namespace

class SGOrtho2DSpaceTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        space = new SGOrtho2DSpace(nullptr, nullptr);
        probe = new MatrixProbe();
        space->addNode(probe);
    }
    void TearDown() override
    {
        space->release();
        GLTest::TearDown();
    }
    void setView(float x, float y, float w, float h, float zNear, float zFar, float view, float model)
    {
        space->x.setValue(x);
        space->y.setValue(y);
        space->width.setValue(w);
        space->height.setValue(h);
        space->near.setValue(zNear);
        space->far.setValue(zFar);
        space->viewRotation.setValue(view);
        space->modelRotation.setValue(model);
    }

    SGOrtho2DSpace* space = nullptr;
    MatrixProbe* probe = nullptr;
};

TEST_F(SGOrtho2DSpaceTest, SetsTheOrthographicBoxAndRestoresBothMatrices)
{
    // Distinct matrices beforehand, so that restoring them shows.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(0.25f, 0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(2.0f, 3.0f, 1.0f);
    const Matrix projectionBefore = current(GL_PROJECTION_MATRIX);
    const Matrix modelViewBefore = current(GL_MODELVIEW_MATRIX);
    glMatrixMode(GL_PROJECTION);  // the space selects what it needs

    setView(0, 0, 480, 320, -1, 1, 0, 0);
    space->compute();
    ASSERT_EQ(probe->draws, 1);
    expectMatrixNear(probe->projection,
                     {2.0f / 480, 0, 0, 0, 0, 2.0f / 320, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1});
    expectMatrixNear(probe->modelView, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    expectMatrixNear(current(GL_PROJECTION_MATRIX), projectionBefore);
    expectMatrixNear(current(GL_MODELVIEW_MATRIX), modelViewBefore);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(SGOrtho2DSpaceTest, MapsTheViewRectangleToTheWholeViewport)
{
    setView(100, 50, 200, 100, -1, 1, 0, 0);
    space->compute();
    const auto lowerLeft = apply(probe->projection, 100, 50);
    const auto upperRight = apply(probe->projection, 300, 150);
    EXPECT_NEAR(lowerLeft[0], -1, 1e-5f);
    EXPECT_NEAR(lowerLeft[1], -1, 1e-5f);
    EXPECT_NEAR(upperRight[0], 1, 1e-5f);
    EXPECT_NEAR(upperRight[1], 1, 1e-5f);
}

TEST_F(SGOrtho2DSpaceTest, TurnsTheSceneAboutTheCentreOfTheView)
{
    setView(0, 0, 480, 320, -1, 1, 0, 90);
    space->compute();
    // The centre stays; a point 10 to its right goes 10 above it.
    const auto centre = apply(probe->modelView, 240, 160);
    const auto turned = apply(probe->modelView, 250, 160);
    EXPECT_NEAR(centre[0], 240, 1e-3f);
    EXPECT_NEAR(centre[1], 160, 1e-3f);
    EXPECT_NEAR(turned[0], 240, 1e-3f);
    EXPECT_NEAR(turned[1], 170, 1e-3f);
}

TEST_F(SGOrtho2DSpaceTest, TurnsTheProjectionAboutTheOriginBeforeTheBox)
{
    setView(0, 0, 2, 2, -1, 1, 90, 0);
    space->compute();
    // The box maps (2, 1) to clip (1, 0); the view rotation then turns
    // that by 90 degrees to (0, 1).
    const auto p = apply(probe->projection, 2, 1);
    EXPECT_NEAR(p[0], 0, 1e-5f);
    EXPECT_NEAR(p[1], 1, 1e-5f);
}

TEST_F(SGOrtho2DSpaceTest, AnUnsetViewLeavesTheIdentityWithoutAnOpenGLError)
{
    space->compute();  // every port still 0
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    expectMatrixNear(probe->projection, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST_F(SGOrtho2DSpaceTest, AnswersItsEightPortsAndNoOthers)
{
    EXPECT_EQ(space->portForID(SGPortID::x), &space->x);
    EXPECT_EQ(space->portForID(SGPortID::y), &space->y);
    EXPECT_EQ(space->portForID(SGPortID::width), &space->width);
    EXPECT_EQ(space->portForID(SGPortID::height), &space->height);
    EXPECT_EQ(space->portForID(SGPortID::near), &space->near);
    EXPECT_EQ(space->portForID(SGPortID::far), &space->far);
    EXPECT_EQ(space->portForID(SGPortID::viewRotation), &space->viewRotation);
    EXPECT_EQ(space->portForID(SGPortID::modelRotation), &space->modelRotation);
    EXPECT_EQ(space->portForID(SGPortID::color), nullptr);
    EXPECT_EQ(space->portForID(static_cast<SGPortID>(-1)), nullptr);
    EXPECT_EQ(space->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::space | SGNodeClass::ortho2DSpace));
}
