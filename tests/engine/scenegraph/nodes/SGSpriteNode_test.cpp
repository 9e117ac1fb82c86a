// Sprites drawn on the offscreen context, checked by reading pixels and GL
// state back. The camera maps one unit to one pixel, origin bottom left.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <string>

#include "engine/assets/KVImageResources.h"
#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/scenegraph/SGBlendMode.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/nodes/SGColoredSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGFixedTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGHorizontalTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGVerticalTiledSpriteRenderer.h"
#include "platform/gl/GLDrawingState.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

const std::string kImages = std::string(KV_TEST_DATA_DIR) + "/images/";

using Pixel = GLTest::Pixel;
const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kYellow{255, 255, 0, 255};
const Pixel kBlack{0, 0, 0, 255};

template <class T>
bool rendererIs(const SGSpriteNode& sprite)
{
    return sprite.renderer() && typeid(*sprite.renderer()) == typeid(T);
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// An image naming no texture but sized, for renderer choice without drawing.
SGImage fakeImage(int width)
{
    SGImage image;
    image.texture = 0;
    image.textureWidth = width;
    image.textureHeight = width;
    image.rect = SGTextureRect{0, 0, 1, 1};
    return image;
}

}  // namespace

class SGSpriteNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        SGAlphaScaleFactor = 1.0f;
        sprite = new SGSpriteNode();
    }
    void TearDown() override
    {
        sprite->release();
        for (SGImage& image : images)
            image.freeImage();
        GLTest::TearDown();
    }
    SGImage load(const std::string& name)
    {
        images.push_back(KVLoadImageFromFile((kImages + name).c_str()));
        return images.back();
    }
    // Covers the whole view.
    void fillView(const SGImage& image)
    {
        sprite->image.setValue(image);
        sprite->x.setValue(kWidth / 2.0f);
        sprite->y.setValue(kHeight / 2.0f);
        sprite->width.setValue(static_cast<float>(kWidth));
        sprite->height.setValue(static_cast<float>(kHeight));
    }

    SGSpriteNode* sprite = nullptr;
    std::vector<SGImage> images;
};

TEST_F(SGSpriteNodeTest, PortsAndDefaults)
{
    const SGPortID ids[] = {SGPortID::color, SGPortID::image, SGPortID::x, SGPortID::y, SGPortID::width,
                            SGPortID::height, SGPortID::angle, SGPortID::blendingMode, SGPortID::horizontalWrapping,
                            SGPortID::verticalWrapping, SGPortID::horizontalAnchor, SGPortID::verticalAnchor,
                            SGPortID::tileHeight, SGPortID::tileWidth};
    int found = 0;
    for (int id = 0; id <= static_cast<int>(SGPortID::wrap); ++id)
        if (sprite->portForID(static_cast<SGPortID>(id)))
            ++found;
    EXPECT_EQ(found, 14);
    for (SGPortID id : ids)
        EXPECT_NE(sprite->portForID(id), nullptr) << SGPortIDName(static_cast<int32_t>(id));
    EXPECT_EQ(sprite->portForID(SGPortID::width), &sprite->width);
    EXPECT_EQ(sprite->portForID(SGPortID::tileWidth), &sprite->tileWidth);
    EXPECT_EQ(sprite->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::spriteNode));
    EXPECT_EQ(sprite->renderer(), nullptr);
    EXPECT_TRUE(sprite->isDirty());
    // Reading an input of a dirty node brings the node up to date, which for
    // a sprite means a draw: it must find a renderer.
    EXPECT_EQ(sprite->color.colorValue(), (SGColor{1, 1, 1, 1}));
    EXPECT_NE(sprite->renderer(), nullptr);
}

// Stretched over the view, the 8 x 6 picture stands upright, unmirrored.
TEST_F(SGSpriteNodeTest, StretchedPictureStandsUpright)
{
    fillView(load("quad.png"));
    sprite->compute();
    EXPECT_TRUE(rendererIs<SGTexturedSpriteRenderer>(*sprite));
    EXPECT_EQ(at(4, kHeight - 4), kRed);
    EXPECT_EQ(at(kWidth - 4, kHeight - 4), kGreen);
    EXPECT_EQ(at(4, 4), kBlue);
    EXPECT_EQ(at(kWidth - 4, 4), kYellow);
}

