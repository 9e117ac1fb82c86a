#include <cstdlib>
#include <map>
#include <utility>

#include <gtest/gtest.h>

#include "engine/physics/kvFixturePairTable.h"

namespace {

// Random begins, ends and forgotten fixtures over a few fixtures (many pairs
// share a slot run), checked after every step against an ordered map of the
// pairs as first recorded.
TEST(FixturePairTable, AgreesWithAnOrderedMapThroughGrowthAndRemovals)
{
    alignas(8) static char arena[8 * 40];
    auto fixture = [](int i) { return reinterpret_cast<b2Fixture*>(arena + 8 * i); };
    kvFixturePairTable table;
    std::map<std::pair<b2Fixture*, b2Fixture*>, int> model;
    std::srand(7);
    for (int step = 0; step < 20000; ++step) {
        b2Fixture* a = fixture(std::rand() % 40);
        b2Fixture* b = fixture(std::rand() % 40);
        if (a == b)
            continue;
        auto recorded = model.find({a, b});
        if (recorded == model.end())
            recorded = model.find({b, a});
        kvFixturePairTable::Entry* entry = table.find(b, a);
        ASSERT_EQ(entry != nullptr, recorded != model.end()) << step;
        const int action = std::rand() % 10;
        if (action < 5) {
            if (entry) {
                ++entry->count;
                ++recorded->second;
            } else {
                table.insert(a, b);
                model[{a, b}] = 1;
            }
        } else if (action < 9 && entry) {
            ASSERT_EQ(entry->first, recorded->first.first);
            ASSERT_EQ(entry->count, recorded->second);
            if (--entry->count == 0) {
                table.erase(entry);
                model.erase(recorded);
            } else {
                --recorded->second;
            }
        } else if (action == 9) {
            table.eraseFixture(a);
            for (auto it = model.begin(); it != model.end();)
                it = it->first.first == a || it->first.second == a ? model.erase(it) : std::next(it);
        }
        ASSERT_EQ(table.size(), model.size()) << step;
    }
}

}  // namespace
