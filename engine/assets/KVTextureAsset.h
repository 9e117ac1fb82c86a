// An image file loaded into an OpenGL texture, owned by the asset manager.
#pragma once

#include "engine/assets/KVAssetHandle.h"
#include "engine/assets/KVAssetHandleFactory.h"
#include "engine/assets/KVBaseAsset.h"
#include "engine/scenegraph/SGImage.h"

class KVTextureAsset : public KVBaseAsset<SGImage>, public KVAssetHandleFactory {
public:
    // Loads the file at once (an unreadable one gives the placeholder or the
    // null image). Needs the game's OpenGL context current.
    KVTextureAsset(KVIAssetObserver* observer, const std::string& path);
    ~KVTextureAsset() override;

    // Deletes the texture, whatever the count: holders are reset by the
    // manager that destroys the asset.
    void freeAsset() override;
    SGImage* getAsset() override { return &resource_; }
    // A handle on the image, which retains the asset.
    virtual KVAssetHandle<SGImage> getHandle();
};
