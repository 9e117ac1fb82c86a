#include "engine/assets/KVTextureAsset.h"

#include "engine/assets/KVLoadImageFromFile.h"

KVTextureAsset::KVTextureAsset(KVIAssetObserver* observer, const std::string& path) : KVBaseAsset(observer, path)
{
    resource_ = KVLoadImageFromFile(path.c_str());
}

KVTextureAsset::~KVTextureAsset()
{
    KVTextureAsset::freeAsset();
}

void KVTextureAsset::freeAsset()
{
    resource_.freeImage();
}

KVAssetHandle<SGImage> KVTextureAsset::getHandle()
{
    return KVAssetHandle<SGImage>(this, &resource_);
}
