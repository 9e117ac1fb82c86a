// Clears the colour and depth buffers to its colour when drawn; where it
// stands in the render order decides what it wipes.
#pragma once

#include "engine/scenegraph/SGRenderNode.h"
#include "engine/scenegraph/ports/SGColorPort.h"

class SGClearNode : public SGRenderNode {
public:
    SGClearNode();

    void compute() override;
    // Its colour port, whatever the id.
    SGPort* portForID(SGPortID id) override;

    SGColorPort color;
};
