#include "engine/scenegraph/SGNode.h"

#include "engine/scenegraph/ports/SGPort.h"

SGNode::SGNode(uint32_t classFlags) : classFlags_(classFlags), ticket_(SGLiveNodes::enter(this)) {}

SGNode::~SGNode()
{
    SGLiveNodes::leave(ticket_);
}

void SGNode::compute() {}

SGPort* SGNode::portForID(SGPortID)
{
    return nullptr;
}

void SGNode::update()
{
    if (!dirty_)
        return;
    dirty_ = false;
    compute();
}

uint32_t SGNode::nextPortBit()
{
    const uint32_t index = declaredPorts_ < 31 ? declaredPorts_ : 31;
    ++declaredPorts_;
    return 1u << index;
}

void SGNode::addOutputPort(SGPort* port, SGPortValueType type)
{
    port->declare(this, type, nextPortBit());
    outputPorts_.push_back(port);
}

void SGNode::addInputPort(SGPort* port, SGPortValueType type)
{
    port->declare(this, type, nextPortBit());
    for (SGPort* output : outputPorts_)
        port->addDestPort(output);
}
