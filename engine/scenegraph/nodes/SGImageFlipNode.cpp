#include "engine/scenegraph/nodes/SGImageFlipNode.h"

SGImageFlipNode::SGImageFlipNode() : SGNode(SGNodeClass::imageFlipNode)
{
    addOutputPort(&output, SGPortValueType::IMAGE);
    addInputPort(&input, SGPortValueType::IMAGE);
    addInputPort(&flipHorizontal, SGPortValueType::BOOLEAN);
    addInputPort(&flipVertical, SGPortValueType::BOOLEAN);
}

void SGImageFlipNode::compute()
{
    SGImage image = input.imageValue();
    if (flipHorizontal.boolValue())
        image.rect.flipHorizontally();
    if (flipVertical.boolValue())
        image.rect.flipVertically();
    output.setStoredValue(image);
}

SGPort* SGImageFlipNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::output: return &output;
    case SGPortID::input: return &input;
    case SGPortID::flipHorizontal: return &flipHorizontal;
    case SGPortID::flipVertical: return &flipVertical;
    default: return nullptr;
    }
}
