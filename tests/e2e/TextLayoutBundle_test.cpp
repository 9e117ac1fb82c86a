#include <gtest/gtest.h>

#include "tests/support/HeadlessShot.h"

namespace {

// Bounds of the bright (text) pixels within [x0, x1) x [y0, y1), rows
// counted from the top; -1 when there are none.
struct Box {
    int minX = -1, maxX = -1, minY = -1, maxY = -1;
};
Box ink(const Picture& shot, int x0, int x1, int y0, int y1)
{
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (shot.at(x, y).r > 128 && shot.at(x, y).g > 128) {
                if (box.minX < 0 || x < box.minX) box.minX = x;
                if (x > box.maxX) box.maxX = x;
                if (box.minY < 0) box.minY = y;
                box.maxY = y;
            }
    return box;
}

}  // namespace

// The bundle's three 140 x 50 frames (centred at x 80, 240, 400, y 260 in a
// 480 x 320 y-up view) hold two-line texts aligned left, centred, right.
TEST(TextLayoutBundle, ScreenshotShowsAlignedWrappedUprightText)
{
    TempDir dir;
    const HeadlessShot result = runBundleHeadless("TextLayout.app", 2, dir);
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    EXPECT_EQ(result.run.err.find("Lua Error"), std::string::npos) << result.run.err;
    const Picture& shot = result.picture;
    ASSERT_EQ(shot.width(), 480);
    ASSERT_EQ(shot.height(), 320);

    const int top = 320 - 285;
    const int bottom = 320 - 235;
    const Box left = ink(shot, 10, 150, top, bottom);
    const Box centre = ink(shot, 170, 310, top, bottom);
    const Box right = ink(shot, 330, 470, top, bottom);
    ASSERT_GE(left.minX, 0);
    ASSERT_GE(centre.minX, 0);
    ASSERT_GE(right.minX, 0);
    EXPECT_GE(left.minX - 10, 3);
    EXPECT_LE(left.minX - 10, 7);
    // The text rectangle runs from the left margin to the frame's right edge.
    EXPECT_NEAR((centre.minX + centre.maxX + 1) / 2.0, 242.0, 2.0);
    EXPECT_GE(469 - right.maxX, 0);
    EXPECT_LE(469 - right.maxX, 3);
    for (const Box& box : {left, centre, right}) {
        // Two lines, the first at the top of the frame: upright, not flipped.
        EXPECT_GE(box.minY - top, 2);
        EXPECT_LE(box.minY - top, 8);
        EXPECT_GT(box.maxY - box.minY, 25);
        EXPECT_LE(box.maxY, bottom - 3);
    }

    // The long text is cut at its 200 x 60 frame: ink inside it, none below.
    const Box cut = ink(shot, 20, 220, 320 - 200, 320 - 140);
    EXPECT_GE(cut.minX, 24);
    EXPECT_LE(cut.maxY, 320 - 140 - 3);
    EXPECT_EQ(ink(shot, 20, 220, 320 - 140, 320 - 125).minX, -1);

    // The Times line is tinted yellow by its sprite: straight alpha keeps
    // the full colour in the glyphs' cores.
    EXPECT_GT(shot.count(100, 320 - 115, 280, 40,
                         [](const Rgba& c) { return c.r > 230 && c.g > 190 && c.g < 235 && c.b < 90; }),
              100);
}
