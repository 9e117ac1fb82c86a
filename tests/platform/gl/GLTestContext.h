// A test fixture whose suite draws into one offscreen OpenGL context, current
// on the test thread for the whole suite, and typesets with the player's own
// font configuration (pinned before the first text is typeset), so matching
// does not depend on what else the machine has installed.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/text/KVTextFontMap.h"
#include "tests/support/Picture.h"

class GLTest : public ::testing::Test {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    using Pixel = Rgba;

    static std::string playerFontConfig() { return std::string(KV_TEST_DATA_DIR) + "/../../resources/fontconfig/fonts.conf"; }

    static void SetUpTestSuite()
    {
        setenv("FONTCONFIG_FILE", playerFontConfig().c_str(), 1);
        std::string error;
        context() = EGLOffscreenContext::create(kWidth, kHeight, &error);
        ASSERT_TRUE(context()) << error;
        ASSERT_TRUE(context()->makeCurrent());
    }

    static void TearDownTestSuite() { context().reset(); }

protected:
    void SetUp() override
    {
        ASSERT_TRUE(context() && context()->makeCurrent()) << "no offscreen context";
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        while (glGetError() != GL_NO_ERROR) {
        }
        // The font map is built once per process: text typeset before the
        // pin would make every match here meaningless.
        ASSERT_EQ(KVTextFontMap::configFile(), playerFontConfig());
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

    // The frame's pixel at (x, y) from the bottom left, as the pixel camera counts.
    static Rgba at(int x, int y) { return Picture::currentFrame(kWidth, kHeight).fromBottom(x, y); }

    // A texture's level 0 as RGBA bytes; row 0 is the bottom of the picture.
    struct TexturePixels {
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;
        const uint8_t* at(int x, int row) const { return &rgba[(static_cast<size_t>(row) * width + x) * 4]; }
        int alpha(int x, int row) const { return at(x, row)[3]; }
    };

    static TexturePixels readTexture(GLuint texture)
    {
        TexturePixels pixels;
        if (texture == 0 || !glIsTexture(texture))
            return pixels;
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &pixels.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &pixels.height);
        pixels.rgba.assign(static_cast<size_t>(pixels.width) * pixels.height * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.rgba.data());
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        return pixels;
    }

    static void deleteTexture(GLuint texture) { glDeleteTextures(1, &texture); }
};
