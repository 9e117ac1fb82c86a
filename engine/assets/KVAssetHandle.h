// A counted reference to an asset's resource, held by the loader nodes.
// Holding one keeps the asset's count up; the manager may still destroy the
// asset, and then makes the holder forget() it instead of releasing.
#pragma once

#include "engine/assets/KVIAsset.h"

template <typename T>
class KVAssetHandle {
public:
    KVAssetHandle() = default;
    // Takes a new reference: the asset is retained.
    KVAssetHandle(KVIAsset* asset, T* resource) : asset_(asset), resource_(resource)
    {
        if (asset_)
            asset_->retain();
    }
    KVAssetHandle(const KVAssetHandle& other) : KVAssetHandle(other.asset_, other.resource_) {}

    KVAssetHandle& operator=(const KVAssetHandle& other)
    {
        // Releasing first would let a self-assignment drop the count to 0
        // for a moment, and the manager would take the asset for unused.
        if (this == &other)
            return *this;
        if (asset_)
            asset_->release();
        asset_ = other.asset_;
        resource_ = other.resource_;
        if (asset_)
            asset_->retain();
        return *this;
    }

    virtual ~KVAssetHandle()
    {
        if (asset_)
            asset_->release();
        forget();
    }

    // Empties the handle without releasing: for when the asset is gone.
    void forget()
    {
        asset_ = nullptr;
        resource_ = nullptr;
    }

    bool empty() const { return asset_ == nullptr; }
    KVIAsset* asset() const { return asset_; }
    T* resource() const { return resource_; }

private:
    KVIAsset* asset_ = nullptr;
    T* resource_ = nullptr;
};
