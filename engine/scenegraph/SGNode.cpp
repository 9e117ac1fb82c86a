#include "engine/scenegraph/SGNode.h"

#include <mutex>
#include <unordered_set>

#include "engine/scenegraph/ports/SGPort.h"

namespace {

// Never destroyed, so nodes that die during static destruction still find it.
struct LiveNodes {
    std::mutex mutex;
    std::unordered_set<const void*> nodes;
};

LiveNodes& liveNodes()
{
    static LiveNodes* live = new LiveNodes();
    return *live;
}

}  // namespace

SGNode::SGNode(uint32_t classFlags) : classFlags_(classFlags)
{
    LiveNodes& live = liveNodes();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.nodes.insert(this);
}

SGNode::~SGNode()
{
    LiveNodes& live = liveNodes();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.nodes.erase(this);
}

bool SGNode::isLive(const void* node)
{
    LiveNodes& live = liveNodes();
    std::lock_guard<std::mutex> lock(live.mutex);
    return live.nodes.count(node) != 0;
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