// A 64-wide picture in a 32-wide fixed sprite shows the anchor's half (the
// middle half for the centre); a larger sprite shows it at its own width.
TEST_F(SGSpriteNodeTest, FixedPictureIsCutByTheAnchorOrCentred)
{
    const SGImage quad = load("quad64.png");
    struct Case {
        int anchor;
        Pixel left, right;
    } cases[] = {{0, kRed, kRed}, {1, kRed, kGreen}, {2, kGreen, kGreen}};
    for (const Case& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT);
        fillView(quad);
        sprite->width.setValue(32.0f);
        sprite->horizontalWrapping.setValue(1);
        sprite->horizontalAnchor.setValue(c.anchor);
        sprite->compute();
        EXPECT_TRUE(rendererIs<SGFixedTexturedSpriteRenderer>(*sprite));
        EXPECT_EQ(at(15, kHeight - 1), kBlack) << "outside the sprite, anchor " << c.anchor;
        EXPECT_EQ(at(17, kHeight - 4), c.left) << "anchor " << c.anchor;
        EXPECT_EQ(at(46, kHeight - 4), c.right) << "anchor " << c.anchor;
        EXPECT_EQ(at(48, kHeight - 4), kBlack) << "anchor " << c.anchor;
    }

    // Vertically fixed with the far anchor: the top 48 rows of 64 survive,
    // so the bottom edge shows the top quadrants' lower rows... and the
    // picture's bottom quarter is gone.
    glClear(GL_COLOR_BUFFER_BIT);
    fillView(quad);
    sprite->horizontalWrapping.setValue(0);
    sprite->verticalWrapping.setValue(1);
    sprite->verticalAnchor.setValue(2);
    sprite->compute();
    EXPECT_EQ(at(4, kHeight - 4), kRed);
    EXPECT_EQ(at(4, 4), kBlue);
    EXPECT_EQ(at(4, kHeight / 2 + 6), kRed) << "16 rows of the 32 blue ones were cut";
    EXPECT_EQ(at(4, kHeight / 2 - 10), kBlue);

    // Smaller than the sprite: drawn 8 x 6 at the centre.
    glClear(GL_COLOR_BUFFER_BIT);
    fillView(load("quad.png"));
    sprite->horizontalWrapping.setValue(1);
    sprite->verticalWrapping.setValue(1);
    sprite->compute();
    EXPECT_EQ(at(28, 26), kRed);
    EXPECT_EQ(at(35, 26), kGreen);
    EXPECT_EQ(at(28, 21), kBlue);
    EXPECT_EQ(at(35, 21), kYellow);
    EXPECT_EQ(at(27, 24), kBlack);
    EXPECT_EQ(at(36, 24), kBlack);
    EXPECT_EQ(at(30, 27), kBlack);
}

// 8 x 6 pictures in 16 x 12 tiles from the lower-left corner; the view's
// 48 rows hold 4 rows of tiles exactly, its 64 columns 4 columns.
TEST_F(SGSpriteNodeTest, TiledPictureRepeatsFromTheLowerLeft)
{
    fillView(load("quad.png"));
    sprite->tileWidth.setValue(16);
    sprite->tileHeight.setValue(12);
    sprite->horizontalWrapping.setValue(2);
    sprite->verticalWrapping.setValue(2);
    sprite->compute();
    ASSERT_TRUE(rendererIs<SGTiledSpriteRenderer>(*sprite));
    EXPECT_EQ(static_cast<SGTiledSpriteRenderer*>(sprite->renderer())->vertexCount(), 4 * 4 * 6);
    for (int tx = 0; tx < 4; ++tx)
        for (int ty = 0; ty < 4; ++ty) {
            const int x = tx * 16, y = ty * 12;
            EXPECT_EQ(at(x + 2, y + 9), kRed) << tx << "," << ty;
            EXPECT_EQ(at(x + 13, y + 9), kGreen) << tx << "," << ty;
            EXPECT_EQ(at(x + 2, y + 2), kBlue) << tx << "," << ty;
            EXPECT_EQ(at(x + 13, y + 2), kYellow) << tx << "," << ty;
        }

    // 24-wide tiles: the third column is 16 wide and shows the picture's
    // near two thirds (red and blue, then the start of green and yellow).
    glClear(GL_COLOR_BUFFER_BIT);
    sprite->tileWidth.setValue(24);
    sprite->compute();
    EXPECT_EQ(at(48 + 4, 9), kRed);
    EXPECT_EQ(at(48 + 14, 9), kGreen);
    sprite->horizontalAnchor.setValue(2);
    glClear(GL_COLOR_BUFFER_BIT);
    sprite->compute();
    EXPECT_EQ(at(48 + 1, 9), kRed) << "far anchor: the last third of red survives";
    EXPECT_EQ(at(48 + 6, 9), kGreen);
}

TEST_F(SGSpriteNodeTest, TileSizeOfZeroDrawsNothing)
{
    fillView(load("quad.png"));
    sprite->horizontalWrapping.setValue(2);
    sprite->verticalWrapping.setValue(2);
    sprite->compute();
    ASSERT_TRUE(rendererIs<SGTiledSpriteRenderer>(*sprite));
    EXPECT_EQ(static_cast<SGTiledSpriteRenderer*>(sprite->renderer())->vertices().capacity(), 0u);
    EXPECT_EQ(at(4, 4), kBlack);
    EXPECT_EQ(at(kWidth / 2, kHeight / 2), kBlack);
}

