#include <gtest/gtest.h>

#include <tuple>

#include "engine/scenegraph/nodes/SGImageFlipNode.h"

// The picture's part is mirrored within itself; nothing but the rectangle changes.
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
    };
    auto* flip = new SGImageFlipNode();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x0 << "," << c.in.y0 << " flipped " << c.h << c.v);
        picture.rect = c.in;
        flip->input.setValue(picture);
        flip->flipHorizontal.setValue(c.h);
        flip->flipVertical.setValue(c.v);
        auto fields = [](const SGImage& i) {
            return std::tuple(i.rect.x0, i.rect.y0, i.rect.x1, i.rect.y1, i.width, i.height, i.texture,
                              i.textureWidth, i.textureHeight, i.premultiplied);
        };
        SGImage expected = picture;
        expected.rect = c.out;
        EXPECT_EQ(fields(flip->output.imageValue()), fields(expected));
    }
    flip->release();
}
