#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
const std::string kBundle = std::string(KV_TEST_DATA_DIR) + "/bundles/TextLayout.app";

// The screenshot, top row first, as 0xAARRGGBB.
struct Shot {
    cairo_surface_t* png = nullptr;
    int width = 0;
    int height = 0;

    explicit Shot(const std::string& path) : png(cairo_image_surface_create_from_png(path.c_str()))
    {
        if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
            width = cairo_image_surface_get_width(png);
            height = cairo_image_surface_get_height(png);
        }
    }
    ~Shot() { cairo_surface_destroy(png); }

    uint32_t at(int x, int y) const
    {
        const unsigned char* row = cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png);
        return reinterpret_cast<const uint32_t*>(row)[x];
    }
    int red(int x, int y) const { return (at(x, y) >> 16) & 0xff; }
    int green(int x, int y) const { return (at(x, y) >> 8) & 0xff; }
    int blue(int x, int y) const { return at(x, y) & 0xff; }

    // Bounds of the bright (text) pixels within [x0, x1) x [y0, y1).
    struct Box {
        int minX = -1, maxX = -1, minY = -1, maxY = -1;
    };
    Box ink(int x0, int x1, int y0, int y1) const
    {
        Box box;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (red(x, y) > 128 && green(x, y) > 128) {
                    if (box.minX < 0 || x < box.minX) box.minX = x;
                    if (x > box.maxX) box.maxX = x;
                    if (box.minY < 0) box.minY = y;
                    box.maxY = y;
                }
        return box;
    }
};

}  // namespace

// The bundle's three 140 x 50 frames (centred at x 80, 240, 400, y 260 in a
// 480 x 320 y-up view) hold two-line texts aligned left, centred, right.
TEST(TextLayoutBundle, ScreenshotShowsAlignedWrappedUprightText)
{
    TempDir dir;
    const std::string path = dir.file("shot.png");
    const ProgramResult run = runProgram({kPlayer, "--headless", "--fixed-step", "--frames", "2", "--save-dir",
                                          dir.path(), "--screenshot", path, kBundle});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    Shot shot(path);
    ASSERT_EQ(shot.width, 480);
    ASSERT_EQ(shot.height, 320);

    const int top = 320 - 285;
    const int bottom = 320 - 235;
    const Shot::Box left = shot.ink(10, 150, top, bottom);
    const Shot::Box centre = shot.ink(170, 310, top, bottom);
    const Shot::Box right = shot.ink(330, 470, top, bottom);
    ASSERT_GE(left.minX, 0);
    ASSERT_GE(centre.minX, 0);
    ASSERT_GE(right.minX, 0);
    EXPECT_GE(left.minX - 10, 3);
    EXPECT_LE(left.minX - 10, 7);
    EXPECT_NEAR((centre.minX + centre.maxX + 1) / 2.0, 240.0, 3.0);
    EXPECT_GE(469 - right.maxX, 3);
    EXPECT_LE(469 - right.maxX, 7);
    for (const Shot::Box& box : {left, centre, right}) {
        // Two lines, the first at the top of the frame: upright, not flipped.
        EXPECT_GE(box.minY - top, 2);
        EXPECT_LE(box.minY - top, 8);
        EXPECT_GT(box.maxY - box.minY, 25);
        EXPECT_LE(box.maxY, bottom - 3);
    }

    // The long text is cut at its 200 x 60 frame: ink inside it, none below.
    const Shot::Box cut = shot.ink(20, 220, 320 - 200, 320 - 140);
    EXPECT_GE(cut.minX, 24);
    EXPECT_LE(cut.maxY, 320 - 140 - 3);
    EXPECT_EQ(shot.ink(20, 220, 320 - 140, 320 - 125).minX, -1);

    // The Times line is tinted yellow by its sprite: straight alpha keeps
    // the full colour in the glyphs' cores.
    int yellow = 0;
    for (int y = 320 - 115; y < 320 - 75; ++y)
        for (int x = 100; x < 380; ++x)
            if (shot.red(x, y) > 230 && shot.green(x, y) > 190 && shot.green(x, y) < 235 && shot.blue(x, y) < 90)
                ++yellow;
    EXPECT_GT(yellow, 100);
}
