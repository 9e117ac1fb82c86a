// Offers the sound named by its name input, loaded through the asset
// manager, on its asset output (normally a sound player's sound). Holds one
// handle on the sound's asset while it offers it.
#pragma once

#include "engine/assets/KVAssetHandle.h"
#include "engine/scenegraph/nodes/SGAssetLoaderNode.h"
#include "engine/scenegraph/ports/SGSoundPort.h"

class SGSoundLoaderNode : public SGAssetLoaderNode {
public:
    // Registers with the manager for the node's whole life.
    explicit SGSoundLoaderNode(KVEngineAssetManager* assetManager);
    ~SGSoundLoaderNode() override;

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // The manager destroyed the asset: forget the handle without releasing
    // it and load again at the next read.
    void resetAsset();
    // The manager is going away: forget it and its asset.
    void detachAssetManager();

    const KVAssetHandle<SGSound>& handle() const { return handle_; }

    SGSoundPort asset;

private:
    KVAssetHandle<SGSound> handle_;
};