TEST_F(SGSpriteNodeTest, FlatSpriteDrawsWithoutTheBoundTexture)
{
    // A bound texture of transparent black would darken a textured draw.
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const uint8_t texel[4] = {0, 0, 0, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    fillView(SGImageNull);
    sprite->color.setValue(SGColor{1, 0, 0, 0.5f});
    SGAlphaScaleFactor = 0.5f;
    sprite->compute();
    EXPECT_TRUE(rendererIs<SGColoredSpriteRenderer>(*sprite));
    EXPECT_FALSE(sprite->premultipliedDraw());
    const Pixel p = at(10, 10);
    EXPECT_NEAR(p.r, 64, 1) << "red at alpha 0.25 over black";
    EXPECT_EQ(p.g, 0);
    glDeleteTextures(1, &black);
}

// (1, 1, 1, 0.5) on a premultiplied picture draws as (0.5, 0.5, 0.5, 0.5)
// with source factor one: opaque red over blue gives (128, 0, 128); a
// straight draw would give (64, 0, 128), an unscaled colour (255, 0, 128).
TEST_F(SGSpriteNodeTest, PremultipliedPictureScalesTheColourAndAddsTheSource)
{
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fillView(load("quad64.png"));
    sprite->color.setValue(SGColor{1, 1, 1, 0.5f});
    sprite->compute();
    EXPECT_TRUE(sprite->premultipliedDraw());
    const Pixel p = at(4, kHeight - 4);
    EXPECT_NEAR(p.r, 128, 1);
    EXPECT_EQ(p.g, 0);
    EXPECT_NEAR(p.b, 128, 1);
}

// Flat (1, 0.5, 0, 0.5) on a background of (0.2, 0.4, 0.6): each mode's
// factors.
TEST_F(SGSpriteNodeTest, BlendModesOnAKnownBackground)
{
    struct Case {
        int mode;
        float r, g, b;
    } cases[] = {
        {0, 0.5f * 1 + 0.5f * 0.2f, 0.5f * 0.5f + 0.5f * 0.4f, 0.5f * 0.6f},
        {1, 1.0f, 0.5f, 0.0f},
        {2, 0.5f + 0.2f, 0.25f + 0.4f, 0.6f},
        {3, 0.5f + 0.2f * 0.0f, 0.25f + 0.4f * 0.5f, 0.6f * 1.0f},
        {4, 0.2f * 1.0f, 0.4f * 0.5f, 0.0f},
        {17, 0.5f * 1 + 0.5f * 0.2f, 0.5f * 0.5f + 0.5f * 0.4f, 0.5f * 0.6f},
    };
    for (const Case& c : cases) {
        glClearColor(0.2f, 0.4f, 0.6f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        fillView(SGImageNull);
        sprite->color.setValue(SGColor{1, 0.5f, 0, 0.5f});
        sprite->blendingMode.setValue(c.mode);
        sprite->compute();
        const Pixel p = at(10, 10);
        EXPECT_NEAR(p.r, c.r * 255, 1.5) << "mode " << c.mode;
        EXPECT_NEAR(p.g, c.g * 255, 1.5) << "mode " << c.mode;
        EXPECT_NEAR(p.b, c.b * 255, 1.5) << "mode " << c.mode;
    }
}

TEST_F(SGSpriteNodeTest, BlendTableSourceFactorFollowsPremultiplication)
{
    SGSetBlendMode(SGBlendMultiply, 1);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ZERO);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_SRC_COLOR);
    SGSetBlendMode(SGBlendAdd, 1);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    SGSetBlendMode(SGBlendScreen, 0);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_COLOR);
    SGSetBlendMode(static_cast<SGBlendMode>(-3), 1);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    SGSetBlendMode(SGBlendReplace, 0);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ZERO);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(SGSpriteNodeTest, RendererFollowsTheRulesAndSurvivesWrappingChanges)
{
    struct Case {
        int textureWidth, h, v;
        const std::type_info& renderer;
    } cases[] = {
        {0, 2, 2, typeid(SGColoredSpriteRenderer)},
        {64, 2, 2, typeid(SGTiledSpriteRenderer)},
        {64, 2, 0, typeid(SGHorizontalTiledSpriteRenderer)},
        {64, 2, 1, typeid(SGHorizontalTiledSpriteRenderer)},
        {64, 0, 0, typeid(SGTexturedSpriteRenderer)},
        {64, 0, 2, typeid(SGVerticalTiledSpriteRenderer)},
        {64, 1, 2, typeid(SGVerticalTiledSpriteRenderer)},
        {64, 1, 0, typeid(SGFixedTexturedSpriteRenderer)},
        {64, 0, 1, typeid(SGFixedTexturedSpriteRenderer)},
        {64, 5, 0, typeid(SGFixedTexturedSpriteRenderer)},
    };
    for (const Case& c : cases) {
        SGSpriteNode* node = new SGSpriteNode();
        node->image.setValue(fakeImage(c.textureWidth));
        node->horizontalWrapping.setValue(c.h);
        node->verticalWrapping.setValue(c.v);
        node->compute();
        ASSERT_TRUE(node->renderer());
        EXPECT_TRUE(typeid(*node->renderer()) == c.renderer) << c.textureWidth << " " << c.h << "," << c.v;
        node->release();
    }

    // Only the wrapping changes: the stretch renderer stays.
    sprite->image.setValue(fakeImage(64));
    sprite->compute();
    SGSpriteRenderer* first = sprite->renderer();
    ASSERT_TRUE(rendererIs<SGTexturedSpriteRenderer>(*sprite));
    sprite->horizontalWrapping.setValue(2);
    sprite->compute();
    EXPECT_EQ(sprite->renderer(), first);
    EXPECT_EQ(sprite->drawParams().horizontalWrapping, 2);
    // Losing the texture, then gaining it, chooses again.
    sprite->image.setValue(SGImageNull);
    sprite->compute();
    EXPECT_TRUE(rendererIs<SGColoredSpriteRenderer>(*sprite));
    sprite->image.setValue(fakeImage(32));
    sprite->compute();
    EXPECT_TRUE(rendererIs<SGHorizontalTiledSpriteRenderer>(*sprite));
}

