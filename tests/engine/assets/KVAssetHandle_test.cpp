#include <gtest/gtest.h>

#include <vector>

#include "engine/assets/KVAssetHandle.h"
#include "engine/assets/KVBaseAsset.h"

namespace {

// Records the count each notification saw.
struct CountLog : KVIAssetObserver {
    void notifyAssetRetained(KVIAsset* asset) override { retained.push_back(asset->getReferenceCount()); }
    void notifyAssetReleased(KVIAsset* asset) override { released.push_back(asset->getReferenceCount()); }
    std::vector<uint32_t> retained, released;
};

struct NumberAsset : KVBaseAsset<int> {
    NumberAsset(KVIAssetObserver* observer, int value) : KVBaseAsset(observer, "number")
    {
        resource_ = value;
    }
    void freeAsset() override {}
    int* getAsset() override { return &resource_; }
    KVAssetHandle<int> getHandle() { return KVAssetHandle<int>(this, &resource_); }
};

}  // namespace

TEST(KVAssetHandle, CountsEveryHolderAndTellsTheObserver)
{
    CountLog log;
    NumberAsset one(&log, 1), two(&log, 2);
    {
        KVAssetHandle<int> a = one.getHandle();
        EXPECT_EQ(*a.resource(), 1);
        EXPECT_EQ(a.asset(), &one);
        KVAssetHandle<int> b = a;
        EXPECT_EQ(one.getReferenceCount(), 2u);

        // Assignment moves the reference from one asset to the other.
        b = two.getHandle();
        EXPECT_EQ(one.getReferenceCount(), 1u);
        EXPECT_EQ(two.getReferenceCount(), 1u);
        EXPECT_EQ(*b.resource(), 2);

        // Assigning a handle to itself must not let the count touch 0.
        const size_t releases = log.released.size();
        b = *&b;
        EXPECT_EQ(log.released.size(), releases);
        EXPECT_EQ(two.getReferenceCount(), 1u);

        KVAssetHandle<int> empty;
        a = empty;
        EXPECT_TRUE(a.empty());
        EXPECT_EQ(a.resource(), nullptr);
        EXPECT_EQ(one.getReferenceCount(), 0u);
    }
    EXPECT_EQ(two.getReferenceCount(), 0u);
    EXPECT_EQ(log.retained, (std::vector<uint32_t>{1, 2, 1, 2}));
    EXPECT_EQ(log.released.back(), 0u);
}

TEST(KVAssetHandle, ForgettingLeavesTheCountAlone)
{
    NumberAsset asset(nullptr, 7);
    {
        KVAssetHandle<int> handle = asset.getHandle();
        handle.forget();
        EXPECT_TRUE(handle.empty());
    }
    EXPECT_EQ(asset.getReferenceCount(), 1u);
}
