// Mirrors an image horizontally and/or vertically by swapping its texture
// coordinates; size and texture pass through unchanged.
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"

class SGImageFlipNode : public SGNode {
public:
    SGImageFlipNode();

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    SGImagePort output;
    SGImagePort input;
    SGBooleanPort flipHorizontal;
    SGBooleanPort flipVertical;
};
