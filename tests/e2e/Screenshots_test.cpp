// Every bundle of tests/data/screenshots/list played again: its last frame
// must look like the reference screenshot kept there (made by
// make-screenshots). A failing run leaves its frame in the build folder's
// "screenshots" for comparing by eye.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"

namespace {

const std::string kTop = std::string(KV_TEST_DATA_DIR) + "/../..";
const std::string kShots = std::string(KV_TEST_DATA_DIR) + "/screenshots/";

struct Entry {
    std::string name;
    std::vector<std::string> argv;  // screenshot-bundle's, without the PNG
};

std::vector<Entry> readList()
{
    std::vector<Entry> entries;
    std::ifstream in(kShots + "list");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        Entry e;
        std::string bundle, word;
        if (!(words >> e.name >> bundle) || e.name[0] == '#')
            continue;
        const std::string build = "@BUILD@";
        if (bundle.compare(0, build.size(), build) == 0)
            bundle = KV_BUILD_DIR + bundle.substr(build.size());
        else
            bundle = kTop + "/" + bundle;
        e.argv = {kTop + "/tests/support/screenshot-bundle", std::string(KV_BUILD_DIR) + "/kelvane-player", bundle};
        while (words >> word) {
            struct stat st;
            e.argv.push_back(stat((kTop + "/" + word).c_str(), &st) == 0 ? kTop + "/" + word : word);
        }
        entries.push_back(e);
    }
    return entries;
}

void PrintTo(const Entry& e, std::ostream* out)
{
    *out << e.name;
}

class Screenshots : public ::testing::TestWithParam<Entry> {};

}  // namespace

// Channels may differ by 1 anywhere (colour arithmetic may round the other
// way). More is allowed on 0.1 % of the pixels: on the edges of turned
// quads the rasterizer may give a pixel to the other side when the corners
// were computed in a different order, and then that pixel differs wholly.
TEST_P(Screenshots, LastFrameLooksLikeTheReference)
{
    const Entry& e = GetParam();
    const std::string dir = std::string(KV_BUILD_DIR) + "/screenshots";
    mkdir(dir.c_str(), 0755);
    const std::string shotPath = dir + "/" + e.name + ".png";
    std::vector<std::string> argv = e.argv;
    argv.insert(argv.begin() + 3, shotPath);
    const ProgramResult run = runProgram(argv);
    ASSERT_EQ(run.status, 0) << run.err;

    const Picture shot(shotPath), reference(kShots + e.name + ".png");
    ASSERT_FALSE(shot.empty()) << shotPath;
    ASSERT_FALSE(reference.empty()) << e.name;
    ASSERT_EQ(shot.width(), reference.width());
    ASSERT_EQ(shot.height(), reference.height());

    int differing = 0;
    std::string first;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgba a = shot.at(x, y), b = reference.at(x, y);
            const int most = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            if (most > 1 && differing++ < 5)
                first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") by " + std::to_string(most);
        }
    const int allowed = shot.width() * shot.height() / 1000;
    EXPECT_LE(differing, allowed) << e.name << ": " << differing << " pixels differ by more than 1, first at"
                                  << first << "; see " << shotPath;
    if (differing <= allowed)
        remove(shotPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(List, Screenshots, ::testing::ValuesIn(readList()),
                         [](const ::testing::TestParamInfo<Entry>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
