#include "engine/scenegraph/nodes/SGColorNode.h"

SGColorNode::SGColorNode() : SGNode(SGColorNodeClass)
{
    output.setStoredValue(SGColor{1.0f, 1.0f, 1.0f, 1.0f});
    r.setStoredValue(1.0f);
    g.setStoredValue(1.0f);
    b.setStoredValue(1.0f);
    a.setStoredValue(1.0f);
    addOutputPort(&output, SGTypeColor);
    addInputPort(&r, SGTypeNumber);
    addInputPort(&g, SGTypeNumber);
    addInputPort(&b, SGTypeNumber);
    addInputPort(&a, SGTypeNumber);
}

void SGColorNode::compute()
{
    SGColor color;
    color.r = r.numberValue();
    color.g = g.numberValue();
    color.b = b.numberValue();
    color.a = a.numberValue();
    output.setStoredValue(color);
}

SGPort* SGColorNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortOutput: return &output;
    case SGPortR: return &r;
    case SGPortG: return &g;
    case SGPortB: return &b;
    case SGPortA: return &a;
    default: return nullptr;
    }
}
