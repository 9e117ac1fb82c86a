// Told when an asset gains or loses a reference (the asset manager).
#pragma once

class KVIAsset;

class KVIAssetObserver {
public:
    virtual void notifyAssetRetained(KVIAsset* asset) = 0;
    virtual void notifyAssetReleased(KVIAsset* asset) = 0;

protected:
    ~KVIAssetObserver() = default;
};
