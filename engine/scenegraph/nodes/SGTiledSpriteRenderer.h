// The image repeated at the tile size across and up the sprite, from its
// lower-left corner; the last column and row show a cropped tile. The
// vertex array is rebuilt only when what it was built from changes.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/scenegraph/SGRect.h"
#include "engine/scenegraph/nodes/SGSpriteRenderer.h"

class SGTiledSpriteRenderer : public SGSpriteRenderer {
public:
    void drawSprite(const SGSpriteDrawParams& params) override;
    // Fills the vertex array and origin offset for the params.
    virtual void updateVertexArray(const SGSpriteDrawParams& params);

    int32_t vertexCount() const { return vertexCount_; }
    // x, y, u, v per vertex.
    const std::vector<float>& vertices() const { return vertices_; }

    // More cells than this in one sprite are refused (a tiny tile on a huge
    // sprite would otherwise exhaust memory).
    static constexpr double kMaxCells = 262144.0;

protected:
    // Transforms to the rectangle's centre (x, y; width and height are the
    // half sizes), turns by the angle, moves by the origin offset and hands
    // the array's cells to the quad batch.
    void drawVertexArray(const SGImage& image, const SGRect& rect, const float& angle);
    // Room for count vertices, or false (and nothing) when count is
    // unreasonable.
    bool allocate(double count);
    // Appends the six vertices of one cell.
    void emitCell(float cx0, float cy0, float cx1, float cy1, const SGTextureRect& r);

    int32_t vertexCount_ = 0;
    std::vector<float> vertices_;
    float originX_ = 0.0f;
    float originY_ = 0.0f;

private:
    bool builtFor(const SGSpriteDrawParams& params) const;

    bool built_ = false;
    float keyHalfWidth_ = 0.0f;
    float keyHalfHeight_ = 0.0f;
    float keyTileWidth_ = 0.0f;
    float keyTileHeight_ = 0.0f;
    SGImage keyImage_;
    // The modes shape the array too: a changed anchor must show.
    int32_t keyWrapping_[2] = {};
    int32_t keyAnchor_[2] = {};
};
