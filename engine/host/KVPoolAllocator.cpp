#include "engine/host/KVPoolAllocator.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

const uint64_t KVMemoryPoolSizes[kKVPoolCount][2] = {
    {8, 2500},   {16, 2500},  {20, 8000},  {32, 12000}, {40, 8000},  {64, 2000},
    {80, 3200},  {128, 1000}, {160, 3200}, {320, 2500}, {640, 1500},
};

namespace {

// Pool of each size, by ceil(size / 4) - 1.
struct PoolForSizeTable {
    uint8_t index[kKVMaxPooledSize / 4];
    PoolForSizeTable()
    {
        int pool = 0;
        for (size_t i = 0; i < sizeof index; ++i) {
            const size_t size = (i + 1) * 4;
            while (KVMemoryPoolSizes[pool][0] < size)
                ++pool;
            index[i] = static_cast<uint8_t>(pool);
        }
    }
};
const PoolForSizeTable poolForSize;

bool addChunk(KVMemoryPool* pool)
{
    void* chunk = std::malloc(pool->blockSize * pool->blocksPerChunk);
    if (!chunk)
        return false;
    pool->chunks[pool->chunkCount++] = chunk;
    char* block = static_cast<char*>(chunk);
    for (uint64_t i = 0; i < pool->blocksPerChunk; ++i, block += pool->blockSize)
        pool->freeStack[i] = block;
    pool->freeCount = pool->blocksPerChunk;
    return true;
}

bool isInChunks(const KVMemoryPool* pool, const void* block)
{
    const auto address = reinterpret_cast<uintptr_t>(block);
    const uint64_t chunkBytes = pool->blockSize * pool->blocksPerChunk;
    for (uint64_t i = 0; i < pool->chunkCount; ++i) {
        const auto start = reinterpret_cast<uintptr_t>(pool->chunks[i]);
        if (address >= start && address < start + chunkBytes)
            return true;
    }
    return false;
}

void* takeBlock(KVMemoryPool* pool)
{
    if (pool->freeCount == 0) {
        if (pool->chunkCount >= pool->chunkLimit) {
            std::printf("Ran out of chunks of size %lu\n", static_cast<unsigned long>(pool->blockSize));
            // The free stack has no room for more blocks; serve this one from
            // the system and recognise it by address when it comes back. It
            // gets a whole block's size, since a resize within the pool keeps
            // the block where it is.
            void* block = std::malloc(pool->blockSize);
            if (block)
                ++pool->systemBlocks;
            return block;
        }
        if (!addChunk(pool))
            return nullptr;
    }
    return pool->freeStack[--pool->freeCount];
}

void giveBlock(KVMemoryPool* pool, void* block)
{
    if (pool->systemBlocks > 0 && !isInChunks(pool, block)) {
        --pool->systemBlocks;
        std::free(block);
        return;
    }
    pool->freeStack[pool->freeCount++] = block;
}

}  // namespace

int KVPoolAllocatorPoolForSize(size_t size)
{
    if (size == 0 || size > kKVMaxPooledSize)
        return -1;
    return poolForSize.index[(size + 3) / 4 - 1];
}

bool KVMemoryPoolInit(KVMemoryPool* pool, uint64_t blockSize, uint64_t blocksPerChunk)
{
    pool->blockSize = blockSize;
    pool->blocksPerChunk = blocksPerChunk;
    pool->freeCount = 0;
    pool->chunkCount = 0;
    pool->chunkLimit = kKVMaxChunksPerPool;
    pool->systemBlocks = 0;
    pool->freeStack = static_cast<void**>(std::malloc(blocksPerChunk * kKVMaxChunksPerPool * sizeof(void*)));
    return pool->freeStack && addChunk(pool);
}

void KVMemoryPoolDestroy(KVMemoryPool* pool)
{
    std::free(pool->freeStack);
    pool->freeStack = nullptr;
    for (uint64_t i = 0; i < pool->chunkCount; ++i)
        std::free(pool->chunks[i]);
    pool->chunkCount = 0;
    pool->freeCount = 0;
}

