#include "engine/scenegraph/nodes/SGVerticalTiledSpriteRenderer.h"

#include <cmath>

void SGVerticalTiledSpriteRenderer::updateVertexArray(const SGSpriteDrawParams& p)
{
    const float th = p.tileHeight();
    const float H = 2.0f * p.halfHeight;
    // Only the tiled direction needs a tile size.
    if (!std::isfinite(th) || th <= 0.0f || !std::isfinite(H) || H <= 0.0f)
        return;
    const int count = static_cast<int>(std::fmin(std::ceil(H / th), 1e9f));
    if (!allocate(static_cast<double>(count) * 6.0))
        return;

    SGTextureRect work = p.image.rect;
    float qw = p.halfWidth;
    if (p.horizontalWrapping == SGWrapFixed) {
        qw = static_cast<float>(p.image.getWidth()) * 0.5f;
        if (p.halfWidth < qw) {
            work.cropHorizontally(p.halfWidth / qw, static_cast<SGAnchorMode>(p.horizontalAnchor));
            qw = p.halfWidth;
        }
    }
    originX_ = -qw;
    originY_ = -p.halfHeight;

    for (int k = 0; k < count; ++k) {
        const float cy0 = static_cast<float>(k) * th;
        const float remaining = H - cy0;
        float cellHeight = th;
        work.y0 = p.image.rect.y0;
        work.y1 = p.image.rect.y1;
        if (th > remaining) {
            work.cropVertically(remaining / th, static_cast<SGAnchorMode>(p.verticalAnchor));
            cellHeight = remaining;
        }
        emitCell(0.0f, cy0, 2.0f * qw, cy0 + cellHeight, work);
    }
}
