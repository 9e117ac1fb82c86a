// Combines two numbers with the operation named by the first character of
// its operation text: + - * / % s (a sin b) c (a cos b); anything else
// gives 0.
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"

class SGArithmeticNode : public SGNode {
public:
    SGArithmeticNode();

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    SGNumberPort output;
    SGNumberPort input1;
    SGNumberPort input2;
    SGStringPort operation;
};
