// A flat rectangle in the sprite's colour: the sprite has no texture.
#pragma once

#include "engine/scenegraph/nodes/SGSpriteRenderer.h"

class SGColoredSpriteRenderer : public SGSpriteRenderer {
public:
    void drawSprite(const SGSpriteDrawParams& params) override;
};
