#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGStringToImageNode.h"
#include "platform/text/KVImageFromString.h"
#include "tests/platform/text/TextGLTest.h"

namespace {

// A node held for one test: created by a space as scripts create it.
struct TextScene {
    SGScene scene{nullptr, nullptr};
    SGStringToImageNode* node = nullptr;

    TextScene()
    {
        SGSpace* space = scene.createSpace(SGNodeClass::ortho2DSpace);
        node = static_cast<SGStringToImageNode*>(space->createNode(SGNodeClass::stringToImageNode));
    }
};

}  // namespace

using SGStringToImageNodeTest = TextGLTest;

TEST_F(SGStringToImageNodeTest, HasItsTenPortsWithTheirDefaults)
{
    TextScene s;
    SGStringToImageNode* node = s.node;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->classFlags(), static_cast<uint32_t>(SGNodeClass::stringToImageNode));
    EXPECT_FALSE(node->isRenderNode());
    EXPECT_TRUE(node->isDirty());

    const std::pair<SGPortID, SGPort*> ports[] = {
        {SGPortID::image, &node->image},         {SGPortID::width, &node->width},
        {SGPortID::height, &node->height},       {SGPortID::text, &node->text},
        {SGPortID::font, &node->font},           {SGPortID::fontSize, &node->fontSize},
        {SGPortID::alignment, &node->alignment}, {SGPortID::wrap, &node->wrap},
        {SGPortID::wrapWidth, &node->wrapWidth}, {SGPortID::wrapHeight, &node->wrapHeight}};
    for (const auto& [id, port] : ports)
        EXPECT_EQ(node->portForID(id), port) << static_cast<int>(id);
    for (SGPortID other : {SGPortID::value, SGPortID::x, SGPortID::wrapX, SGPortID::wrapY, SGPortID::color})
        EXPECT_EQ(node->portForID(other), nullptr) << static_cast<int>(other);
    ASSERT_EQ(node->outputPorts().size(), 3u);
    EXPECT_EQ(node->outputPorts()[0], &node->image);

    EXPECT_EQ(node->text.storedValue(), "");
    EXPECT_EQ(node->font.storedValue(), "LucidaGrande");
    EXPECT_EQ(node->fontSize.storedValue(), 12.0f);
    EXPECT_EQ(node->alignment.storedValue(), 1);
    EXPECT_FALSE(node->wrap.storedValue());
    EXPECT_EQ(node->wrapWidth.storedValue(), 100.0f);
    EXPECT_EQ(node->wrapHeight.storedValue(), 100.0f);

    // Nothing to render yet: the null image, 0 x 0.
    EXPECT_EQ(node->image.imageValue().texture, 0u);
    EXPECT_EQ(node->width.numberValue(), 0.0f);
    EXPECT_EQ(node->height.numberValue(), 0.0f);
}

TEST_F(SGStringToImageNodeTest, RendersOncePerChangeAndDeletesItsOldTexture)
{
    TextScene s;
    SGStringToImageNode* node = s.node;
    node->text.setValue("Score: 100");

    const SGImage first = node->image.imageValue();
    ASSERT_NE(first.texture, 0u);
    EXPECT_TRUE(glIsTexture(first.texture));
    EXPECT_EQ(first.premultiplied, 0);
    // Its size is the defaults' rendering: the node's default font is not in
    // the display-name table, so it draws as ArialMT, 12, centred.
    const KVTextureImage expected =
        KVImageFromString("Score: 100", "LucidaGrande", 12, KVTextAlignmentCenter, false, 0, 0);
    EXPECT_EQ(readTexture(first.texture).rgba, readTexture(expected.texture).rgba);
    deleteTexture(expected.texture);
    EXPECT_EQ(node->width.numberValue(), static_cast<float>(first.width));
    EXPECT_EQ(node->height.numberValue(), static_cast<float>(first.height));

    // Reading again renders nothing new, nor does the same text set again.
    EXPECT_EQ(node->image.imageValue().texture, first.texture);
    EXPECT_EQ(node->width.numberValue(), static_cast<float>(first.width));
    EXPECT_FALSE(node->isDirty());
    node->text.setValue("Score: 100");
    EXPECT_EQ(node->image.imageValue().texture, first.texture);
    EXPECT_TRUE(glIsTexture(first.texture));

    // A change renders once more at the next read, replacing the texture.
    node->fontSize.setValue(24.0f);
    EXPECT_TRUE(node->isDirty());
    const SGImage second = node->image.imageValue();
    EXPECT_NE(second.texture, first.texture);
    EXPECT_FALSE(glIsTexture(first.texture));
    EXPECT_GT(node->height.numberValue(), static_cast<float>(first.height));
    EXPECT_EQ(node->image.imageValue().texture, second.texture);

    // A text of the same size is drawn into the same texture, exactly as a
    // new rendering of it.
    const std::vector<uint8_t> before = readTexture(second.texture).rgba;
    for (const char* text : {"Score: 101", "Score: 100"}) {
        node->text.setValue(text);
        const SGImage same = node->image.imageValue();
        EXPECT_EQ(same.texture, second.texture) << text;
        const KVTextureImage fresh = KVImageFromString(text, "LucidaGrande", 24, KVTextAlignmentCenter, false, 0, 0);
        EXPECT_EQ(readTexture(same.texture).rgba, readTexture(fresh.texture).rgba) << text;
        deleteTexture(fresh.texture);
    }
    EXPECT_EQ(readTexture(second.texture).rgba, before);

    // wrapWidth while wrap is off: rendered again, same result.
    node->wrapWidth.setValue(40.0f);
    const SGImage third = node->image.imageValue();
    EXPECT_EQ(third.texture, second.texture);
    EXPECT_EQ(third.width, second.width);
    EXPECT_EQ(third.height, second.height);

    // Wrapping: the frame's size whatever the text.
    node->wrap.setValue(true);
    node->wrapWidth.setValue(100.0f);
    node->wrapHeight.setValue(50.0f);
    EXPECT_EQ(node->width.numberValue(), 100.0f);
    EXPECT_EQ(node->height.numberValue(), 50.0f);
    EXPECT_FALSE(glIsTexture(third.texture));
}

