// Tiles across; vertically the image stretches or keeps its natural size.
#pragma once

#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"

class SGHorizontalTiledSpriteRenderer : public SGTiledSpriteRenderer {
public:
    void updateVertexArray(const SGSpriteDrawParams& params) override;
};
