#include "engine/scenegraph/nodes/SGHorizontalTiledSpriteRenderer.h"

#include <cmath>

void SGHorizontalTiledSpriteRenderer::updateVertexArray(const SGSpriteDrawParams& p)
{
    const float tw = p.tileWidth();
    const float W = 2.0f * p.halfWidth;
    // Only the tiled direction needs a tile size.
    if (!std::isfinite(tw) || tw <= 0.0f || !std::isfinite(W) || W <= 0.0f)
        return;
    const int count = static_cast<int>(std::fmin(std::ceil(W / tw), 1e9f));
    if (!allocate(static_cast<double>(count) * 6.0))
        return;

    SGTextureRect work = p.image.rect;
    float qh = p.halfHeight;
    if (p.verticalWrapping == SGWrapFixed) {
        qh = static_cast<float>(p.image.getHeight()) * 0.5f;
        if (p.halfHeight < qh) {
            work.cropVertically(p.halfHeight / qh, static_cast<SGAnchorMode>(p.verticalAnchor));
            qh = p.halfHeight;
        }
    }
    originX_ = -p.halfWidth;
    originY_ = -qh;

    for (int k = 0; k < count; ++k) {
        const float cx0 = static_cast<float>(k) * tw;
        const float remaining = W - cx0;
        float cellWidth = tw;
        work.x0 = p.image.rect.x0;
        work.x1 = p.image.rect.x1;
        if (tw > remaining) {
            work.cropHorizontally(remaining / tw, static_cast<SGAnchorMode>(p.horizontalAnchor));
            cellWidth = remaining;
        }
        emitCell(cx0, 0.0f, cx0 + cellWidth, 2.0f * qh, work);
    }
}
