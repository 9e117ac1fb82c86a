// Walking the top-level dictionary of a property list held in memory (XML
// or binary; libplist tells them apart).
#pragma once

#include <plist/plist.h>

#include <functional>
#include <string>

// Calls `entry` with each key and its value node, in the dictionary's
// order. Answers false, calling nothing, when the data is not a property
// list whose root is a dictionary, or when a key or string in it holds a
// NUL character.
bool KVForEachPlistEntry(const std::string& data, const std::function<void(const char* key, plist_t value)>& entry);
