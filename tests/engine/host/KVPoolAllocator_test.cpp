#include "engine/host/KVPoolAllocator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A script's blocks moving between the pools and the heap are the engine
// tests' part; here a full pool, which only a huge game would reach.
TEST(PoolAllocator, FullPoolFallsBackToTheSystemAndKeepsItsStackExact)
{
    KVPoolAllocator* pool = KVPoolAllocatorNew();
    pool->pools[0].chunkLimit = 1;
    std::vector<void*> blocks;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 2503; ++i)
        blocks.push_back(KV_PoolLuaAlloc(pool, nullptr, 0, 8));
    KVPoolAllocatorPrintDescription(pool);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "Ran out of chunks of size 8\n\nBlock Size 8:\n\tFree Blocks: 0\n\tChunks allocated: 1\n"),
              std::string::npos);
    for (void* block : blocks)
        KV_PoolLuaAlloc(pool, block, 8, 0);
    uint64_t inUse = 1;
    KVPoolAllocatorGetSize(pool, &inUse, nullptr, nullptr);
    EXPECT_EQ(inUse, 0u);
    EXPECT_EQ(pool->pools[0].freeCount, 2500u) << "system blocks must never land on the free stack";
    KVPoolAllocatorDestroy(pool);
}

}  // namespace
