#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"

#include <cmath>

#include "platform/gl/KVQuadBatch.h"

void SGTexturedSpriteRenderer::drawSprite(const SGSpriteDrawParams& params)
{
    drawQuad(params, params.halfWidth, params.halfHeight, params.image.rect);
}

void SGTexturedSpriteRenderer::drawQuad(const SGSpriteDrawParams& p, float qw, float qh, const SGTextureRect& r)
{
    const float w = 2.0f * qw, h = 2.0f * qh;
    const float quad[16] = {
        0.0f, h, r.x0, r.y1,  //
        w, h, r.x1, r.y1,     //
        0.0f, 0.0f, r.x0, r.y0,  //
        w, 0.0f, r.x1, r.y0,
    };
    for (int i = 0; i < 16; ++i)
        quad_[i] = quad[i];
    // Whole units, so texels land on pixels.
    KVQuadBatch::current().addQuad(KVQuadTransform::make(std::floor(p.x), std::floor(p.y), p.angle, -qw, -qh), quad_);
}
