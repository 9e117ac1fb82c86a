// Box2D's user-data slots hold plain pointers. A slot that points at one of
// our counted records (kvActorUserData, kvFixtureUserData) owns one reference
// to it; a reference enters a slot and leaves it only through these two.
#pragma once

#include <utility>

#include "platform/objects/KVRef.h"

// The slot must own no reference yet: it is empty, or Box2D has just copied
// it from a definition's.
template <class Record>
void kvPutRecord(void*& slot, Ref<Record> record)
{
    slot = record.leak();
}

// Empties the slot and hands over its reference (null for an empty slot).
template <class Record>
Ref<Record> kvTakeRecord(void*& slot)
{
    return Ref<Record>::adopt(static_cast<Record*>(std::exchange(slot, nullptr)));
}