TEST_F(SGStringToImageNodeTest, EmptyTextOrFontGivesTheNullImageAndFreesTheTexture)
{
    TextScene s;
    SGStringToImageNode* node = s.node;
    for (int round = 0; round < 2; ++round) {
        node->text.setValue("Visible");
        node->font.setValue("Arial");
        const SGImage shown = node->image.imageValue();
        ASSERT_TRUE(glIsTexture(shown.texture));
        if (round == 0)
            node->text.setValue("");
        else
            node->font.setValue("");
        const SGImage none = node->image.imageValue();
        EXPECT_EQ(none.texture, 0u) << round;
        EXPECT_EQ(none.textureWidth, 0) << round;
        EXPECT_EQ(node->width.numberValue(), 0.0f);
        EXPECT_EQ(node->height.numberValue(), 0.0f);
        EXPECT_FALSE(glIsTexture(shown.texture)) << round;
    }

    // A rasterizer failure (an empty wrap frame) shows the same way.
    node->text.setValue("Squeezed");
    node->font.setValue("Arial");
    node->wrap.setValue(true);
    node->wrapHeight.setValue(0.0f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(node->image.imageValue().texture, 0u);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(node->width.numberValue(), 0.0f);
}

TEST_F(SGStringToImageNodeTest, ReloadRendersAgainAndDestructionDeletesTheTexture)
{
    auto* node = new SGStringToImageNode(nullptr);
    node->text.setValue("Reloaded");
    const SGImage before = node->image.imageValue();
    ASSERT_TRUE(glIsTexture(before.texture));

    node->reloadImage();
    EXPECT_TRUE(node->isDirty());
    const SGImage after = node->image.imageValue();
    EXPECT_NE(after.texture, before.texture);
    EXPECT_FALSE(glIsTexture(before.texture));
    EXPECT_EQ(readTexture(after.texture).width, static_cast<int>(before.textureWidth));

    node->release();
    EXPECT_FALSE(glIsTexture(after.texture));
}

TEST_F(SGStringToImageNodeTest, FeedsItsImageThroughAConnection)
{
    TextScene s;
    auto* source = new SGStringToImageNode(nullptr);
    source->text.setValue("Linked");
    source->wrap.setValue(true);
    source->wrapWidth.setValue(64.0f);
    source->wrapHeight.setValue(32.0f);
    // Another node's text drawn from the first's: a reader pulls through.
    s.node->text.setValue(&source->text);
    s.node->wrap.setValue(&source->wrap);
    s.node->wrapWidth.setValue(&source->wrapWidth);
    s.node->wrapHeight.setValue(&source->wrapHeight);
    source->release();
    EXPECT_EQ(s.node->width.numberValue(), 64.0f);
    EXPECT_EQ(s.node->height.numberValue(), 32.0f);
    EXPECT_TRUE(glIsTexture(s.node->image.imageValue().texture));
}
