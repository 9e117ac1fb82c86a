#include <gtest/gtest.h>

#include "engine/scenegraph/nodes/SGImageFlipNode.h"

// The picture's part is mirrored within itself; nothing but the rectangle
// changes.
TEST(SGImageFlipNode, MirrorsOnlyTheTextureRect)
{
    SGImage picture;
    picture.width = 8;
    picture.height = 6;
    picture.texture = 7;
    picture.textureWidth = 16;
    picture.textureHeight = 8;
    picture.premultiplied = 1;
    const struct Case {
        bool h, v;
        SGTextureRect in, out;
    } cases[] = {
        {false, false, {0, 0, 1, 1}, {0, 0, 1, 1}},
        {true, false, {0, 0, 1, 1}, {1, 0, 0, 1}},
        {false, true, {0, 0, 1, 1}, {0, 1, 1, 0}},
        {true, true, {0, 0, 1, 1}, {1, 1, 0, 0}},
        {true, true, {0.25f, 0.5f, 0.75f, 1.0f}, {0.75f, 1.0f, 0.25f, 0.5f}},
        {true, false, {0.25f, 0.5f, 0.75f, 1.0f}, {0.75f, 0.5f, 0.25f, 1.0f}},
    };
    auto* flip = new SGImageFlipNode();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x0 << "," << c.in.y0 << " flipped " << c.h << c.v);
        picture.rect = c.in;
        flip->input.setValue(picture);
        flip->flipHorizontal.setValue(c.h);
        flip->flipVertical.setValue(c.v);
        const SGImage out = flip->output.imageValue();
        EXPECT_EQ(out.rect.x0, c.out.x0);
        EXPECT_EQ(out.rect.y0, c.out.y0);
        EXPECT_EQ(out.rect.x1, c.out.x1);
        EXPECT_EQ(out.rect.y1, c.out.y1);
        EXPECT_EQ(out.width, 8u);
        EXPECT_EQ(out.height, 6u);
        EXPECT_EQ(out.texture, 7u);
        EXPECT_EQ(out.textureWidth, 16);
        EXPECT_EQ(out.textureHeight, 8);
        EXPECT_EQ(out.premultiplied, 1);
    }
    flip->release();
}
