// Tiles upward; across, the image stretches or keeps its natural size.
#pragma once

#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"

class SGVerticalTiledSpriteRenderer : public SGTiledSpriteRenderer {
public:
    void updateVertexArray(const SGSpriteDrawParams& params) override;
};
