#include "engine/assets/KVSoundAsset.h"

#include <cstdio>
#include <exception>

KVSoundAsset::KVSoundAsset(KVIAssetObserver* observer, const std::string& path) : KVBaseAsset(observer, path)
{
    try {
        resource_.loadFromFile(path.c_str());
    } catch (const std::exception& e) {
        fprintf(stderr, "%s; the sound stays empty\n", e.what());
        resource_ = SGSoundNull;
    }
}

KVSoundAsset::~KVSoundAsset()
{
    KVSoundAsset::freeAsset();
}

void KVSoundAsset::freeAsset()
{
    resource_.freeSound();
}

KVAssetHandle<SGSound> KVSoundAsset::getHandle()
{
    return KVAssetHandle<SGSound>(this, &resource_);
}
