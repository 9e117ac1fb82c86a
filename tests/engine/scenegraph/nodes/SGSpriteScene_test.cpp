// A whole scene on its own offscreen surface: the 64 x 64 quadrant picture
// stretched to 128 x 64 on the left and tiled in 32 x 32 tiles on the right,
// read back and saved as a screenshot, then checked by its pixels.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "platform/gl/EGLOffscreenContext.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/image/KVBitmap.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kImages = std::string(KV_TEST_DATA_DIR) + "/images/";

struct RGB {
    int r, g, b;
    bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const RGB& c) { return out << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

// Pixel of the screenshot at (x, y) counted from its bottom left.
RGB at(const KVBitmap& shot, int x, int y)
{
    const uint8_t* p = shot.pixelAt(x, shot.height() - 1 - y);
    return {p[0], p[1], p[2]};
}

const RGB kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0}, kGrey{40, 40, 40};

}  // namespace

TEST(SGSpriteScene, StretchedAndTiledPictureScreenshot)
{
    constexpr int kWidth = 256, kHeight = 96;
    std::string error;
    auto context = EGLOffscreenContext::create(kWidth, kHeight, &error);
    ASSERT_TRUE(context) << error;
    ASSERT_TRUE(context->makeCurrent());
    KVSetGameViewDrawingState();
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(40 / 255.0f, 40 / 255.0f, 40 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    SGImage picture = KVLoadImageFromFile((kImages + "quad64.png").c_str());
    ASSERT_EQ(picture.textureWidth, 64);
    {
        SGScene scene(nullptr, nullptr);
        auto* view = static_cast<SGOrtho2DSpace*>(scene.createSpace(SGNodeClass::ortho2DSpace));
        view->width.setValue(static_cast<float>(kWidth));
        view->height.setValue(static_cast<float>(kHeight));
        view->near.setValue(-1.0f);
        view->far.setValue(1.0f);

        auto* stretched = static_cast<SGSpriteNode*>(view->createNode(SGNodeClass::spriteNode));
        ASSERT_TRUE(stretched);
        stretched->image.setValue(picture);
        stretched->x.setValue(8 + 64);
        stretched->y.setValue(16 + 32);
        stretched->width.setValue(128);
        stretched->height.setValue(64);

        auto* tiled = static_cast<SGSpriteNode*>(view->createNode(SGNodeClass::spriteNode));
        tiled->image.setValue(picture);
        tiled->x.setValue(144 + 48);
        tiled->y.setValue(16 + 32);
        tiled->width.setValue(96);
        tiled->height.setValue(64);
        tiled->tileWidth.setValue(32);
        tiled->tileHeight.setValue(32);
        tiled->horizontalWrapping.setValue(2);
        tiled->verticalWrapping.setValue(2);

        scene.render();
    }
    picture.freeImage();

    KVBitmap shot = KVBitmap::fromFramebuffer(kWidth, kHeight);
    shot.dropAlpha();
    TempDir dir;
    const char* keep = std::getenv("KV_KEEP_SCREENSHOT");  // a path, to look at the picture
    const std::string path = keep && *keep ? std::string(keep) : dir.file("sprites.png");
    ASSERT_TRUE(shot.savePNG(path, &error)) << error;
    const KVBitmap saved = KVBitmap::loadFile(path, &error);
    ASSERT_EQ(saved.width(), kWidth) << error;
    ASSERT_EQ(saved.height(), kHeight);

    // Stretched: each quadrant 64 x 32, upright.
    EXPECT_EQ(at(saved, 8 + 4, 16 + 60), kRed);
    EXPECT_EQ(at(saved, 8 + 124, 16 + 60), kGreen);
    EXPECT_EQ(at(saved, 8 + 4, 16 + 4), kBlue);
    EXPECT_EQ(at(saved, 8 + 124, 16 + 4), kYellow);
    EXPECT_EQ(at(saved, 8 + 60, 16 + 34), kRed) << "the red quadrant is 64 wide";
    EXPECT_EQ(at(saved, 8 + 68, 16 + 34), kGreen);
    EXPECT_EQ(at(saved, 7, 40), kGrey);
    EXPECT_EQ(at(saved, 136, 40), kGrey);
    // Tiled: 3 x 2 tiles of 32, each the whole picture at half size.
    for (int tx = 0; tx < 3; ++tx)
        for (int ty = 0; ty < 2; ++ty) {
            const int x = 144 + tx * 32, y = 16 + ty * 32;
            EXPECT_EQ(at(saved, x + 4, y + 28), kRed) << tx << "," << ty;
            EXPECT_EQ(at(saved, x + 28, y + 28), kGreen) << tx << "," << ty;
            EXPECT_EQ(at(saved, x + 4, y + 4), kBlue) << tx << "," << ty;
            EXPECT_EQ(at(saved, x + 28, y + 4), kYellow) << tx << "," << ty;
        }
    EXPECT_EQ(at(saved, 200, 8), kGrey);
    EXPECT_EQ(at(saved, 200, 84), kGrey);
    context->releaseCurrent();
}
