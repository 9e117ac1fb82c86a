// Offers the image named by its name input, loaded through the asset
// manager, on its asset output (normally a sprite's image). Holds one handle
// on the image's asset while it shows it.
#pragma once

#include "engine/assets/KVAssetHandle.h"
#include "engine/scenegraph/nodes/SGAssetLoaderNode.h"
#include "engine/scenegraph/ports/SGImagePort.h"

class SGImageLoaderNode : public SGAssetLoaderNode {
public:
    // Registers with the manager for the node's whole life.
    explicit SGImageLoaderNode(KVEngineAssetManager* assetManager);
    ~SGImageLoaderNode() override;

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // The manager destroyed the asset: forget the handle without releasing
    // it and load again at the next read.
    void resetAsset();
    // The manager is going away: forget it and its asset.
    void detachAssetManager();

    const KVAssetHandle<SGImage>& handle() const { return handle_; }

    SGImagePort asset;

private:
    KVAssetHandle<SGImage> handle_;
};
