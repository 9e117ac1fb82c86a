// Every bundle of tests/data/screenshots/list played again: its last frame
// must look like the reference screenshot kept there (made by
// make-screenshots). A failing run leaves its frame in the build folder's
// "screenshots" for comparing by eye.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"

namespace {

const std::string kShots = std::string(KV_TEST_DATA_DIR) + "/screenshots/";

std::vector<std::string> readNames()
{
    std::vector<std::string> names;
    std::ifstream in(kShots + "list");
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            names.push_back(line.substr(0, line.find(' ')));
    return names;
}

class Screenshots : public ::testing::TestWithParam<std::string> {};

}  // namespace

// Channels may differ by 1 anywhere (colour arithmetic may round the other
// way). More is allowed on 0.1 % of the pixels: on the edges of turned
// quads the rasterizer may give a pixel to the other side when the corners
// were computed in a different order, and then that pixel differs wholly.
TEST_P(Screenshots, LastFrameLooksLikeTheReference)
{
    const std::string& name = GetParam();
    const std::string dir = std::string(KV_BUILD_DIR) + "/screenshots";
    mkdir(dir.c_str(), 0755);
    const std::string shotPath = dir + "/" + name + ".png";
    const ProgramResult run =
        runProgram({kShots + "make-screenshots", name}, {"BUILD_DIR=" KV_BUILD_DIR, "SHOTS_OUT=" + dir});
    ASSERT_EQ(run.status, 0) << run.err;

    const Picture shot(shotPath), reference(kShots + name + ".png");
    ASSERT_FALSE(shot.empty()) << shotPath;
    ASSERT_FALSE(reference.empty()) << name;
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
    EXPECT_LE(differing, allowed) << name << ": " << differing << " pixels differ by more than 1, first at"
                                  << first << "; see " << shotPath;
    if (differing <= allowed)
        remove(shotPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(List, Screenshots, ::testing::ValuesIn(readNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
