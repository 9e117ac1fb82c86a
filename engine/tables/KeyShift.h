// Moving the entries of an int-keyed ordered map by one key, for row and
// column insertion and removal in maps that may have gaps.
#pragma once

#include <climits>
#include <iterator>

// Moves every entry whose key is `from` or more one key up. An entry at
// INT_MAX has nowhere to go and is dropped.
template <class Map>
void shiftKeysUp(Map& map, int from)
{
    // From the highest key down, so no entry lands on one not yet moved.
    auto it = map.end();
    while (it != map.begin()) {
        auto prev = std::prev(it);
        if (prev->first < from)
            break;
        if (prev->first == INT_MAX) {
            it = map.erase(prev);
            continue;
        }
        auto node = map.extract(prev);
        node.key() += 1;
        it = map.insert(std::move(node)).position;
    }
}

// Erases the entry at `at` and moves every entry above it one key down.
template <class Map>
void closeKeyGap(Map& map, int at)
{
    auto it = map.find(at);
    if (it != map.end())
        it = map.erase(it);
    else
        it = map.upper_bound(at);
    while (it != map.end()) {
        auto next = std::next(it);
        auto node = map.extract(it);
        node.key() -= 1;
        map.insert(std::move(node));
        it = next;
    }
}
