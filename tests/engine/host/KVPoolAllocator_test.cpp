#include "engine/host/KVPoolAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A script's blocks moving between the pools and the heap are the engine
// tests' part; here a full pool, which only a huge game would reach.
TEST(PoolAllocator, FullPoolFallsBackToTheSystemAndKeepsItsStackExact)
{
    KVPoolAllocator* pool = KVPoolAllocatorNew();
    KVMemoryPool& eights = pool->pools[0];
    eights.chunkLimit = 1;
    std::vector<void*> blocks;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 2503; ++i)
        blocks.push_back(KV_PoolLuaAlloc(pool, nullptr, 0, i < 2500 ? 8 : 1));
    KVPoolAllocatorPrintDescription(pool);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_NE(text.find("Ran out of chunks of size 8\n"), std::string::npos);
    EXPECT_NE(text.find("\nBlock Size 8:\n\tFree Blocks: 0\n\tChunks allocated: 1\n"), std::string::npos) << text;
    // A resize within the pool keeps the block, so a system block must be
    // as large as the pool's blocks (the sanitizer build sees an overrun).
    for (int i = 2500; i < 2503; ++i) {
        ASSERT_EQ(KV_PoolLuaAlloc(pool, blocks[i], 1, 8), blocks[i]);
        std::memset(blocks[i], 'g', 8);
    }
    // None was handed out twice.
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(std::adjacent_find(blocks.begin(), blocks.end()), blocks.end());

    for (void* block : blocks)
        KV_PoolLuaAlloc(pool, block, 8, 0);
    uint64_t inUse = 1;
    KVPoolAllocatorGetSize(pool, &inUse, nullptr, nullptr);
    EXPECT_EQ(inUse, 0u);
    EXPECT_EQ(eights.freeCount, 2500u) << "system blocks must never land on the free stack";
    KVPoolAllocatorDestroy(pool);
}

}  // namespace
