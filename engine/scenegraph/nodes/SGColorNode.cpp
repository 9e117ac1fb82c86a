#include "engine/scenegraph/nodes/SGColorNode.h"

SGColorNode::SGColorNode() : SGNode(SGNodeClass::colorNode)
{
    output.setStoredValue(SGColor{1.0f, 1.0f, 1.0f, 1.0f});
    r.setStoredValue(1.0f);
    g.setStoredValue(1.0f);
    b.setStoredValue(1.0f);
    a.setStoredValue(1.0f);
    addOutputPort(&output, SGPortValueType::COLOR);
    addInputPort(&r, SGPortValueType::NUMBER);
    addInputPort(&g, SGPortValueType::NUMBER);
    addInputPort(&b, SGPortValueType::NUMBER);
    addInputPort(&a, SGPortValueType::NUMBER);
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
    case SGPortID::output: return &output;
    case SGPortID::r: return &r;
    case SGPortID::g: return &g;
    case SGPortID::b: return &b;
    case SGPortID::a: return &a;
    default: return nullptr;
    }
}
