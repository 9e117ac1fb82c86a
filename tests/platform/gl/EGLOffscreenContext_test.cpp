#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/image/KVBitmap.h"
#include "tests/support/Picture.h"

// A surface that takes a new size, keeping the context's state. (That the
// context has the fixed-function pipeline shows in every headless frame.)
TEST(EGLOffscreenContext, KeepsItsStateThroughAResizeAndRefusesEmptySizes)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(480, 320, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    glClearColor(0.5f, 0.25f, 1, 1);

    ASSERT_TRUE(ctx->resize(100, 60, &error)) << error;
    EXPECT_EQ(ctx->width(), 100);
    EXPECT_EQ(ctx->height(), 60);
    glViewport(0, 0, 100, 60);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 100, 30);  // the lower half, as OpenGL counts rows
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const Picture frame = Picture::currentFrame(100, 60);
    ASSERT_EQ(frame.width(), 100);
    // Read back top row first: the upper half in the clear colour kept
    // through the resize, the lower half green.
    EXPECT_EQ(frame.at(0, 0), (Rgba{128, 64, 255, 255}));
    EXPECT_EQ(frame.at(99, 59), (Rgba{0, 255, 0, 255}));

    EXPECT_FALSE(ctx->resize(0, 0, &error));
    EXPECT_EQ(ctx->width(), 100);
    EXPECT_FALSE(EGLOffscreenContext::create(0, 10, &error));
    EXPECT_NE(error.find("0 x 10"), std::string::npos) << error;
    EXPECT_FALSE(EGLOffscreenContext::create(10, -3, &error));
    EXPECT_TRUE(KVBitmap::fromFramebuffer(-1, 8).empty());
    ctx->releaseCurrent();
}
