// Base of every node: class flags, the dirty flag and the declared output
// ports. A dirty node recomputes when one of its outputs is read.
#pragma once

#include <cstdint>
#include <vector>

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

    bool isDirty() const { return dirty_; }
    void setDirty(bool dirty) { dirty_ = dirty; }
    uint32_t classFlags() const { return classFlags_; }
    bool isKindOf(SGNodeClass nodeClass) const { return (classFlags_ & static_cast<uint32_t>(nodeClass)) != 0; }
    bool isRenderNode() const { return (classFlags_ & SGRenderNodeFlag) != 0; }
    const std::vector<SGPort*>& outputPorts() const { return outputPorts_; }

    // Whether a node lives at this address: script handles borrow nodes, so
    // a handle may outlive its node.
    static bool isLive(const void* node);

private:
    bool dirty_ = true;
    uint32_t classFlags_;
    std::vector<SGPort*> outputPorts_;
};
