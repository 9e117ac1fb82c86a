#include "engine/scenegraph/nodes/SGColoredSpriteRenderer.h"

#include "platform/gl/KVQuadBatch.h"

void SGColoredSpriteRenderer::drawSprite(const SGSpriteDrawParams& p)
{
    const float hw = p.halfWidth, hh = p.halfHeight;
    const float corners[16] = {-hw, hh, 0, 0, hw, hh, 0, 0, -hw, -hh, 0, 0, hw, -hh, 0, 0};
    KVQuadBatch::current().addQuad(KVQuadTransform::make(p.x, p.y, p.angle), corners);
}
