#include "engine/scenegraph/SGLiveNodes.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct Slot {
    std::atomic<SGNode*> node{nullptr};
    std::atomic<uint32_t> serial{0};
};

// Slots come in chunks that are never moved or freed, so a reader needs no
// lock: a slot it finds through a ticket stays where it is.
constexpr uint32_t kChunkBits = 12;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
constexpr uint32_t kMaxChunks = 4096;  // 16 million nodes alive at once

struct Table {
    std::mutex mutex;  // for enter and leave
    std::atomic<Slot*> chunks[kMaxChunks] = {};
    std::atomic<uint32_t> used{0};  // slots handed out so far
    std::vector<uint32_t> freeSlots;
};

// Never destroyed, so nodes that die during static destruction still find it.
Table& table()
{
    static Table* shared = new Table();
    return *shared;
}

Slot* slotAt(Table& t, uint32_t index)
{
    Slot* chunk = t.chunks[index >> kChunkBits].load(std::memory_order_acquire);
    return &chunk[index & (kChunkSize - 1)];
}

}  // namespace

SGLiveNodes::Ticket SGLiveNodes::enter(SGNode* node)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uint32_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        index = t.used.load(std::memory_order_relaxed);
        if ((index >> kChunkBits) >= kMaxChunks) {
            // Handles of such nodes are taken for dead; nothing else changes.
            fprintf(stderr, "SGLiveNodes: more than %u nodes alive at once; script handles of the new node will not work\n",
                    kMaxChunks * kChunkSize);
            return Ticket{};
        }
        if ((index & (kChunkSize - 1)) == 0)
            t.chunks[index >> kChunkBits].store(new Slot[kChunkSize], std::memory_order_release);
        t.used.store(index + 1, std::memory_order_release);
    }
    Slot* slot = slotAt(t, index);
    uint32_t serial = slot->serial.load(std::memory_order_relaxed) + 1;
    if (serial == 0)
        serial = 1;
    slot->node.store(node, std::memory_order_relaxed);
    slot->serial.store(serial, std::memory_order_release);
    return Ticket{index, serial};
}

void SGLiveNodes::leave(Ticket ticket)
{
    if (ticket.serial == 0)
        return;
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    Slot* slot = slotAt(t, ticket.slot);
    // The serial moves on, so no ticket of this node matches any more.
    slot->serial.store(ticket.serial + 1 == 0 ? 1 : ticket.serial + 1, std::memory_order_release);
    slot->node.store(nullptr, std::memory_order_relaxed);
    t.freeSlots.push_back(ticket.slot);
}

SGNode* SGLiveNodes::find(Ticket ticket)
{
    if (ticket.serial == 0)
        return nullptr;
    Table& t = table();
    if (ticket.slot >= t.used.load(std::memory_order_acquire))
        return nullptr;
    Slot* slot = slotAt(t, ticket.slot);
    if (slot->serial.load(std::memory_order_acquire) != ticket.serial)
        return nullptr;
    return slot->node.load(std::memory_order_relaxed);
}
