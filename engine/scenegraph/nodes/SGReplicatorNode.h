// A space that draws its contents several times along a line: each copy is
// offset by spacing in the direction angle (degrees) from the one before,
// the first at the space's own origin.
#pragma once

#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGReplicatorNode : public SGSpace {
public:
    // Takes the parent space's managers.
    explicit SGReplicatorNode(SGSpace& parent);

    SGPort* portForID(SGPortID id) override;
    // Draws the render nodes `copies` times; none for 0 or less.
    void render() override;

    SGNumberPort angle;
    SGNumberPort spacing;
    SGIntegerPort copies;
};
