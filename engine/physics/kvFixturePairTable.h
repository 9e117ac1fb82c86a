// The fixture pairs that are touching, each with the order in which the
// script first heard of it and how often Box2D has reported it. An open
// hash table in one array: looking a pair up, adding and removing it
// allocate nothing once the array has grown to the game's number of pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class b2Fixture;

class kvFixturePairTable {
public:
    struct Entry {
        b2Fixture* first = nullptr;  // null: an empty slot
        b2Fixture* second = nullptr;
        int32_t count = 0;
    };

    // The entry of {a, b} in either order, or null. Valid until the next
    // insert or erase.
    Entry* find(const b2Fixture* a, const b2Fixture* b);
    // Adds (a, b) with count 1; the pair must not be present in either order.
    void insert(b2Fixture* a, b2Fixture* b);
    void erase(Entry* entry);
    // Drops every pair that has this fixture.
    void eraseFixture(const b2Fixture* fixture);

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

private:
    size_t homeOf(const b2Fixture* a, const b2Fixture* b) const;
    // The first empty slot of the pair's run; there must be one.
    Entry& emptySlotFor(const b2Fixture* a, const b2Fixture* b);
    void eraseAt(size_t slot);
    void grow();

    std::vector<Entry> m_slots;  // a power of two long, at most half full
    size_t m_count = 0;
};
