// A node that draws every frame when its space renders; compute() is its
// drawing step. Its space orders it by layer when asked to sort.
#pragma once

#include "engine/scenegraph/SGNode.h"

class SGRenderNode : public SGNode {
public:
    // classFlags: the subclass's own bits; the render-node bit is added.
    explicit SGRenderNode(uint32_t classFlags) : SGNode(classFlags | SGRenderNodeFlag) {}
    explicit SGRenderNode(SGNodeClass nodeClass) : SGRenderNode(static_cast<uint32_t>(nodeClass)) {}

    int32_t layer() const { return layer_; }
    void setLayer(int32_t layer) { layer_ = layer; }

private:
    int32_t layer_ = 0;
};
