// Arithmetic of texture rectangles, images and tiled vertex arrays; no
// drawing.
#include <gtest/gtest.h>

#include "engine/scenegraph/SGImage.h"
#include "engine/scenegraph/SGRect.h"
#include "engine/scenegraph/SGTextureRect.h"
#include "engine/scenegraph/nodes/SGHorizontalTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGVerticalTiledSpriteRenderer.h"

namespace {

constexpr SGTextureRect kWhole{0.0f, 0.0f, 1.0f, 1.0f};

SGTextureRect cropped(SGTextureRect r, float fraction, int anchor, bool horizontally = true)
{
    if (horizontally)
        r.cropHorizontally(fraction, static_cast<SGAnchorMode>(anchor));
    else
        r.cropVertically(fraction, static_cast<SGAnchorMode>(anchor));
    return r;
}

SGSpriteDrawParams tiled(float width, float height, int tileWidth, int tileHeight)
{
    SGSpriteDrawParams p;
    p.image.texture = 1;
    p.image.textureWidth = 64;
    p.image.textureHeight = 64;
    p.image.rect = kWhole;
    p.image.width = static_cast<uint32_t>(tileWidth);
    p.image.height = static_cast<uint32_t>(tileHeight);
    p.halfWidth = width * 0.5f;
    p.halfHeight = height * 0.5f;
    p.horizontalWrapping = 2;
    p.verticalWrapping = 2;
    return p;
}

// Vertex v of the array: x, y, u, v.
struct Vertex {
    float x, y, u, v;
};
Vertex vertex(const SGTiledSpriteRenderer& r, int i)
{
    const float* f = &r.vertices()[static_cast<size_t>(i) * 4];
    return {f[0], f[1], f[2], f[3]};
}

}  // namespace

TEST(SGTextureRect, CropKeepsTheAnchorsSide)
{
    SGTextureRect r = cropped(kWhole, 0.25f, 0);
    EXPECT_FLOAT_EQ(r.x0, 0.0f);
    EXPECT_FLOAT_EQ(r.x1, 0.25f);
    r = cropped(kWhole, 0.25f, 1);
    EXPECT_FLOAT_EQ(r.x0, 0.375f);
    EXPECT_FLOAT_EQ(r.x1, 0.625f);
    r = cropped(kWhole, 0.25f, 2);
    EXPECT_FLOAT_EQ(r.x0, 0.75f);
    EXPECT_FLOAT_EQ(r.x1, 1.0f);
    EXPECT_FLOAT_EQ(r.y1, 1.0f) << "a horizontal crop leaves y alone";

    r = cropped(kWhole, 0.5f, 2, false);
    EXPECT_FLOAT_EQ(r.y0, 0.5f);
    EXPECT_FLOAT_EQ(r.y1, 1.0f);
    EXPECT_FLOAT_EQ(r.x1, 1.0f);

    for (int anchor = 0; anchor < 3; ++anchor) {
        const SGTextureRect same = cropped(SGTextureRect{0.1f, 0.2f, 0.7f, 0.9f}, 1.0f, anchor);
        EXPECT_FLOAT_EQ(same.x0, 0.1f) << anchor;
        EXPECT_FLOAT_EQ(same.x1, 0.7f) << anchor;
    }
    const SGTextureRect untouched = cropped(kWhole, 0.25f, 7);
    EXPECT_EQ(untouched.x0, 0.0f);
    EXPECT_EQ(untouched.x1, 1.0f);
}

TEST(SGTextureRect, FlipsAndCropsOfFlippedRects)
{
    SGTextureRect r{0.1f, 0.2f, 0.7f, 0.9f};
    r.flipHorizontally();
    EXPECT_EQ(r.x0, 0.7f);
    EXPECT_EQ(r.x1, 0.1f);
    EXPECT_FLOAT_EQ(r.getWidth(), 0.6f);
    // Near is still x0: the flipped picture's left side.
    r.cropHorizontally(0.5f, SGAnchorNear);
    EXPECT_FLOAT_EQ(r.x0, 0.7f);
    EXPECT_FLOAT_EQ(r.x1, 0.4f);
    r.flipVertically();
    EXPECT_EQ(r.y0, 0.9f);
    EXPECT_EQ(r.y1, 0.2f);
    EXPECT_FLOAT_EQ(r.getHeight(), 0.7f);
}

TEST(SGRect, InsetShrinksTheSizeOnly)
{
    SGRect r{5.0f, 6.0f, 20.0f, 10.0f};
    r.insetRect(4.0f, -2.0f);
    EXPECT_EQ(r.x, 5.0f);
    EXPECT_EQ(r.y, 6.0f);
    EXPECT_EQ(r.width, 16.0f);
    EXPECT_EQ(r.height, 12.0f);
}

TEST(SGImage, SizeOfTheShownPartTruncates)
{
    SGImage image;
    image.textureWidth = 101;
    image.textureHeight = 10;
    image.rect = SGTextureRect{0.25f, 0.0f, 0.75f, 1.0f};
    EXPECT_EQ(image.getWidth(), 50);
    EXPECT_EQ(image.getHeight(), 10);
    image.rect.flipHorizontally();
    EXPECT_EQ(image.getWidth(), 50);
    EXPECT_EQ(SGImageNull.getWidth(), 0);
}

