// Which nodes live, for script handles, which borrow nodes and may outlive
// them. Each node holds a slot in one table for its life; a handle keeps the
// slot and the serial the node got with it. The slot's serial changes when
// the node dies, so a handle of a dead node is recognised even when a new
// node has taken its memory or its slot, and the check reads only the slot,
// never the node, and takes no lock.
#pragma once

#include <cstdint>

class SGNode;

static_assert(sizeof(void*) >= sizeof(uint64_t), "a ticket is kept in a pointer");

class SGLiveNodes {
public:
    struct Ticket {
        uint32_t slot = 0;
        uint32_t serial = 0;  // 0: no node
    };

    // Called by every node as it is made and as it dies (from any thread;
    // only these two take a lock).
    static Ticket enter(SGNode* node);
    static void leave(Ticket ticket);

    // The node the ticket was issued to, or null when it no longer lives.
    // The ticket may be made up (read from a script's table).
    static SGNode* find(Ticket ticket);

    // Both halves in one pointer-sized value and back, for keeping a ticket
    // in a script value (a light userdata).
    static uint64_t pack(Ticket ticket) { return (static_cast<uint64_t>(ticket.slot) << 32) | ticket.serial; }
    static Ticket unpack(uint64_t packed)
    {
        return Ticket{static_cast<uint32_t>(packed >> 32), static_cast<uint32_t>(packed)};
    }
};
