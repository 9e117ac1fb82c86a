#include "engine/scenegraph/nodes/SGArithmeticNode.h"

#include <cmath>

SGArithmeticNode::SGArithmeticNode() : SGNode(SGNodeClass::arithmeticNode)
{
    operation.setStoredValue("+");
    addOutputPort(&output, SGPortValueType::NUMBER);
    addInputPort(&input1, SGPortValueType::NUMBER);
    addInputPort(&input2, SGPortValueType::NUMBER);
    addInputPort(&operation, SGPortValueType::STRING);
}

void SGArithmeticNode::compute()
{
    // The operation is set directly on its port; a connection is not followed.
    const std::string op = operation.storedValue();
    const float a = input1.numberValue();
    const float b = input2.numberValue();
    float result = 0.0f;
    switch (op.empty() ? '\0' : op[0]) {
    case '+': result = a + b; break;
    case '-': result = a - b; break;
    case '*': result = a * b; break;
    case '/': result = a / b; break;
    case '%': result = std::fmod(a, b); break;
    case 's': result = a * std::sin(b); break;
    case 'c': result = a * std::cos(b); break;
    default: break;
    }
    output.setStoredValue(result);
}

SGPort* SGArithmeticNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::output: return &output;
    case SGPortID::input1: return &input1;
    case SGPortID::input2: return &input2;
    case SGPortID::operation: return &operation;
    default: return nullptr;
    }
}
