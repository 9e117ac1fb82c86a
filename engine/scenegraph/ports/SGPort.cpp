#include "engine/scenegraph/ports/SGPort.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine/scenegraph/SGNode.h"

SGPort::~SGPort()
{
    // Ports that use this one as their source are not told: a connection
    // holds this port's node, so while one exists the port cannot die.
    disconnect();
}

std::string SGPort::stringValue()
{
    return std::string();
}

float SGPort::numberValue()
{
    return 0.0f;
}

int SGPort::intValue()
{
    return 0;
}

bool SGPort::boolValue()
{
    return false;
}

SGColor SGPort::colorValue()
{
    return SGColor{1.0f, 1.0f, 1.0f, 1.0f};
}

SGSound SGPort::soundValue()
{
    return SGSoundNull;
}

SGImage SGPort::imageValue()
{
    return SGImageNull;
}

void SGPort::setValue(SGPort* source)
{
    if (!source) {
        disconnect();
        return;
    }
    if (source == source_)
        return;
    // Reading follows sources without computing in between, so a loop of
    // sources would never end.
    if (wouldBeItsOwnSource(source)) {
        fprintf(stderr, "SGPort: connection refused: a port cannot be its own source, directly or through others\n");
        return;
    }
    // Hold the new source's node before letting go of the old one: they
    // may be the same node, whose last reference the old link may hold.
    Ref<SGNode> node(source->owner());
    disconnect();
    source_ = source;
    sourceNode_ = std::move(node);
    source->addDestPort(this);
    noteChanged();
}

void SGPort::disconnect()
{
    SGPort* source = source_;
    if (!source)
        return;
    source_ = nullptr;
    source->removeDestPort(this);
    noteChanged();
    // Last: this may free the source's node and what only it held.
    sourceNode_ = nullptr;
}

void SGPort::addDestPort(SGPort* destPort)
{
    if (!destPort) {
        fprintf(stderr, "Assertion failed: destPort (engine/scenegraph/ports/SGPort)\n");
        return;
    }
    destinations_.push_back(destPort);
}

void SGPort::removeDestPort(SGPort* destPort)
{
    auto it = std::find(destinations_.begin(), destinations_.end(), destPort);
    if (it != destinations_.end())
        destinations_.erase(it);
}

void SGPort::markAsDirty()
{
    // The walk relies on everything downstream of a dirty node being dirty.
    // The marking flag ends it should the graph hold a loop of clean nodes
    // (a node's input fed from its own output).
    noteChanged();
    if ((owner_ && owner_->isDirty()) || marking_)
        return;
    marking_ = true;
    for (size_t i = 0; i < destinations_.size(); ++i)
        destinations_[i]->markAsDirty();
    marking_ = false;
    if (owner_)
        owner_->setDirty(true);
}

void SGPort::declare(SGNode* owner, SGPortValueType type, uint32_t bit)
{
    owner_ = owner;
    valueType_ = type;
    bit_ = bit;
}

void SGPort::noteChanged()
{
    if (owner_)
        owner_->notePortChanged(bit_);
}

void SGPort::updateOwner()
{
    if (owner_)
        owner_->update();
}

bool SGPort::wouldBeItsOwnSource(const SGPort* source) const
{
    for (const SGPort* p = source; p; p = p->source_)
        if (p == this)
            return true;
    return false;
}
