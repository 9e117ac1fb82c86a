// Where the game lies in full screen, and where mouse positions land.
#include <gtest/gtest.h>

#include <tuple>

#include "player/common/KVViewGeometry.h"

namespace {

const KVSize kScreen{1920, 1200};
const float kGameAspect = 480.0f / 320.0f;

TEST(KVViewGeometry, FullScreenLetterboxesOrCropsAndAWindowShowsEverything)
{
    struct Case {
        const char* name;
        KVSize area;
        bool fullScreen, crop;
        float aspect;
        KVViewport viewport;
        KVPoint scale;  // the inverted crop scale
    };
    const Case cases[] = {
        // Screen aspect 1.6 is wider than the game's 1.5: bars left and right.
        {"letterbox", kScreen, true, false, kGameAspect, {60, 0, 1800, 1200}, {1920.0 / 1800, 1}},
        // Cropping covers the screen and overflows vertically.
        {"crop", kScreen, true, true, kGameAspect, {0, -40, 1920, 1280}, {1, 1200.0 / 1280}},
        // A game wider than the screen: bars top and bottom, or cropped sides.
        {"wide letterbox", {1200, 1200}, true, false, 2.0f, {0, 300, 1200, 600}, {1, 2}},
        {"wide crop", {1200, 1200}, true, true, 2.0f, {-600, 0, 2400, 1200}, {0.5, 1}},
        {"window", {960, 640}, false, true, 1.0f, {0, 0, 960, 640}, {1, 1}},
        // Unusable sizes divide by nothing.
        {"no area", {0, 0}, true, false, kGameAspect, {0, 0, 0, 0}, {1, 1}},
        {"no height", {1920, 0}, true, false, kGameAspect, {0, 0, 1920, 0}, {1, 1}},
        {"no shape", kScreen, true, false, 0.0f, {0, 0, 1920, 1200}, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KVViewGeometry g = KVViewGeometry::reshape(c.area, c.fullScreen, c.crop, c.aspect, 1.6f);
        const auto layout = [](bool clip, const KVViewport& v, const KVPoint& scale) {
            return std::make_tuple(clip, v.x, v.y, v.width, v.height, float(scale.x), float(scale.y));
        };
        EXPECT_EQ(layout(g.clip, g.viewport, g.invertedCropScaleFactor), layout(c.fullScreen, c.viewport, c.scale));
    }
    EXPECT_FLOAT_EQ(KVViewGeometry::reshape(kScreen, true, false, kGameAspect).currentAspectRatio, 1.6f);
    EXPECT_FLOAT_EQ(KVViewGeometry::reshape({960, 640}, false, false, 1.0f, 1.7f).currentAspectRatio, 1.7f)
        << "a window keeps the last screen's aspect";
}

TEST(KVViewGeometry, MousePositionsMapIntoTheVisibleGame)
{
    const KVSize one{1, 1}, two{2, 2};
    struct Case {
        const char* name;
        KVSize area;
        bool fullScreen, crop;
        KVSize backingScale;
        KVPoint view, game;
    };
    const Case cases[] = {
        {"window", {480, 320}, false, false, one, {100, 50}, {100, 50}},
        // (Letterboxed, the bars' edges map to 0 and 1920: ThreadedView's full-screen test.)
        // Cropped: the screen's top and bottom edges are inside the game.
        {"crop bottom", kScreen, true, true, one, {0, 0}, {0, 40 * 1200.0 / 1280}},
        // HiDPI: points go through backing pixels and come back as points.
        {"hidpi", {3840, 2400}, true, false, two, {60, 300}, {0, 300}},
        {"hidpi far", {3840, 2400}, true, false, two, {1860, 600}, {1920, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KVViewGeometry g = KVViewGeometry::reshape(c.area, c.fullScreen, c.crop, kGameAspect);
        const KVPoint p = g.convertPoint(c.view, c.backingScale);
        EXPECT_EQ(std::make_pair(float(p.x), float(p.y)), std::make_pair(float(c.game.x), float(c.game.y)));
    }
}

}  // namespace