void KVMemoryPoolFreeUnusedChunks() {}

KVPoolAllocator* KVPoolAllocatorNew()
{
    auto* allocator = static_cast<KVPoolAllocator*>(std::calloc(1, sizeof(KVPoolAllocator)));
    if (!allocator)
        return nullptr;
    for (int i = 0; i < kKVPoolCount; ++i) {
        allocator->blockSizes[i] = KVMemoryPoolSizes[i][0];
        if (!KVMemoryPoolInit(&allocator->pools[i], KVMemoryPoolSizes[i][0], KVMemoryPoolSizes[i][1])) {
            std::fprintf(stderr, "KVPoolAllocatorNew: out of memory for the pool of %" PRIu64 "-byte blocks\n",
                         KVMemoryPoolSizes[i][0]);
            for (int j = 0; j <= i; ++j)
                KVMemoryPoolDestroy(&allocator->pools[j]);
            std::free(allocator);
            return nullptr;
        }
    }
    return allocator;
}

void KVPoolAllocatorDestroy(KVPoolAllocator* allocator)
{
    if (!allocator)
        return;
    for (auto& pool : allocator->pools)
        KVMemoryPoolDestroy(&pool);
    std::free(allocator);
}

void* KV_PoolLuaAlloc(void* userData, void* block, size_t oldSize, size_t newSize)
{
    auto* allocator = static_cast<KVPoolAllocator*>(userData);
    if (newSize == 0) {
        if (!block)
            return nullptr;
        const int pool = KVPoolAllocatorPoolForSize(oldSize);
        if (pool >= 0)
            giveBlock(&allocator->pools[pool], block);
        else
            std::free(block);
        return nullptr;
    }
    const int newPool = KVPoolAllocatorPoolForSize(newSize);
    if (oldSize == 0)
        return newPool >= 0 ? takeBlock(&allocator->pools[newPool]) : std::malloc(newSize);

    const int oldPool = KVPoolAllocatorPoolForSize(oldSize);
    if (oldPool < 0 && newPool < 0)
        return std::realloc(block, newSize);
    if (oldPool == newPool)
        return block;

    void* moved = newPool >= 0 ? takeBlock(&allocator->pools[newPool]) : std::malloc(newSize);
    if (!moved)
        return nullptr;  // Lua keeps the old block and raises a memory error
    if (block) {
        std::memcpy(moved, block, oldSize < newSize ? oldSize : newSize);
        if (oldPool >= 0)
            giveBlock(&allocator->pools[oldPool], block);
        else
            std::free(block);
    }
    return moved;
}

void KVPoolAllocatorGetSize(KVPoolAllocator* allocator, uint64_t* inUse, uint64_t* allocated,
                            uint64_t* maximum)
{
    uint64_t used = 0, total = 0, most = 0;
    for (const auto& pool : allocator->pools) {
        used += (pool.chunkCount * pool.blocksPerChunk - pool.freeCount) * pool.blockSize;
        total += pool.chunkCount * pool.blocksPerChunk * pool.blockSize;
        most += pool.blockSize * pool.blocksPerChunk * kKVMaxChunksPerPool;
    }
    if (inUse)
        *inUse = used;
    if (allocated)
        *allocated = total;
    if (maximum)
        *maximum = most;
}

void KVPoolAllocatorPrintDescription(KVPoolAllocator* allocator)
{
    for (const auto& pool : allocator->pools) {
        std::printf("\nBlock Size %lu:\n", static_cast<unsigned long>(pool.blockSize));
        std::printf("\tFree Blocks: %lu\n", static_cast<unsigned long>(pool.freeCount));
        std::printf("\tChunks allocated: %lu\n", static_cast<unsigned long>(pool.chunkCount));
    }
}
