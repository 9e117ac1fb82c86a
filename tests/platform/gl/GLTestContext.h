// A test fixture whose suite draws into one offscreen OpenGL context, made
// current on the test thread for the whole suite.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>
#include <string>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/image/KVBitmap.h"

class GLTest : public ::testing::Test {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

    static void SetUpTestSuite()
    {
        std::string error;
        context() = EGLOffscreenContext::create(kWidth, kHeight, &error);
        ASSERT_TRUE(context()) << error;
        ASSERT_TRUE(context()->makeCurrent());
    }

    static void TearDownTestSuite() { context().reset(); }

protected:
    void SetUp() override
    {
        ASSERT_TRUE(context()) << "no offscreen context";
        ASSERT_TRUE(context()->makeCurrent());
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    // The game view's drawing state under a camera of one unit per pixel,
    // origin at the bottom left, on opaque black.
    static void setUpPixelCamera()
    {
        KVSetGameViewDrawingState();
        glMatrixMode(GL_PROJECTION);
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static std::unique_ptr<EGLOffscreenContext>& context()
    {
        static std::unique_ptr<EGLOffscreenContext> instance;
        return instance;
    }

public:
    struct Pixel {
        int r, g, b, a;
        bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    };

protected:
    // RGBA of the pixel at (x, y), counted from the top-left corner.
    static Pixel pixelAt(int x, int y)
    {
        const KVBitmap frame = KVBitmap::fromFramebuffer(kWidth, kHeight);
        const uint8_t* p = frame.pixelAt(x, y);
        return Pixel{p[0], p[1], p[2], p[3]};
    }
    // Pixel at (x, y) counted from the bottom left, as the pixel camera counts.
    static Pixel at(int x, int y) { return pixelAt(x, kHeight - 1 - y); }
};

inline std::ostream& operator<<(std::ostream& out, const GLTest::Pixel& p)
{
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}
