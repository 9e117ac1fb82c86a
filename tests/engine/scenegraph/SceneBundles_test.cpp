#include <gtest/gtest.h>

#include <cairo.h>

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
