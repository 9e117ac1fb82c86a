// Holds one value set by the engine script (a game attribute) and offers it
// on its only port, so that any number of inputs can follow it.
#pragma once

#include <memory>

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGPort.h"

class SGAttributeNode : public SGNode {
public:
    // Supported types: string, asset name, number, integer, boolean. Any
    // other gets a message and no port: the node then answers null for
    // every id.
    explicit SGAttributeNode(SGPortValueType type);
    ~SGAttributeNode() override;

    // The value port, whatever the id.
    SGPort* portForID(SGPortID id) override;

    SGPortValueType valueType() const { return valueType_; }
    SGPort* valuePort() const { return value_.get(); }

private:
    SGPortValueType valueType_;
    std::unique_ptr<SGPort> value_;
};
