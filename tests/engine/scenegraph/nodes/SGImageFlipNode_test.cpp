// Image-flip nodes: the mirrored texture rectangles, the flow of changes
// through them, and a flipped picture drawn by a sprite.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>

#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGImageFlipNode.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "platform/gl/GLDrawingState.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

SGImage picture()
{
    SGImage image;
    image.width = 8;
    image.height = 6;
    image.texture = 7;
    image.textureWidth = 16;
    image.textureHeight = 8;
    image.rect = SGTextureRect{0, 0, 1, 1};
    image.premultiplied = 1;
    return image;
}

bool sameRect(const SGTextureRect& a, const SGTextureRect& b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

}  // namespace

TEST(SGImageFlipNode, PortsAndFlags)
{
    SGScene scene(nullptr, nullptr);
    auto* flip = dynamic_cast<SGImageFlipNode*>(scene.defaultSpace().createNode(SGNodeClass::imageFlipNode));
    ASSERT_NE(flip, nullptr);
    EXPECT_EQ(flip->classFlags(), static_cast<uint32_t>(SGNodeClass::imageFlipNode));
    EXPECT_EQ(scene.defaultSpace().countRenderNodes(), 0);
    int found = 0;
    for (int id = 0; id <= static_cast<int>(SGPortID::wrap); ++id)
        if (flip->portForID(static_cast<SGPortID>(id)))
            ++found;
    EXPECT_EQ(found, 4);
    EXPECT_EQ(flip->portForID(SGPortID::output), &flip->output);
    EXPECT_EQ(flip->portForID(SGPortID::input), &flip->input);
    EXPECT_EQ(flip->portForID(SGPortID::flipHorizontal), &flip->flipHorizontal);
    EXPECT_EQ(flip->portForID(SGPortID::flipVertical), &flip->flipVertical);
    EXPECT_EQ(flip->outputPorts(), (std::vector<SGPort*>{&flip->output}));
    EXPECT_EQ(flip->output.imageValue().texture, 0u) << "the null image until an input arrives";
}

// (0, 0, 1, 1) flipped horizontally is (1, 0, 0, 1), both ways (1, 1, 0, 0);
// unflipped it passes through. Nothing but the rect changes.
TEST(SGImageFlipNode, MirrorsOnlyTheTextureRect)
{
    auto* flip = new SGImageFlipNode();
    flip->input.setValue(picture());
    const struct Case {
        bool h, v;
        SGTextureRect rect;
    } cases[] = {{false, false, {0, 0, 1, 1}}, {true, false, {1, 0, 0, 1}}, {false, true, {0, 1, 1, 0}},
                 {true, true, {1, 1, 0, 0}}};
    for (const Case& c : cases) {
        flip->flipHorizontal.setValue(c.h);
        flip->flipVertical.setValue(c.v);
        const SGImage out = flip->output.imageValue();
        EXPECT_TRUE(sameRect(out.rect, c.rect)) << c.h << c.v;
        EXPECT_EQ(out.width, 8u);
        EXPECT_EQ(out.height, 6u);
        EXPECT_EQ(out.texture, 7u);
        EXPECT_EQ(out.textureWidth, 16);
        EXPECT_EQ(out.textureHeight, 8);
        EXPECT_EQ(out.premultiplied, 1);
    }
    // A part of a texture is mirrored within itself.
    SGImage part = picture();
    part.rect = SGTextureRect{0.25f, 0.5f, 0.75f, 1.0f};
    flip->input.setValue(part);
    EXPECT_TRUE(sameRect(flip->output.imageValue().rect, (SGTextureRect{0.75f, 1.0f, 0.25f, 0.5f})));
    flip->release();
}

// Between an image source and a sprite: a change of the flip reaches the
// sprite, which then draws quad.png mirrored left to right.
class SGImageFlipNodeDrawTest : public GLTest {};

TEST_F(SGImageFlipNodeDrawTest, ASpriteDrawsTheMirroredPicture)
{
    KVSetGameViewDrawingState();
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    SGImage quad = KVLoadImageFromFile((std::string(KV_TEST_DATA_DIR) + "/images/quad.png").c_str());
    ASSERT_GT(quad.textureWidth, 0);
    {
        SGScene scene(nullptr, nullptr);
        SGSpace& space = scene.defaultSpace();
        auto* flip = static_cast<SGImageFlipNode*>(space.createNode(SGNodeClass::imageFlipNode));
        auto* sprite = static_cast<SGSpriteNode*>(space.createNode(SGNodeClass::spriteNode));
        flip->input.setValue(quad);
        sprite->image.setValue(&flip->output);
        sprite->x.setValue(kWidth / 2.0f);
        sprite->y.setValue(kHeight / 2.0f);
        sprite->width.setValue(static_cast<float>(kWidth));
        sprite->height.setValue(static_cast<float>(kHeight));
        scene.render();
        EXPECT_EQ(pixelAt(4, 4), (Pixel{255, 0, 0, 255})) << "upright: red at the top left";

        flip->flipHorizontal.setValue(true);
        EXPECT_TRUE(sprite->isDirty());
        scene.render();
        EXPECT_EQ(pixelAt(4, 4), (Pixel{0, 255, 0, 255})) << "mirrored: green at the top left";
        EXPECT_EQ(pixelAt(4, kHeight - 4), (Pixel{255, 255, 0, 255}));

        flip->flipVertical.setValue(true);
        scene.render();
        EXPECT_EQ(pixelAt(4, 4), (Pixel{255, 255, 0, 255})) << "both ways: yellow at the top left";
    }
    quad.freeImage();
}
