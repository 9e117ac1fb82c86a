// The image stretched over the whole sprite.
#pragma once

#include "engine/scenegraph/SGTextureRect.h"
#include "engine/scenegraph/nodes/SGSpriteRenderer.h"

class SGTexturedSpriteRenderer : public SGSpriteRenderer {
public:
    void drawSprite(const SGSpriteDrawParams& params) override;

protected:
    // Draws the quad from (0, 0) to (2 qw, 2 qh) showing rect, its lower-left
    // corner at (-qw, -qh) from the sprite's centre.
    void drawQuad(const SGSpriteDrawParams& params, float qw, float qh, const SGTextureRect& rect);

    // Four vertices of x, y, u, v.
    float quad_[16] = {};
};
