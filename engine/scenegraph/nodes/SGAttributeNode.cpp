#include "engine/scenegraph/nodes/SGAttributeNode.h"

#include <cstdio>

#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"

SGAttributeNode::SGAttributeNode(SGPortValueType type) : SGNode(SGNodeClass::attributeNode), valueType_(type)
{
    switch (type) {
    case SGPortValueType::STRING:
    case SGPortValueType::ASSETNAME:
        value_ = std::make_unique<SGStringPort>();
        break;
    case SGPortValueType::NUMBER:
        value_ = std::make_unique<SGNumberPort>();
        break;
    case SGPortValueType::INTEGER:
        value_ = std::make_unique<SGIntegerPort>();
        break;
    case SGPortValueType::BOOLEAN:
        value_ = std::make_unique<SGBooleanPort>();
        break;
    default:
        printf("SGAttributeNode creation failed - unsupported type\n");
        return;
    }
    addOutputPort(value_.get(), type);
}

SGAttributeNode::~SGAttributeNode() = default;

SGPort* SGAttributeNode::portForID(SGPortID)
{
    return value_.get();
}
