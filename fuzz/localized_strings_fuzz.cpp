// Fuzz target for strings tables (Localizable.strings in a game bundle): the
// text form in UTF-8 or UTF-16 and property lists. Whatever parses must
// parse again to the same table.
//
// Build and run (from the repository root):
//   clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     -o /tmp/localized_strings_fuzz fuzz/localized_strings_fuzz.cpp \
//     platform/bundle/KVLocalizedStrings.cpp platform/objects/KVLogLine.cpp -lplist-2.0
//   mkdir -p /tmp/localized_strings_corpus
//   /tmp/localized_strings_fuzz -max_total_time=300 /tmp/localized_strings_corpus
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/bundle/KVLocalizedStrings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto first = KVLocalizedStrings::parse(input, "fuzz.strings", &error);
    if (!first) {
        if (error.empty())
            std::abort();
        return 0;
    }
    const auto second = KVLocalizedStrings::parse(input, "fuzz.strings", &error);
    if (!second || second->count() != first->count())
        std::abort();
    first->localizedString("Yesterday at %@");
    return 0;
}
