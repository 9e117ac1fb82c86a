// The particle-fountain bundle run by the player: a fountain over a band of
// tiled pictures that wraps around the screen's edges and is repeated up the
// screen, checked by the pixels of its last frame. The bundle's script says
// what each part should show. KV_KEEP_SCREENSHOT, when set, names a file to
// keep the picture in, to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/HeadlessShot.h"

TEST(ParticleFountainBundle, FountainOverAWrappedReplicatedBand)
{
    TempDir dir;
    const HeadlessShot result = runBundleHeadless("ParticleFountain.app", 140, dir);
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    EXPECT_EQ(result.run.err.find("Lua Error"), std::string::npos) << result.run.err;
    EXPECT_EQ(result.run.err, "");
    const KVBitmap& shot = result.shot;
    ASSERT_EQ(shot.width(), 320) << result.error;
    ASSERT_EQ(shot.height(), 240);
    if (const char* keep = std::getenv("KV_KEEP_SCREENSHOT"); keep && *keep) {
        std::string error;
        EXPECT_TRUE(shot.savePNG(keep, &error)) << error;
    }
    // 0xRRGGBB at (x, y) counted from the bottom left, as the game counts.
    auto at = [&](int x, int y) { return rgbAt(shot, x, shot.height() - 1 - y); };
    const uint32_t night = 0x0d0d33, teal = 0x1f8573, pale = 0x6fc4a0;

    for (int row : {0, 80, 160}) {
        // The upper half shows teal then pale green in each 32-wide tile,
        // from the band's left end at 200 and from its wrapped copy's at -120.
        const int upper = row + 28, lower = row + 12;
        EXPECT_EQ(at(3, upper), pale) << "the wrapped copy's fourth tile, row " << row;
        EXPECT_EQ(at(15, upper), teal) << row;
        EXPECT_EQ(at(30, upper), pale) << row;
        EXPECT_EQ(at(300, upper), teal) << row;
        EXPECT_EQ(at(316, upper), pale) << row;
        // The lower half tiles the mirrored picture.
        EXPECT_EQ(at(3, lower), teal) << row;
        EXPECT_EQ(at(15, lower), pale) << row;
        EXPECT_EQ(at(30, lower), teal) << row;
        EXPECT_EQ(at(300, lower), pale) << row;
        EXPECT_EQ(at(316, lower), teal) << row;
        // Outside the band.
        EXPECT_EQ(at(44, upper), night) << "past the wrapped end, row " << row;
        EXPECT_EQ(at(100, lower), night) << "before the band's left end, row " << row;
        EXPECT_EQ(at(300, row + 38), night) << "above the band, row " << row;
        EXPECT_EQ(at(300, row + 2), night) << "below the band, row " << row;
    }
    EXPECT_EQ(at(205, 188), teal) << "the band's left end, clear of the fountain";

    // Bright red marks the fountain's younger particles: many inside its
    // reach, none outside.
    int inside = 0, outside = 0, overBand = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((at(x, y) >> 16) > 150) {
                if (x >= 155 && x <= 275 && y >= 20 && y <= 115) {
                    ++inside;
                    overBand += x >= 200 && y <= 36;
                } else {
                    ++outside;
                }
            }
    EXPECT_GT(inside, 500);
    EXPECT_GT(overBand, 50) << "the fountain is drawn over the band";
    EXPECT_EQ(outside, 0);
}
