// The image-loader bundle run by the player: its project answers
// pathForImage, and the picture shows in a sprite in the screenshot.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/HeadlessShot.h"

namespace {

struct RGB {
    int r, g, b;
    bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const RGB& c) { return out << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

// Pixel at (x, y) counted from the top left, as the picture is seen.
RGB at(const KVBitmap& shot, int x, int y)
{
    const uint8_t* p = shot.pixelAt(x, y);
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(ImageLoaderBundle, ProjectPictureShowsInASprite)
{
    TempDir dir;
    const HeadlessShot result = runBundleHeadless("ImageLoader.app", 3, dir);
    const ProgramResult& run = result.run;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("asked for quad\t2\n"), std::string::npos) << run.out;

    const KVBitmap& picture = result.shot;
    ASSERT_EQ(picture.width(), 160) << result.error;
    ASSERT_EQ(picture.height(), 120);
    // The 64 x 64 quadrant picture stretched to 128 x 96 in the middle:
    // red top left, green top right, blue bottom left, yellow bottom right.
    const RGB red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0}, black{0, 0, 0};
    EXPECT_EQ(at(picture, 20, 16), red);
    EXPECT_EQ(at(picture, 76, 56), red);
    EXPECT_EQ(at(picture, 84, 16), green);
    EXPECT_EQ(at(picture, 140, 56), green);
    EXPECT_EQ(at(picture, 20, 104), blue);
    EXPECT_EQ(at(picture, 76, 64), blue);
    EXPECT_EQ(at(picture, 140, 104), yellow);
    EXPECT_EQ(at(picture, 84, 64), yellow);
    // Outside the sprite: the cleared frame.
    EXPECT_EQ(at(picture, 8, 60), black);
    EXPECT_EQ(at(picture, 80, 4), black);
}
