#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <thread>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/image/KVBitmap.h"

namespace {

std::string makeTempDir()
{
    char pattern[] = "/tmp/kv-gl-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

int countEntries(const std::string& dir)
{
    int count = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                ++count;
        closedir(d);
    }
    return count;
}

// What the player's --screenshot does.
bool screenshot(const std::string& path, int width, int height, std::string* error)
{
    KVBitmap shot = KVBitmap::fromFramebuffer(width, height);
    shot.dropAlpha();
    return shot.savePNG(path, error);
}

void fillHalves(int width, int height)
{
    // Bottom half green, top half red (OpenGL's y grows upwards).
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width, height / 2);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, height / 2, width, height - height / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

}  // namespace

TEST(EGLOffscreenContext, GivesACompatibilityContextOfAtLeast21ThatDraws)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(40, 30, &error);
    ASSERT_TRUE(ctx) << error;
    EXPECT_EQ(ctx->width(), 40);
    EXPECT_EQ(ctx->height(), 30);
    ASSERT_TRUE(ctx->makeCurrent());

    int major = 0, minor = 0;
    ASSERT_EQ(sscanf(reinterpret_cast<const char*>(glGetString(GL_VERSION)), "%d.%d", &major, &minor), 2);
    EXPECT_TRUE(major > 2 || (major == 2 && minor >= 1)) << glGetString(GL_VERSION);

    // The fixed-function pipeline is there: a matrix stack works.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 40, 0, 30, -1, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);

    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<uint8_t> pixels = KVBitmap::fromFramebuffer(40, 30).pixels();
    ASSERT_EQ(pixels.size(), 40u * 30u * 4u);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        ASSERT_EQ(pixels[i], 0);
        ASSERT_EQ(pixels[i + 2], 255);
    }
    ctx->releaseCurrent();
}

TEST(EGLOffscreenContext, RefusesEmptySizes)
{
    std::string error;
    EXPECT_FALSE(EGLOffscreenContext::create(0, 10, &error));
    EXPECT_NE(error.find("0 x 10"), std::string::npos) << error;
    EXPECT_FALSE(EGLOffscreenContext::create(10, -3, &error));

    auto ctx = EGLOffscreenContext::create(8, 8, &error);
    ASSERT_TRUE(ctx) << error;
    EXPECT_FALSE(ctx->resize(0, 0, &error));
    EXPECT_EQ(ctx->width(), 8);
    EXPECT_EQ(ctx->height(), 8);
}

TEST(EGLOffscreenContext, ResizingKeepsTheContextCurrentOnTheNewSurface)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(480, 320, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    glClearColor(0.5f, 0.25f, 1, 1);  // state lives in the context and survives the new surface

    ASSERT_TRUE(ctx->resize(100, 60, &error)) << error;
    EXPECT_EQ(ctx->width(), 100);
    EXPECT_EQ(ctx->height(), 60);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 0.25f);
    glViewport(0, 0, 100, 60);
    fillHalves(100, 60);
    const std::vector<uint8_t> pixels = KVBitmap::fromFramebuffer(100, 60).pixels();
    // Top row first: the first row is the red (upper) half, the last green.
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);
    const size_t last = (59u * 100u) * 4u;
    EXPECT_EQ(pixels[last], 0);
    EXPECT_EQ(pixels[last + 1], 255);
}

TEST(EGLOffscreenContext, ACurrentContextCannotBeTakenByAnotherThreadUntilReleased)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(16, 16, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = ctx->makeCurrent(); }).join();
    EXPECT_FALSE(otherGotIt);

    ctx->releaseCurrent();
    std::thread([&] {
        otherGotIt = ctx->makeCurrent();
        ctx->releaseCurrent();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(GLDrawingState, SetsTheGameViewState)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(16, 16, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    KVSetGameViewDrawingState();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST(EGLOffscreenContext, ScreenshotIsAnOpaquePngTopRowFirst)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(30, 20, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    fillHalves(30, 20);
    // A half-transparent corner still comes out opaque, as on screen.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glClearColor(0, 0, 1, 0.25f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    const std::string dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    const std::string path = dir + "/shot.png";
    ASSERT_TRUE(screenshot(path, 30, 20, &error)) << error;
    EXPECT_EQ(countEntries(dir), 1);  // no temporary file left behind

    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(png), 30);
    ASSERT_EQ(cairo_image_surface_get_height(png), 20);
    EXPECT_EQ(cairo_image_surface_get_format(png), CAIRO_FORMAT_RGB24);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    auto at = [&](int x, int y) { return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff; };
    EXPECT_EQ(at(0, 0), 0xff0000u);    // top row red
    EXPECT_EQ(at(29, 9), 0xff0000u);
    EXPECT_EQ(at(15, 10), 0x00ff00u);  // lower half green
    EXPECT_EQ(at(0, 19), 0x0000ffu);   // bottom-left corner blue
    cairo_surface_destroy(png);

    // Writing again replaces the file.
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(screenshot(path, 30, 20, &error)) << error;
    png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    data = cairo_image_surface_get_data(png);
    EXPECT_EQ(at(0, 19), 0xffffffu);
    cairo_surface_destroy(png);
    EXPECT_EQ(countEntries(dir), 1);

    remove(path.c_str());
    rmdir(dir.c_str());
}

TEST(EGLOffscreenContext, FailedScreenshotGivesAReasonAndLeavesNothing)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(8, 8, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());

    const std::string dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_FALSE(screenshot(dir + "/missing/shot.png", 8, 8, &error));
    EXPECT_NE(error.find(dir + "/missing/shot.png"), std::string::npos) << error;
    EXPECT_FALSE(screenshot(dir + "/shot.png", 0, 8, &error));
    EXPECT_EQ(countEntries(dir), 0);
    EXPECT_TRUE(KVBitmap::fromFramebuffer(-1, 8).empty());
    rmdir(dir.c_str());
}
