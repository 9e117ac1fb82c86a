// Where the game lies in full screen, and where mouse positions land.
#include <gtest/gtest.h>

#include "player/common/KVViewGeometry.h"

namespace {

const KVSize kScreen{1920, 1200};
const float kGameAspect = 480.0f / 320.0f;

TEST(KVViewGeometry, FullScreenLetterboxesOrCropsTheGame)
{
    // Screen aspect 1.6 is wider than the game's 1.5: bars left and right.
    KVViewGeometry box = KVViewGeometry::reshape(kScreen, true, false, kGameAspect);
    EXPECT_TRUE(box.clip);
    EXPECT_FLOAT_EQ(box.currentAspectRatio, 1.6f);
    EXPECT_DOUBLE_EQ(box.gameViewOffset.x, 60);
    EXPECT_DOUBLE_EQ(box.gameViewOffset.y, 0);
    EXPECT_DOUBLE_EQ(box.invertedCropScaleFactor.x, 1920.0 / 1800.0);
    EXPECT_DOUBLE_EQ(box.invertedCropScaleFactor.y, 1);
    EXPECT_EQ(box.viewport.x, 60);
    EXPECT_EQ(box.viewport.y, 0);
    EXPECT_EQ(box.viewport.width, 1800);
    EXPECT_EQ(box.viewport.height, 1200);

    // Cropping covers the screen and overflows vertically.
    KVViewGeometry crop = KVViewGeometry::reshape(kScreen, true, true, kGameAspect);
    EXPECT_DOUBLE_EQ(crop.gameViewOffset.x, 0);
    EXPECT_DOUBLE_EQ(crop.gameViewOffset.y, -40);
    EXPECT_DOUBLE_EQ(crop.invertedCropScaleFactor.x, 1);
    EXPECT_DOUBLE_EQ(crop.invertedCropScaleFactor.y, 1200.0 / 1280.0);
    EXPECT_EQ(crop.viewport.x, 0);
    EXPECT_EQ(crop.viewport.y, -40);
    EXPECT_EQ(crop.viewport.width, 1920);
    EXPECT_EQ(crop.viewport.height, 1280);

    // A game wider than the screen: bars top and bottom, or cropped sides.
    KVViewGeometry wide = KVViewGeometry::reshape(KVSize{1200, 1200}, true, false, 2.0f);
    EXPECT_EQ(wide.viewport.width, 1200);
    EXPECT_EQ(wide.viewport.height, 600);
    EXPECT_EQ(wide.viewport.y, 300);
    KVViewGeometry wideCrop = KVViewGeometry::reshape(KVSize{1200, 1200}, true, true, 2.0f);
    EXPECT_EQ(wideCrop.viewport.width, 2400);
    EXPECT_EQ(wideCrop.viewport.x, -600);
}

TEST(KVViewGeometry, AWindowShowsTheWholeAreaAndKeepsTheLastScreenAspect)
{
    KVViewGeometry g = KVViewGeometry::reshape(KVSize{960, 640}, false, true, 1.0f, 1.6f);
    EXPECT_FALSE(g.clip);
    EXPECT_FLOAT_EQ(g.currentAspectRatio, 1.6f);
    EXPECT_DOUBLE_EQ(g.gameViewOffset.x, 0);
    EXPECT_DOUBLE_EQ(g.invertedCropScaleFactor.y, 1);
    EXPECT_EQ(g.viewport.width, 960);
    EXPECT_EQ(g.viewport.height, 640);
}

TEST(KVViewGeometry, UnusableSizesDoNotDivideByZero)
{
    for (KVSize area : {KVSize{0, 0}, KVSize{1920, 0}}) {
        KVViewGeometry g = KVViewGeometry::reshape(area, true, false, kGameAspect);
        EXPECT_DOUBLE_EQ(g.invertedCropScaleFactor.x, 1);
        EXPECT_EQ(g.viewport.width, static_cast<int>(area.width));
    }
    KVViewGeometry noShape = KVViewGeometry::reshape(kScreen, true, false, 0.0f);
    EXPECT_EQ(noShape.viewport.width, 1920);
    EXPECT_DOUBLE_EQ(noShape.invertedCropScaleFactor.y, 1);
}

TEST(KVViewGeometry, MousePositionsMapIntoTheVisibleGame)
{
    const KVSize one{1, 1};
    KVViewGeometry window = KVViewGeometry::reshape(KVSize{480, 320}, false, false, kGameAspect);
    KVPoint p = window.convertPoint({100, 50}, one);
    EXPECT_DOUBLE_EQ(p.x, 100);
    EXPECT_DOUBLE_EQ(p.y, 50);

    // Letterboxed: the bar's edge is 0, the far edge of the game is 1920.
    KVViewGeometry box = KVViewGeometry::reshape(kScreen, true, false, kGameAspect);
    EXPECT_NEAR(box.convertPoint({60, 0}, one).x, 0, 1e-9);
    EXPECT_NEAR(box.convertPoint({1860, 600}, one).x, 1920, 1e-9);
    EXPECT_NEAR(box.convertPoint({1860, 600}, one).y, 600, 1e-9);

    // Cropped: the screen's top edge is inside the game.
    KVViewGeometry crop = KVViewGeometry::reshape(kScreen, true, true, kGameAspect);
    EXPECT_NEAR(crop.convertPoint({0, 0}, one).y, 40 * 1200.0 / 1280.0, 1e-9);
    EXPECT_NEAR(crop.convertPoint({0, 1200}, one).y, 1240 * 1200.0 / 1280.0, 1e-9);

    // HiDPI: points go through backing pixels and come back as points.
    KVViewGeometry retina = KVViewGeometry::reshape(KVSize{3840, 2400}, true, false, kGameAspect);
    KVPoint r = retina.convertPoint({60, 300}, KVSize{2, 2});
    EXPECT_NEAR(r.x, 0, 1e-9);
    EXPECT_NEAR(r.y, 300, 1e-9);
    KVPoint far = retina.convertPoint({1860, 600}, KVSize{2, 2});
    EXPECT_NEAR(far.x, 1920, 1e-9);
}

}  // namespace
