#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/HeadlessShot.h"

namespace {

const Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, yellow{255, 255, 0, 255},
    grey{64, 64, 64, 255};

}  // namespace

// The bundle loads a 64 x 64 picture (quadrants red, green / blue, yellow)
// by name and shows it stretched into 128 x 64 around (80, 64) and tiled in
// 32 x 32 tiles over 128 x 96 around (240, 64), in a 320 x 128 y-up view.
// Screenshot rows count from the top.
TEST(SpritesBundle, ShowsALoadedPictureStretchedAndTiledUpright)
{
    TempDir dir;
    const HeadlessShot result = runBundleHeadless("Sprites.app", 2, dir);
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    EXPECT_EQ(result.run.err.find("Lua Error"), std::string::npos) << result.run.err;
    const Picture& shot = result.picture;
    ASSERT_EQ(shot.width(), 320);
    ASSERT_EQ(shot.height(), 128);

    // Stretched: x 16..144, rows 32..96; each quadrant 64 x 32.
    EXPECT_EQ(shot.at(48, 48), red);
    EXPECT_EQ(shot.at(112, 48), green);
    EXPECT_EQ(shot.at(48, 80), blue);
    EXPECT_EQ(shot.at(112, 80), yellow);
    EXPECT_EQ(shot.at(17, 33), red);  // corners reach the sprite's edges
    EXPECT_EQ(shot.at(143, 95), yellow);
    EXPECT_EQ(shot.at(15, 64), grey);
    EXPECT_EQ(shot.at(80, 30), grey);

    // Tiled: x 176..304, rows 16..112, tiles start at the lower-left corner.
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 3; ++row) {
            const int left = 176 + column * 32;
            const int top = 16 + row * 32;
            EXPECT_EQ(shot.at(left + 8, top + 8), red) << column << ", " << row;
            EXPECT_EQ(shot.at(left + 24, top + 8), green) << column << ", " << row;
            EXPECT_EQ(shot.at(left + 8, top + 24), blue) << column << ", " << row;
            EXPECT_EQ(shot.at(left + 24, top + 24), yellow) << column << ", " << row;
        }
    EXPECT_EQ(shot.at(240, 14), grey);
    EXPECT_EQ(shot.at(306, 64), grey);
}
