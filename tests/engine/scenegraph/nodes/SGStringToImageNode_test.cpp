#include <gtest/gtest.h>

#include <GL/gl.h>

#include "engine/scenegraph/nodes/SGStringToImageNode.h"
#include "platform/text/KVImageFromString.h"
#include "tests/platform/gl/GLTestContext.h"

using SGStringToImageNodeTest = GLTest;

// Rendered once per change, as a fresh rendering; a new texture (the old deleted) when the size changes.
TEST_F(SGStringToImageNodeTest, RendersOncePerChangeWithoutLeftoversOrLeaksAndNothingGivesTheNullImage)
{
    auto* node = new SGStringToImageNode(nullptr);
    node->fontSize.setValue(24.0f);
    node->text.setValue("Score: 100");
    const SGImage first = node->image.imageValue();
    ASSERT_TRUE(glIsTexture(first.texture));
    EXPECT_EQ(std::pair(node->width.numberValue(), node->height.numberValue()),
              std::pair(static_cast<float>(first.width), static_cast<float>(first.height)));

    for (const char* text : {"Score: 101", "Score: 100"}) {
        node->text.setValue(text);
        const SGImage same = node->image.imageValue();
        EXPECT_EQ(same.texture, first.texture) << text;
        const KVTextureImage fresh = KVImageFromString(text, "LucidaGrande", 24, KVTextAlignmentCenter, false, 0, 0);
        EXPECT_EQ(readTexture(same.texture).rgba, readTexture(fresh.texture).rgba) << text;
        deleteTexture(fresh.texture);
    }

    node->fontSize.setValue(12.0f);
    const SGImage smaller = node->image.imageValue();
    EXPECT_FALSE(glIsTexture(first.texture));
    EXPECT_LT(node->height.numberValue(), static_cast<float>(first.height));

    // Wrapping: the frame's size whatever the text.
    node->wrap.setValue(true);
    node->wrapWidth.setValue(100.0f);
    node->wrapHeight.setValue(50.0f);
    EXPECT_EQ(std::pair(node->width.numberValue(), node->height.numberValue()), std::pair(100.0f, 50.0f));
    EXPECT_FALSE(glIsTexture(smaller.texture));

    // A reload renders into a new texture; the node takes its texture along.
    const SGImage beforeReload = node->image.imageValue();
    node->reloadImage();
    const SGImage afterReload = node->image.imageValue();
    EXPECT_NE(afterReload.texture, beforeReload.texture);
    EXPECT_FALSE(glIsTexture(beforeReload.texture));
    node->release();
    EXPECT_FALSE(glIsTexture(afterReload.texture));

    // No text, no font, or a refused frame: the null image, 0 x 0, the old texture deleted.
    node = new SGStringToImageNode(nullptr);
    const struct {
        const char *text, *font;
        float wrapHeight;
    } cases[] = {{"", "Arial", 100}, {"Visible", "", 100}, {"Squeezed", "Arial", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' in '" << c.font << "' " << c.wrapHeight << " high");
        node->wrap.setValue(false);
        node->text.setValue("Visible");
        node->font.setValue("Arial");
        const SGImage shown = node->image.imageValue();
        ASSERT_TRUE(glIsTexture(shown.texture));
        node->text.setValue(c.text);
        node->font.setValue(c.font);
        node->wrap.setValue(c.wrapHeight == 0);
        node->wrapHeight.setValue(c.wrapHeight);
        testing::internal::CaptureStderr();
        EXPECT_EQ(node->image.imageValue().texture, 0u);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::pair(node->width.numberValue(), node->height.numberValue()), std::pair(0.0f, 0.0f));
        EXPECT_FALSE(glIsTexture(shown.texture));
    }
    node->release();
}
