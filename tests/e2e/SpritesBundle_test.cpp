#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/HeadlessShot.h"

namespace {

enum Colour : uint32_t { red = 0xff0000, green = 0x00ff00, blue = 0x0000ff, yellow = 0xffff00, grey = 0x404040 };

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
    const KVBitmap& shot = result.shot;
    ASSERT_EQ(shot.width(), 320) << result.error;
    ASSERT_EQ(shot.height(), 128);

    // Stretched: x 16..144, rows 32..96; each quadrant 64 x 32.
    EXPECT_EQ(rgbAt(shot, 48, 48), red);
    EXPECT_EQ(rgbAt(shot, 112, 48), green);
    EXPECT_EQ(rgbAt(shot, 48, 80), blue);
    EXPECT_EQ(rgbAt(shot, 112, 80), yellow);
    EXPECT_EQ(rgbAt(shot, 17, 33), red);  // corners reach the sprite's edges
    EXPECT_EQ(rgbAt(shot, 143, 95), yellow);
    EXPECT_EQ(rgbAt(shot, 15, 64), grey);
    EXPECT_EQ(rgbAt(shot, 80, 30), grey);

    // Tiled: x 176..304, rows 16..112, tiles start at the lower-left corner.
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 3; ++row) {
            const int left = 176 + column * 32;
            const int top = 16 + row * 32;
            EXPECT_EQ(rgbAt(shot, left + 8, top + 8), red) << column << ", " << row;
            EXPECT_EQ(rgbAt(shot, left + 24, top + 8), green) << column << ", " << row;
            EXPECT_EQ(rgbAt(shot, left + 8, top + 24), blue) << column << ", " << row;
            EXPECT_EQ(rgbAt(shot, left + 24, top + 24), yellow) << column << ", " << row;
        }
    EXPECT_EQ(rgbAt(shot, 240, 14), grey);
    EXPECT_EQ(rgbAt(shot, 306, 64), grey);
}
