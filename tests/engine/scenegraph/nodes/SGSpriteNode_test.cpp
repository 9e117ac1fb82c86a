// Sprites drawn after their ports change, one unit to one pixel, origin bottom left.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <string>
#include <tuple>

#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/scenegraph/SGBlendMode.h"
#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "platform/objects/KVRef.h"
#include "tests/platform/gl/GLTestContext.h"

using Pixel = GLTest::Pixel;
const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

class SGSpriteNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        // 8 x 6, red and green over blue and yellow.
        quad = KVLoadImageFromFile((std::string(KV_TEST_DATA_DIR) + "/images/quad.png").c_str());
        ASSERT_GT(quad.textureWidth, 0);
        sprite->x.setValue(kWidth / 2.0f);
        sprite->y.setValue(kHeight / 2.0f);
        sprite->width.setValue(static_cast<float>(kWidth));
        sprite->height.setValue(static_cast<float>(kHeight));
    }
    void TearDown() override
    {
        quad.freeImage();
        GLTest::TearDown();
    }
    void draw()
    {
        glClear(GL_COLOR_BUFFER_BIT);
        sprite->compute();
    }

    Ref<SGSpriteNode> sprite = makeRef<SGSpriteNode>();
    SGImage quad;
};

// A picture given to a flat sprite shows, upright; taken away, the sprite is flat again.
TEST_F(SGSpriteNodeTest, ShowsAPictureGivenOrTakenAfterItFirstDrewAndTilesFollowTheirPorts)
{
    // Reading an input of a dirty sprite draws it: it must have a way to.
    EXPECT_EQ(sprite->color.colorValue(), (SGColor{1, 1, 1, 1}));
    draw();
    EXPECT_EQ(at(4, 4), kWhite);

    sprite->image.setValue(quad);
    draw();
    EXPECT_EQ(std::tuple(at(4, kHeight - 4), at(kWidth - 4, kHeight - 4), at(4, 4)), std::tuple(kRed, kGreen, kBlue));

    sprite->horizontalWrapping.setValue(2);
    draw();
    EXPECT_EQ(at(4, kHeight - 4), kRed) << "still stretched";

    sprite->image.setValue(SGImageNull);
    draw();
    EXPECT_EQ(at(4, kHeight - 4), kWhite);

    // Tiles follow changes of their size and anchor: 8 x 6 pictures in 16 x 12
    // tiles, then 24 wide: the third column shows the near or far two thirds.
    sprite->image.setValue(quad);
    sprite->tileWidth.setValue(16);
    sprite->tileHeight.setValue(12);
    sprite->horizontalWrapping.setValue(2);
    sprite->verticalWrapping.setValue(2);
    draw();
    for (int x : {2, 18, 34, 50})
        EXPECT_EQ(at(x, 9), kRed) << x;
    EXPECT_EQ(at(13, 9), kGreen);

    sprite->tileWidth.setValue(24);
    draw();
    EXPECT_EQ(std::tuple(at(20, 9), at(48 + 4, 9), at(48 + 14, 9)), std::tuple(kGreen, kRed, kGreen));
    sprite->horizontalAnchor.setValue(2);
    draw();
    EXPECT_EQ(std::pair(at(48 + 1, 9), at(48 + 6, 9)), std::pair(kRed, kGreen)) << "far anchor: the last third of red";
    sprite->tileHeight.setValue(24);
    draw();
    EXPECT_EQ(at(48 + 1, 9), kBlue) << "24 high: row 9 lies in the picture's lower half";
}

// A dirty sprite reads only changed ports, yet sees every change since its last read.
TEST_F(SGSpriteNodeTest, SeesEveryChangeSinceItsLastReadHoweverMade)
{
    auto feed = makeRef<SGAttributeNode>(SGPortValueType::NUMBER);
    auto* feedValue = static_cast<SGNumberPort*>(feed->valuePort());
    sprite->width.setValue(0.0f);
    sprite->height.setValue(0.0f);
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
        EXPECT_EQ(std::pair(sprite->drawParams().halfWidth, sprite->drawParams().halfHeight),
                  std::pair(step.halfWidth, step.halfHeight));
    }
}

// For a straight-alpha draw (the screenshots show the drawing paths' factors).
TEST_F(SGSpriteNodeTest, SetBlendModeSetsTheModesFactors)
{
    SGSetBlendMode(SGBlendScreen, 0);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(std::pair(source, destination), (std::pair<GLint, GLint>(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR)));
}
