// The counting and the stored resource shared by the texture and sound
// assets. The count is the number of handles held; the observer (the
// manager that made the asset) hears of every change.
#pragma once

#include <string>
#include <utility>

#include "engine/assets/KVIAsset.h"
#include "engine/assets/KVIAssetObserver.h"

template <typename T>
class KVBaseAsset : public KVIAsset {
public:
    KVBaseAsset(KVIAssetObserver* observer, std::string locator)
        : locator_(std::move(locator)), observer_(observer)
    {
    }
    KVBaseAsset(const KVBaseAsset&) = delete;
    KVBaseAsset& operator=(const KVBaseAsset&) = delete;

    const std::string& getResourceLocator() const override { return locator_; }
    uint32_t getReferenceCount() const override { return referenceCount_; }

    void retain() override
    {
        ++referenceCount_;
        if (observer_)
            observer_->notifyAssetRetained(this);
    }

    void release() override
    {
        --referenceCount_;
        if (observer_)
            observer_->notifyAssetReleased(this);
    }

    virtual T* getAsset() = 0;

protected:
    uint32_t referenceCount_ = 0;
    std::string locator_;
    KVIAssetObserver* observer_;
    T resource_{};
};
