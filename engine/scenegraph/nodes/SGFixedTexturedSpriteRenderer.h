// The image at its natural size in at least one direction: cut to the
// sprite when larger (the anchor says which part stays), centred when
// smaller. The other direction stretches.
#pragma once

#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"

class SGFixedTexturedSpriteRenderer : public SGTexturedSpriteRenderer {
public:
    void drawSprite(const SGSpriteDrawParams& params) override;
};
