// Assembles a colour from four numbers, unclamped.
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGColorPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGColorNode : public SGNode {
public:
    SGColorNode();

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    SGColorPort output;
    SGNumberPort r;
    SGNumberPort g;
    SGNumberPort b;
    SGNumberPort a;
};
