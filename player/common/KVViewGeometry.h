// Where the game lies in its view: the letterbox or crop of full screen, the
// OpenGL viewport, and the mapping of mouse positions into game points.
#pragma once

struct KVSize {
    double width = 0;
    double height = 0;
};

struct KVPoint {
    double x = 0;
    double y = 0;
};

struct KVViewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class KVViewGeometry {
public:
    // The view's layout for a drawing area of backing pixels. In full screen
    // (clip) the game keeps originalAspectRatio: inside the screen with bars
    // on two sides, or with cropToFit covering it and overflowing one axis
    // (a negative offset). Windowed, the game fills the whole area.
    // currentAspectRatio keeps its previous value unless clipping.
    static KVViewGeometry reshape(KVSize backingPixels, bool fullScreen, bool cropToFit, float originalAspectRatio,
                                  float previousCurrentAspectRatio = 0);

    // A point in view points (origin bottom left) as game points: through
    // backing pixels, minus the offset, times the inverted crop scale.
    KVPoint convertPoint(KVPoint viewPoint, KVSize backingScale) const;
    // The view point a game point came from: convertPoint undone.
    KVPoint viewPointFor(KVPoint gamePoint, KVSize backingScale) const;

    bool clip = false;
    float currentAspectRatio = 0;
    KVPoint invertedCropScaleFactor{1, 1};
    KVPoint gameViewOffset{0, 0};
    KVViewport viewport;
};
