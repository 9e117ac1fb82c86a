// A typed value slot of a node. Reading pulls: a connected port answers its
// source's value, an unconnected one first brings its node up to date.
// Writing pushes: every node downstream is marked dirty.
#pragma once

#include <string>
#include <vector>

#include "engine/scenegraph/SGImage.h"
#include "engine/scenegraph/SGSound.h"
#include "engine/scenegraph/SGTypes.h"
#include "platform/objects/KVRef.h"

class SGNode;

class SGPort {
public:
    SGPort() = default;
    // Virtual because the attribute node owns its port through a base pointer.
    virtual ~SGPort();
    SGPort(const SGPort&) = delete;
    SGPort& operator=(const SGPort&) = delete;

    // Each class answers its own type and the conversions it knows; the rest
    // are these base answers.
    virtual std::string stringValue();
    virtual float numberValue();
    virtual int intValue();
    virtual bool boolValue();
    virtual SGColor colorValue();
    virtual SGSound soundValue();
    virtual SGImage imageValue();

    // Makes `source` this port's source (null disconnects). The connection
    // holds the source's node for as long as it lasts. Marks nothing dirty.
    virtual void setValue(SGPort* source);
    void disconnect();

    void addDestPort(SGPort* destPort);
    void removeDestPort(SGPort* destPort);
    // Marks the owner and everything downstream dirty, stopping at nodes
    // that already are.
    void markAsDirty();

    // Called by the node that declares the port; `bit` is the port's bit in
    // the node's set of changed ports.
    void declare(SGNode* owner, SGPortValueType type, uint32_t bit);
    uint32_t bit() const { return bit_; }
    // Whether a node that took `changed` from its set of changed ports has
    // to read this port again: it was written or (dis)connected since, or
    // another node feeds it (whose value can change without a word).
    bool needsReading(uint32_t changed) const { return (changed & bit_) != 0 || source_; }
    // Tells the owner this port changed, without marking anything dirty.
    void noteChanged();

    SGNode* owner() const { return owner_; }
    SGPortValueType valueType() const { return valueType_; }
    SGPort* source() const { return source_; }
    const std::vector<SGPort*>& destinations() const { return destinations_; }

protected:
    // Brings the owner node up to date before a stored value is read.
    void updateOwner();

private:
    bool wouldBeItsOwnSource(const SGPort* source) const;

    SGNode* owner_ = nullptr;
    SGPortValueType valueType_ = SGPortValueType::NIL;
    uint32_t bit_ = 0;
    std::vector<SGPort*> destinations_;
    SGPort* source_ = nullptr;
    Ref<SGNode> sourceNode_;  // the owner of source_, kept alive by the connection
    bool marking_ = false;  // set while this port's dirty walk is under way
};
