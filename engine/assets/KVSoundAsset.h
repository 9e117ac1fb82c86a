// A sound file decoded into an OpenAL buffer, owned by the asset manager.
#pragma once

#include "engine/assets/KVAssetHandle.h"
#include "engine/assets/KVAssetHandleFactory.h"
#include "engine/assets/KVBaseAsset.h"
#include "engine/scenegraph/SGSound.h"

class KVSoundAsset : public KVBaseAsset<SGSound>, public KVAssetHandleFactory {
public:
    // Loads the file at once. A file that cannot be read leaves the sound
    // empty, after one line on standard error naming it and the reason: the
    // name stays loaded, so it is not looked up again. Needs the OpenAL
    // context current.
    KVSoundAsset(KVIAssetObserver* observer, const std::string& path);
    ~KVSoundAsset() override;

    // Frees the sound; a buffer that a source still plays goes once the
    // source lets go of it.
    void freeAsset() override;
    SGSound* getAsset() override { return &resource_; }
    // A handle on the sound, which retains the asset.
    virtual KVAssetHandle<SGSound> getHandle();
};
