#include "player/common/KVViewGeometry.h"

#include <cmath>

KVViewGeometry KVViewGeometry::reshape(KVSize P, bool fullScreen, bool cropToFit, float originalAspectRatio,
                                       float previousCurrentAspectRatio)
{
    KVViewGeometry g;
    g.currentAspectRatio = previousCurrentAspectRatio;
    g.clip = fullScreen;
    // An empty area or a game without a usable shape would divide by zero:
    // such a view is laid out as a plain window.
    const bool usable = P.width > 0 && P.height > 0 && std::isfinite(originalAspectRatio) && originalAspectRatio > 0;
    if (g.clip && usable) {
        g.currentAspectRatio = static_cast<float>(P.width / P.height);
        double gw, gh, x, y;
        if (cropToFit == (originalAspectRatio > g.currentAspectRatio)) {
            gw = static_cast<float>(originalAspectRatio * P.height);
            gh = P.height;
            x = (P.width - gw) * 0.5;
            y = 0;
        } else {
            gh = static_cast<float>(P.width / originalAspectRatio);
            gw = P.width;
            x = 0;
            y = (P.height - gh) * 0.5;
        }
        g.invertedCropScaleFactor = {P.width / gw, P.height / gh};
        g.gameViewOffset = {x, y};
        g.viewport = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(gw), static_cast<int>(gh)};
    } else {
        g.viewport = {0, 0, static_cast<int>(P.width), static_cast<int>(P.height)};
    }
    return g;
}

KVPoint KVViewGeometry::convertPoint(KVPoint viewPoint, KVSize backingScale) const
{
    const double sx = backingScale.width > 0 ? backingScale.width : 1;
    const double sy = backingScale.height > 0 ? backingScale.height : 1;
    const double bx = viewPoint.x * sx;
    const double by = viewPoint.y * sy;
    const double x = static_cast<double>(static_cast<float>(bx - gameViewOffset.x)) * invertedCropScaleFactor.x;
    const double y = static_cast<double>(static_cast<float>(by - gameViewOffset.y)) * invertedCropScaleFactor.y;
    return {x / sx, y / sy};
}

KVPoint KVViewGeometry::viewPointFor(KVPoint gamePoint, KVSize backingScale) const
{
    const double sx = backingScale.width > 0 ? backingScale.width : 1;
    const double sy = backingScale.height > 0 ? backingScale.height : 1;
    const double bx = gamePoint.x * sx / invertedCropScaleFactor.x + gameViewOffset.x;
    const double by = gamePoint.y * sy / invertedCropScaleFactor.y + gameViewOffset.y;
    return {bx / sx, by / sy};
}
