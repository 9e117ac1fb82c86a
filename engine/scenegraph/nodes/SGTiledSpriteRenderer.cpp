#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"

#include <cmath>

#include "engine/host/KVScriptMisuse.h"
#include "platform/gl/KVQuadBatch.h"

namespace {

bool positive(float v) { return std::isfinite(v) && v > 0.0f; }

}  // namespace

void SGTiledSpriteRenderer::drawSprite(const SGSpriteDrawParams& p)
{
    if (!builtFor(p)) {
        vertices_.clear();
        vertices_.shrink_to_fit();
        vertexCount_ = 0;
        originX_ = originY_ = 0.0f;
        updateVertexArray(p);
        built_ = true;
        keyHalfWidth_ = p.halfWidth;
        keyHalfHeight_ = p.halfHeight;
        keyTileWidth_ = p.tileWidth();
        keyTileHeight_ = p.tileHeight();
        keyImage_ = p.image;
        keyWrapping_[0] = p.horizontalWrapping;
        keyWrapping_[1] = p.verticalWrapping;
        keyAnchor_[0] = p.horizontalAnchor;
        keyAnchor_[1] = p.verticalAnchor;
    }
    drawVertexArray(p.image, SGRect{p.x, p.y, p.halfWidth, p.halfHeight}, p.angle);
}

bool SGTiledSpriteRenderer::builtFor(const SGSpriteDrawParams& p) const
{
    const SGTextureRect& a = keyImage_.rect;
    const SGTextureRect& b = p.image.rect;
    return built_ && keyHalfWidth_ == p.halfWidth && keyHalfHeight_ == p.halfHeight &&
           keyTileWidth_ == p.tileWidth() && keyTileHeight_ == p.tileHeight() &&
           keyImage_.texture == p.image.texture && a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1 &&
           keyImage_.textureWidth == p.image.textureWidth && keyImage_.textureHeight == p.image.textureHeight &&
           keyWrapping_[0] == p.horizontalWrapping && keyWrapping_[1] == p.verticalWrapping &&
           keyAnchor_[0] == p.horizontalAnchor && keyAnchor_[1] == p.verticalAnchor;
}

void SGTiledSpriteRenderer::drawVertexArray(const SGImage&, const SGRect& rect, const float& angle)
{
    const KVQuadTransform t = KVQuadTransform::make(std::floor(rect.x), std::floor(rect.y), angle, originX_, originY_);
    KVQuadBatch& batch = KVQuadBatch::current();
    // A cell's six vertices are the corners 0, 1, 2 and 1, 2, 5: its quad.
    for (int cell = 0; cell < vertexCount_ / 6; ++cell) {
        const float* v = &vertices_[static_cast<size_t>(cell) * 24];
        const float corners[16] = {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                   v[8], v[9], v[10], v[11], v[20], v[21], v[22], v[23]};
        batch.addQuad(t, corners);
    }
}

bool SGTiledSpriteRenderer::allocate(double count)
{
    if (!(count > 0.0) || count / 6.0 > kMaxCells) {
        if (count > 0.0)
            KVReportMisuse("scenegraph.spriteNode", "%.0f tiles in one sprite are too many; nothing drawn", count / 6.0);
        return false;
    }
    vertices_.reserve(static_cast<size_t>(count) * 4);
    return true;
}

void SGTiledSpriteRenderer::emitCell(float cx0, float cy0, float cx1, float cy1, const SGTextureRect& r)
{
    const float cell[24] = {
        cx0, cy0, r.x0, r.y0,  //
        cx1, cy0, r.x1, r.y0,  //
        cx0, cy1, r.x0, r.y1,  //
        cx1, cy0, r.x1, r.y0,  //
        cx0, cy1, r.x0, r.y1,  //
        cx1, cy1, r.x1, r.y1,
    };
    vertices_.insert(vertices_.end(), cell, cell + 24);
    vertexCount_ += 6;
}

void SGTiledSpriteRenderer::updateVertexArray(const SGSpriteDrawParams& p)
{
    const float tw = p.tileWidth(), th = p.tileHeight();
    const float W = 2.0f * p.halfWidth, H = 2.0f * p.halfHeight;
    // No tile size (both default to 0) or no area: nothing to tile.
    if (!positive(tw) || !positive(th) || !positive(W) || !positive(H))
        return;
    const int columns = static_cast<int>(std::fmin(std::ceil(W / tw), 1e9f));
    const int rows = static_cast<int>(std::fmin(std::ceil(H / th), 1e9f));
    if (!allocate(static_cast<double>(columns) * rows * 6.0))
        return;
    originX_ = -p.halfWidth;
    originY_ = -p.halfHeight;

    const SGTextureRect& whole = p.image.rect;
    for (int i = 0; i < columns; ++i) {
        SGTextureRect work = whole;
        const float cx0 = static_cast<float>(i) * tw;
        const float remainingX = W - cx0;
        float cellWidth = tw;
        if (tw > remainingX) {
            work.cropHorizontally(remainingX / tw, static_cast<SGAnchorMode>(p.horizontalAnchor));
            cellWidth = remainingX;
        }
        const float cx1 = cx0 + cellWidth;
        for (int j = 0; j < rows; ++j) {
            const float cy0 = static_cast<float>(j) * th;
            const float remainingY = H - cy0;
            float cellHeight = th;
            if (th <= remainingY) {
                work.y0 = whole.y0;
                work.y1 = whole.y1;
            } else {
                work.cropVertically(remainingY / th, static_cast<SGAnchorMode>(p.verticalAnchor));
                cellHeight = remainingY;
            }
            emitCell(cx0, cy0, cx1, cy0 + cellHeight, work);
        }
    }
}
