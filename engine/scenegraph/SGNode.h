// Base of every node: class flags, the dirty flag and the declared output
// ports. A dirty node recomputes when one of its outputs is read.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/scenegraph/SGLiveNodes.h"
#include "engine/scenegraph/SGObject.h"
#include "engine/scenegraph/SGTypes.h"

class SGPort;

class SGNode : public SGObject {
public:
    // classFlags: the class's bit ORed with its bases' bits.
    explicit SGNode(uint32_t classFlags);
    explicit SGNode(SGNodeClass nodeClass) : SGNode(static_cast<uint32_t>(nodeClass)) {}
    ~SGNode() override;

    // Recomputes the outputs from the inputs (render nodes: draws). Writes
    // the outputs' stored values directly, so it marks nothing dirty.
    virtual void compute();
    // The port with this id, or null when the node has none.
    virtual SGPort* portForID(SGPortID id);

    // Computes when dirty; the flag is cleared first, so a node reading its
    // own unconnected inputs while computing does not recurse.
    void update();

    // Outputs are declared before inputs: each input lists every output
    // declared so far as a destination, so changes flow through the node.
    void addOutputPort(SGPort* port, SGPortValueType type);
    void addInputPort(SGPort* port, SGPortValueType type);

    // Which ports were written (with notice or without), connected or
    // disconnected since the node last took the set: port i of the node's
    // declarations is bit i (the last bit also stands for every later port).
    // All are set when the node is made. A node that reads only these, and
    // the ports fed by another node, sees what a node reading every port sees.
    uint32_t changedPorts() const { return changedPorts_; }
    uint32_t takeChangedPorts()
    {
        const uint32_t changed = changedPorts_;
        changedPorts_ = 0;
        return changed;
    }
    void notePortChanged(uint32_t bit) { changedPorts_ |= bit; }

    bool isDirty() const { return dirty_; }
    void setDirty(bool dirty) { dirty_ = dirty; }
    uint32_t classFlags() const { return classFlags_; }
    bool isKindOf(SGNodeClass nodeClass) const { return (classFlags_ & static_cast<uint32_t>(nodeClass)) != 0; }
    bool isRenderNode() const { return (classFlags_ & SGRenderNodeFlag) != 0; }
    const std::vector<SGPort*>& outputPorts() const { return outputPorts_; }

    // What script handles keep to find the node again (SGLiveNodes::find),
    // since a handle may outlive its node.
    SGLiveNodes::Ticket ticket() const { return ticket_; }

private:
    uint32_t nextPortBit();

    bool dirty_ = true;
    uint32_t changedPorts_ = ~0u;
    uint32_t declaredPorts_ = 0;
    uint32_t classFlags_;
    SGLiveNodes::Ticket ticket_;
    std::vector<SGPort*> outputPorts_;
};
