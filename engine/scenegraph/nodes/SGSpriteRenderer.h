// The strategy a sprite draws with, chosen from its image and wrapping
// modes. Renderers assume the game view's drawing state and leave it as
// they found it.
#pragma once

#include "engine/scenegraph/nodes/SGSpriteDrawParams.h"

class SGSpriteRenderer {
public:
    virtual void drawSprite(const SGSpriteDrawParams& params) = 0;
    virtual ~SGSpriteRenderer() = default;
};