// A dirty sprite reads only the ports that changed, yet it sees every change
// made since its last read: writes without notice, connections, values
// changed upstream without notice, disconnections.
TEST_F(SGSpriteNodeTest, SeesEveryChangeSinceItsLastReadHoweverMade)
{
    auto* feed = new SGAttributeNode(SGPortValueType::NUMBER);
    auto* feedValue = static_cast<SGNumberPort*>(feed->valuePort());
    sprite->compute();
    const struct {
        std::function<void()> change;
        float halfWidth, halfHeight;
    } steps[] = {
        {[&] { sprite->width.setStoredValue(40); }, 20, 0},
        {[&] { sprite->height.setValue(feed->valuePort()); feedValue->setStoredValue(30); }, 20, 15},
        {[&] { feedValue->setStoredValue(50); }, 20, 25},
        {[&] { sprite->height.setStoredValue(8); sprite->height.disconnect(); }, 20, 4},
    };
    for (const auto& step : steps) {
        step.change();
        sprite->x.setValue(sprite->x.storedValue() + 1);  // something that marks the sprite dirty
        sprite->compute();
        EXPECT_EQ(sprite->drawParams().halfWidth, step.halfWidth);
        EXPECT_EQ(sprite->drawParams().halfHeight, step.halfHeight);
    }
    feed->release();
}

// The tiled array is rebuilt when its size, tile, texture, rect or anchor
// change and reused otherwise; the params carry the tile size.
TEST_F(SGSpriteNodeTest, TiledArrayIsRebuiltOnlyWhenItsInputsChange)
{
    sprite->image.setValue(fakeImage(64));
    sprite->width.setValue(100);
    sprite->height.setValue(50);
    sprite->tileWidth.setValue(30);
    sprite->tileHeight.setValue(30);
    sprite->horizontalWrapping.setValue(2);
    sprite->verticalWrapping.setValue(2);
    sprite->compute();
    auto* tiled = static_cast<SGTiledSpriteRenderer*>(sprite->renderer());
    ASSERT_TRUE(rendererIs<SGTiledSpriteRenderer>(*sprite));
    EXPECT_EQ(tiled->vertexCount(), 48);
    EXPECT_EQ(sprite->drawParams().tileWidth(), 30.0f);
    const float lastU = tiled->vertices()[36 * 4 + 2];
    EXPECT_FLOAT_EQ(lastU, 0.0f);
    sprite->x.setValue(3);  // moving does not rebuild
    sprite->compute();
    EXPECT_EQ(tiled->vertexCount(), 48);
    sprite->horizontalAnchor.setValue(2);
    sprite->compute();
    EXPECT_FLOAT_EQ(tiled->vertices()[36 * 4 + 2], 2.0f / 3.0f);
    sprite->tileWidth.setValue(50);
    sprite->compute();
    EXPECT_EQ(tiled->vertexCount(), 2 * 2 * 6);
    sprite->tileWidth.setValue(-4);
    sprite->compute();
    EXPECT_EQ(tiled->vertexCount(), 0);
}
