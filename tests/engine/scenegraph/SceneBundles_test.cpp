#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kBundles = std::string(KV_TEST_DATA_DIR) + "/bundles/";

}  // namespace

// A script that builds an orthographic space with a clear node of colour
// (0, 0, 1, 1) gives a screenshot that is blue at every pixel, at the
// game's own display size.
TEST(SceneBundles, ClearBlueScreenshotIsBlueEverywhere)
{
    TempDir dir;
    const std::string shot = dir.file("shot.png");
    const ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", "3", "--save-dir",
                                          dir.path(), "--screenshot", shot, kBundles + "SceneClearBlue.app"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;

    cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS) << shot;
    const int width = cairo_image_surface_get_width(png);
    const int height = cairo_image_surface_get_height(png);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    int notBlue = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff) != 0x0000ff)
                ++notBlue;
    EXPECT_EQ(notBlue, 0);
    EXPECT_GT(width * height, 0);
    cairo_surface_destroy(png);
}

// The fountain over the wrapped, replicated band, at its last frame (the
// bundle's script says what each part should show). Saved to the path in
// KV_KEEP_SCREENSHOT when that is set, to look at.
TEST(SceneBundles, FountainOverAWrappedReplicatedBand)
{
    TempDir dir;
    const char* keep = std::getenv("KV_KEEP_SCREENSHOT");
    const std::string shot = keep && *keep ? std::string(keep) : dir.file("shot.png");
    const ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", "140", "--save-dir",
                                          dir.path(), "--screenshot", shot, kBundles + "ParticleFountain.app"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;

    cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS) << shot;
    const int width = cairo_image_surface_get_width(png);
    const int height = cairo_image_surface_get_height(png);
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    // 0xRRGGBB at (x, y) counted from the bottom left, as the game counts.
    auto at = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(data + (height - 1 - y) * stride)[x] & 0xffffff;
    };
    const uint32_t night = 0x0d0d33, band = 0x1f8573;

    for (int row : {20, 100, 180}) {
        EXPECT_EQ(at(2, row), band) << "the band's wrapped end, row " << row;
        EXPECT_EQ(at(38, row + 14), band) << row;
        EXPECT_EQ(at(41, row), night) << row;
        EXPECT_EQ(at(198, row), night) << row;
        EXPECT_EQ(at(201, row - 14), band) << row;
        EXPECT_EQ(at(318, row), band) << row;
        EXPECT_EQ(at(300, row + 17), night) << "between the bands, row " << row;
    }

    // Bright red marks the fountain's younger particles: many inside its
    // reach, none outside.
    int inside = 0, outside = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((at(x, y) >> 16) > 150) {
                if (x >= 60 && x <= 180 && y >= 20 && y <= 115)
                    ++inside;
                else
                    ++outside;
            }
    EXPECT_GT(inside, 500);
    EXPECT_EQ(outside, 0);
    cairo_surface_destroy(png);
}
