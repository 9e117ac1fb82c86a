#include "engine/physics/kvFixturePairTable.h"

#include <utility>

namespace {

size_t mix(const b2Fixture* fixture)
{
    // Fixtures are at least 8-byte aligned; spread the rest of the address.
    return static_cast<size_t>((reinterpret_cast<uintptr_t>(fixture) >> 3) * 0x9E3779B97F4A7C15ull);
}

bool samePair(const kvFixturePairTable::Entry& entry, const b2Fixture* a, const b2Fixture* b)
{
    return (entry.first == a && entry.second == b) || (entry.first == b && entry.second == a);
}

}  // namespace

size_t kvFixturePairTable::homeOf(const b2Fixture* a, const b2Fixture* b) const
{
    // The same slot for either order.
    const size_t h = mix(a) ^ mix(b);
    return (h ^ (h >> 29)) & (m_slots.size() - 1);
}

kvFixturePairTable::Entry* kvFixturePairTable::find(const b2Fixture* a, const b2Fixture* b)
{
    if (m_count == 0)
        return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = homeOf(a, b);; slot = (slot + 1) & mask) {
        Entry& entry = m_slots[slot];
        if (!entry.first)
            return nullptr;
        if (samePair(entry, a, b))
            return &entry;
    }
}

void kvFixturePairTable::insert(b2Fixture* a, b2Fixture* b)
{
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    emptySlotFor(a, b) = Entry{a, b, 1};
    ++m_count;
}

kvFixturePairTable::Entry& kvFixturePairTable::emptySlotFor(const b2Fixture* a, const b2Fixture* b)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = homeOf(a, b);
    while (m_slots[slot].first)
        slot = (slot + 1) & mask;
    return m_slots[slot];
}

void kvFixturePairTable::erase(Entry* entry)
{
    eraseAt(static_cast<size_t>(entry - m_slots.data()));
}

void kvFixturePairTable::eraseFixture(const b2Fixture* fixture)
{
    // Erasing moves later entries of the run back into the slot, so the
    // slot is looked at again until it holds another pair.
    for (size_t slot = 0; slot < m_slots.size(); ++slot) {
        while (m_slots[slot].first && (m_slots[slot].first == fixture || m_slots[slot].second == fixture))
            eraseAt(slot);
    }
}

void kvFixturePairTable::eraseAt(size_t hole)
{
    // Linear probing without markers: the entries after the hole that could
    // not stay in their home slot's run move back into it.
    const size_t mask = m_slots.size() - 1;
    for (size_t next = (hole + 1) & mask; m_slots[next].first; next = (next + 1) & mask) {
        const size_t home = homeOf(m_slots[next].first, m_slots[next].second);
        const bool staysPut = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (staysPut)
            continue;
        m_slots[hole] = m_slots[next];
        hole = next;
    }
    m_slots[hole] = Entry{};
    --m_count;
}

void kvFixturePairTable::grow()
{
    std::vector<Entry> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    for (const Entry& entry : old) {
        if (entry.first)
            emptySlotFor(entry.first, entry.second) = entry;
    }
}
