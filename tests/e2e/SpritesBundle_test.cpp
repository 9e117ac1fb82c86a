#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kBundle = std::string(KV_TEST_DATA_DIR) + "/bundles/Sprites.app";

enum Colour : uint32_t { red = 0xff0000, green = 0x00ff00, blue = 0x0000ff, yellow = 0xffff00, grey = 0x404040 };

uint32_t rgb(const KVBitmap& shot, int x, int y)
{
    const uint8_t* p = shot.pixelAt(x, y);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

}  // namespace

// The bundle loads a 64 x 64 picture (quadrants red, green / blue, yellow)
// by name and shows it stretched into 128 x 64 around (80, 64) and tiled in
// 32 x 32 tiles over 128 x 96 around (240, 64), in a 320 x 128 y-up view.
// Screenshot rows count from the top.
TEST(SpritesBundle, ShowsALoadedPictureStretchedAndTiledUpright)
{
    TempDir dir;
    const std::string path = dir.file("shot.png");
    const ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", "2", "--save-dir",
                                          dir.path(), "--screenshot", path, kBundle});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    std::string error;
    const KVBitmap shot = KVBitmap::loadFile(path, &error);
    ASSERT_EQ(shot.width(), 320) << error;
    ASSERT_EQ(shot.height(), 128);

    // Stretched: x 16..144, rows 32..96; each quadrant 64 x 32.
    EXPECT_EQ(rgb(shot, 48, 48), red);
    EXPECT_EQ(rgb(shot, 112, 48), green);
    EXPECT_EQ(rgb(shot, 48, 80), blue);
    EXPECT_EQ(rgb(shot, 112, 80), yellow);
    EXPECT_EQ(rgb(shot, 17, 33), red);  // corners reach the sprite's edges
    EXPECT_EQ(rgb(shot, 143, 95), yellow);
    EXPECT_EQ(rgb(shot, 15, 64), grey);
    EXPECT_EQ(rgb(shot, 80, 30), grey);

    // Tiled: x 176..304, rows 16..112, tiles start at the lower-left corner.
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 3; ++row) {
            const int left = 176 + column * 32;
            const int top = 16 + row * 32;
            EXPECT_EQ(rgb(shot, left + 8, top + 8), red) << column << ", " << row;
            EXPECT_EQ(rgb(shot, left + 24, top + 8), green) << column << ", " << row;
            EXPECT_EQ(rgb(shot, left + 8, top + 24), blue) << column << ", " << row;
            EXPECT_EQ(rgb(shot, left + 24, top + 24), yellow) << column << ", " << row;
        }
    EXPECT_EQ(rgb(shot, 240, 14), grey);
    EXPECT_EQ(rgb(shot, 306, 64), grey);
}
