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

// The loaders' tests count holders through the asset manager; here what no
// loader does: assigning a handle to itself, and forgetting one.
TEST(KVAssetHandle, SelfAssignmentAndForgettingKeepTheCount)
{
    CountLog log;
    NumberAsset asset(&log, 2);
    {
        KVAssetHandle<int> b = asset.getHandle();
        b = *&b;
        EXPECT_EQ(asset.getReferenceCount(), 1u);
        EXPECT_TRUE(log.released.empty()) << "the count must not touch 0";
        EXPECT_EQ(*b.resource(), 2);
        KVAssetHandle<int> forgotten = b;
        forgotten.forget();
        EXPECT_TRUE(forgotten.empty());
    }
    EXPECT_EQ(asset.getReferenceCount(), 1u);
    EXPECT_EQ(log.retained, (std::vector<uint32_t>{1, 2}));
}
