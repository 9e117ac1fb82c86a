// A size-class allocator for Lua's allocation hook: requests of up to 640
// bytes come from eleven pools of fixed-size blocks cut from large chunks,
// freed blocks go on a stack and are reused first; larger requests go to the
// system allocator. One allocator serves one Lua state, without locking.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kKVPoolCount = 11;
constexpr size_t kKVMaxPooledSize = 640;
constexpr uint64_t kKVMaxChunksPerPool = 128;

struct KVMemoryPool {
    uint64_t blockSize;
    uint64_t blocksPerChunk;
    uint64_t freeCount;
    void** freeStack;       // room for blocksPerChunk * kKVMaxChunksPerPool entries
    uint64_t chunkCount;
    void* chunks[kKVMaxChunksPerPool];
    // Limit on chunks (kKVMaxChunksPerPool, lowered only by tests) and the
    // number of blocks handed out from the system once the pool was full.
    uint64_t chunkLimit;
    uint64_t systemBlocks;
};

struct KVPoolAllocator {
    uint64_t blockSizes[kKVPoolCount];
    KVMemoryPool pools[kKVPoolCount];
};

// (block size, blocks per chunk) of each pool.
extern const uint64_t KVMemoryPoolSizes[kKVPoolCount][2];

KVPoolAllocator* KVPoolAllocatorNew();
void KVPoolAllocatorDestroy(KVPoolAllocator* allocator);
bool KVMemoryPoolInit(KVMemoryPool* pool, uint64_t blockSize, uint64_t blocksPerChunk);
void KVMemoryPoolDestroy(KVMemoryPool* pool);
void KVMemoryPoolFreeUnusedChunks();

// The pool index for a size of 1 to 640 bytes, or -1 for any other size.
int KVPoolAllocatorPoolForSize(size_t size);

void* KV_PoolLuaAlloc(void* allocator, void* block, size_t oldSize, size_t newSize);

void KVPoolAllocatorGetSize(KVPoolAllocator* allocator, uint64_t* inUse, uint64_t* allocated,
                            uint64_t* maximum);
void KVPoolAllocatorPrintDescription(KVPoolAllocator* allocator);