// 100 x 50 in 30 x 30 tiles: 4 columns, 2 rows; the last column is 10 wide
// and shows a third of the image, the last row 20 high.
TEST(SGTiledSpriteRenderer, CellsAndCropsOfTheLastColumnAndRow)
{
    SGTiledSpriteRenderer near;
    SGSpriteDrawParams p = tiled(100, 50, 30, 30);
    near.updateVertexArray(p);
    ASSERT_EQ(near.vertexCount(), 48);
    ASSERT_EQ(near.vertices().size(), 48u * 4);
    // Column-major: cell (i, j) starts at vertex (i * 2 + j) * 6.
    const Vertex lastColumn = vertex(near, 6 * 6 + 5);  // column 3, row 0, top-right corner
    EXPECT_FLOAT_EQ(lastColumn.x, 100.0f);
    EXPECT_FLOAT_EQ(lastColumn.y, 30.0f);
    EXPECT_FLOAT_EQ(lastColumn.u, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(vertex(near, 6 * 6).u, 0.0f);
    EXPECT_FLOAT_EQ(vertex(near, 6 * 6).x, 90.0f);
    const Vertex lastRow = vertex(near, 1 * 6 + 5);  // column 0, row 1
    EXPECT_FLOAT_EQ(lastRow.y, 50.0f);
    EXPECT_FLOAT_EQ(lastRow.v, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(lastRow.u, 1.0f) << "full columns show the whole width";
    const Vertex full = vertex(near, 2 * 6 + 5);  // column 1, row 0
    EXPECT_FLOAT_EQ(full.u, 1.0f);
    EXPECT_FLOAT_EQ(full.v, 1.0f);

    SGTiledSpriteRenderer far;
    p.horizontalAnchor = SGAnchorFar;
    p.verticalAnchor = SGAnchorFar;
    far.updateVertexArray(p);
    EXPECT_FLOAT_EQ(vertex(far, 6 * 6).u, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(vertex(far, 6 * 6 + 5).u, 1.0f);
    EXPECT_FLOAT_EQ(vertex(far, 1 * 6).v, 1.0f / 3.0f);
}

TEST(SGTiledSpriteRenderer, NoTileSizeMeansNoCellsAndNoMemory)
{
    for (const auto& size : {std::pair<int, int>{0, 0}, {0, 30}, {30, 0}, {-5, 30}, {30, -1}}) {
        SGTiledSpriteRenderer r;
        r.updateVertexArray(tiled(100, 50, size.first, size.second));
        EXPECT_EQ(r.vertexCount(), 0) << size.first << " x " << size.second;
        EXPECT_EQ(r.vertices().capacity(), 0u);
    }
    SGTiledSpriteRenderer flat;
    flat.updateVertexArray(tiled(0, 50, 30, 30));
    EXPECT_EQ(flat.vertexCount(), 0);

    // A tiny tile on a huge sprite is refused instead of exhausting memory.
    SGTiledSpriteRenderer huge;
    testing::internal::CaptureStderr();
    huge.updateVertexArray(tiled(1e7f, 1e7f, 1, 1));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("too many"), std::string::npos);
    EXPECT_EQ(huge.vertexCount(), 0);
}

TEST(SGTiledSpriteRenderer, OneDirectionTiling)
{
    // Across: 3 tiles of 30 over 70, the last 10 wide; vertically fixed, the
    // 64-pixel image cut to the 20-pixel sprite around its centre.
    SGHorizontalTiledSpriteRenderer across;
    SGSpriteDrawParams p = tiled(70, 20, 30, 0);
    p.verticalWrapping = 1;
    p.verticalAnchor = SGAnchorCenter;
    across.updateVertexArray(p);
    ASSERT_EQ(across.vertexCount(), 18);
    EXPECT_FLOAT_EQ(vertex(across, 17).x, 70.0f);
    EXPECT_FLOAT_EQ(vertex(across, 17).y, 20.0f);
    EXPECT_FLOAT_EQ(vertex(across, 12).u, 0.0f);
    EXPECT_FLOAT_EQ(vertex(across, 17).u, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(vertex(across, 0).v, 0.5f - 10.0f / 64.0f);
    EXPECT_FLOAT_EQ(vertex(across, 5).v, 0.5f + 10.0f / 64.0f);

    // Upward with the width stretched: tile height alone matters.
    SGVerticalTiledSpriteRenderer up;
    p = tiled(40, 45, 0, 20);
    up.updateVertexArray(p);
    ASSERT_EQ(up.vertexCount(), 18);
    EXPECT_FLOAT_EQ(vertex(up, 17).x, 40.0f);
    EXPECT_FLOAT_EQ(vertex(up, 17).y, 45.0f);
    EXPECT_FLOAT_EQ(vertex(up, 17).v, 0.25f);
    EXPECT_FLOAT_EQ(vertex(up, 17).u, 1.0f);
}
