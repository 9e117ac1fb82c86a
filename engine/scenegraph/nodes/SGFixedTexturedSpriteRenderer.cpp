#include "engine/scenegraph/nodes/SGFixedTexturedSpriteRenderer.h"

void SGFixedTexturedSpriteRenderer::drawSprite(const SGSpriteDrawParams& p)
{
    SGTextureRect rect = p.image.rect;
    float qw = p.halfWidth, qh = p.halfHeight;

    if (p.horizontalWrapping == SGWrapFixed) {
        const float iw = static_cast<float>(p.image.getWidth()) * 0.5f;
        if (p.halfWidth < iw) {
            rect.cropHorizontally(p.halfWidth / iw, static_cast<SGAnchorMode>(p.horizontalAnchor));
            qw = p.halfWidth;
        } else {
            qw = iw;
        }
    }
    if (p.verticalWrapping == SGWrapFixed) {
        const float ih = static_cast<float>(p.image.getHeight()) * 0.5f;
        if (p.halfHeight < ih) {
            rect.cropVertically(p.halfHeight / ih, static_cast<SGAnchorMode>(p.verticalAnchor));
            qh = p.halfHeight;
        } else {
            qh = ih;
        }
    }
    drawQuad(p, qw, qh, rect);
}
