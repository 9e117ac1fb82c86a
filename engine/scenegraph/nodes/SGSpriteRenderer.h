// The strategy a sprite draws with, chosen from its image and wrapping
// modes. Renderers hand their quads to the calling thread's quad batch, in
// the style the sprite set there.
#pragma once

#include "engine/scenegraph/nodes/SGSpriteDrawParams.h"

class SGSpriteRenderer {
public:
    virtual void drawSprite(const SGSpriteDrawParams& params) = 0;
    virtual ~SGSpriteRenderer() = default;
};
