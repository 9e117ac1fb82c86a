// Arithmetic of texture rectangles and tiled vertex arrays; no drawing.
#include <gtest/gtest.h>

#include "engine/scenegraph/SGTextureRect.h"
#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"

// Near is always x0 (or y0), the picture's own left (or bottom), even flipped.
TEST(SGTextureRect, CropKeepsTheAnchorsSide)
{
    const SGTextureRect whole{0, 0, 1, 1}, part{0.1f, 0.2f, 0.7f, 0.9f}, flipped{0.7f, 0.2f, 0.1f, 0.9f};
    const struct {
        SGTextureRect rect;
        float fraction;
        int anchor;
        bool across;
        SGTextureRect expected;
    } cases[] = {
        {whole, 0.25f, 0, true, {0, 0, 0.25f, 1}},        {whole, 0.25f, 1, true, {0.375f, 0, 0.625f, 1}},
        {whole, 0.25f, 2, true, {0.75f, 0, 1, 1}},        {whole, 0.5f, 2, false, {0, 0.5f, 1, 1}},
        {whole, 0.25f, 7, true, whole},                   {part, 1, 1, true, part},
        {flipped, 0.5f, 0, true, {0.7f, 0.2f, 0.4f, 0.9f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.x0 << " to " << c.rect.x1 << ", " << c.fraction << " at " << c.anchor);
        SGTextureRect r = c.rect;
        if (c.across)
            r.cropHorizontally(c.fraction, static_cast<SGAnchorMode>(c.anchor));
        else
            r.cropVertically(c.fraction, static_cast<SGAnchorMode>(c.anchor));
        EXPECT_FLOAT_EQ(r.x0, c.expected.x0);
        EXPECT_FLOAT_EQ(r.y0, c.expected.y0);
        EXPECT_FLOAT_EQ(r.x1, c.expected.x1);
        EXPECT_FLOAT_EQ(r.y1, c.expected.y1);
    }
}

// No tile size, no width, or too many tiles: no cells, nothing allocated.
TEST(SGTiledSpriteRenderer, NoUsableTileSizeMeansNoCellsAndNoMemory)
{
    const struct {
        float width, height;
        int tileWidth, tileHeight;
    } cases[] = {{100, 50, 0, 0}, {100, 50, 0, 30}, {100, 50, 30, 0}, {100, 50, -5, 30},
                 {100, 50, 30, -1}, {0, 50, 30, 30}, {1e7f, 1e7f, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " in " << c.tileWidth << " x " << c.tileHeight);
        SGSpriteDrawParams p;
        p.image.texture = 1;
        p.image.textureWidth = p.image.textureHeight = 64;
        p.image.rect = SGTextureRect{0, 0, 1, 1};
        p.image.width = static_cast<uint32_t>(c.tileWidth);
        p.image.height = static_cast<uint32_t>(c.tileHeight);
        p.halfWidth = c.width * 0.5f;
        p.halfHeight = c.height * 0.5f;
        p.horizontalWrapping = p.verticalWrapping = 2;
        SGTiledSpriteRenderer r;
        testing::internal::CaptureStderr();
        r.updateVertexArray(p);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(r.vertexCount(), 0);
        EXPECT_EQ(r.vertices().capacity(), 0u);
        EXPECT_EQ(err.find("too many") != std::string::npos, c.width > 1e6f) << err;
    }
}
