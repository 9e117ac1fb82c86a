// Base of the nodes that turn an asset name into the asset: the name input
// and the asset manager they ask (not owned; null when there is none or it
// was deleted, and then they output the empty value).
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGStringPort.h"

class KVEngineAssetManager;

class SGAssetLoaderNode : public SGNode {
public:
    SGAssetLoaderNode(uint32_t classFlags, KVEngineAssetManager* assetManager);

    // The name port; the subclasses add their asset port.
    SGPort* portForID(SGPortID id) override;

    // What the name input reads, without computing this node (reading the
    // port itself would, and a reset loader would load again at once).
    std::string currentName();

    KVEngineAssetManager* assetManager() const { return assetManager_; }

    SGStringPort name;

protected:
    KVEngineAssetManager* assetManager_;
};
