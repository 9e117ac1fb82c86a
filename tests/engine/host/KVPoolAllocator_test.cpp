#include "engine/host/KVPoolAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class PoolAllocator : public ::testing::Test {
protected:
    void SetUp() override { pool = KVPoolAllocatorNew(); }
    void TearDown() override { KVPoolAllocatorDestroy(pool); }

    void* alloc(size_t size) { return KV_PoolLuaAlloc(pool, nullptr, 0, size); }
    void release(void* block, size_t size) { KV_PoolLuaAlloc(pool, block, size, 0); }
    void* resize(void* block, size_t from, size_t to) { return KV_PoolLuaAlloc(pool, block, from, to); }
    uint64_t inUse()
    {
        uint64_t used = 0;
        KVPoolAllocatorGetSize(pool, &used, nullptr, nullptr);
        return used;
    }

    KVPoolAllocator* pool = nullptr;
};

// A script's blocks moving between the pools and the heap are the engine
// tests' part; here a full pool, which only a huge game would reach.
TEST_F(PoolAllocator, FullPoolFallsBackToTheSystemAndKeepsItsStackExact)
{
    KVMemoryPool& eights = pool->pools[0];
    eights.chunkLimit = 2;
    std::vector<void*> blocks;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 5003; ++i)
        blocks.push_back(alloc(i < 5000 ? 8 : 1));
    KVPoolAllocatorPrintDescription(pool);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_NE(text.find("Ran out of chunks of size 8\n"), std::string::npos);
    EXPECT_NE(text.find("\nBlock Size 8:\n\tFree Blocks: 0\n\tChunks allocated: 2\n"), std::string::npos) << text;
    EXPECT_EQ(eights.systemBlocks, 3u);
    // A resize within the pool keeps the block, so a system block must be
    // as large as the pool's blocks (the sanitizer build sees an overrun).
    for (int i = 5000; i < 5003; ++i) {
        ASSERT_EQ(resize(blocks[i], 1, 8), blocks[i]);
        std::memset(blocks[i], 'g', 8);
    }

    // Every block is distinct and writable: none was handed out twice.
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(std::adjacent_find(blocks.begin(), blocks.end()), blocks.end());

    for (void* block : blocks)
        release(block, 8);
    EXPECT_EQ(eights.systemBlocks, 0u);
    EXPECT_EQ(eights.freeCount, 5000u) << "system blocks must never land on the free stack";
    EXPECT_EQ(inUse(), 0u);
}

}  // namespace
