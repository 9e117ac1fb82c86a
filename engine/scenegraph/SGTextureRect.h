// Texture coordinates of the shown part of a texture; a whole texture is
// (0, 0, 1, 1). Renderers crop and flip it to show part of an image.
#pragma once

#include <cstdint>

// Which side of a texture rectangle a crop keeps.
enum SGAnchorMode : int32_t {
    SGAnchorNear = 0,    // the x0 / y0 side
    SGAnchorCenter = 1,
    SGAnchorFar = 2,     // the x1 / y1 side
};

struct SGTextureRect {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;

    float getWidth() const;   // |x1 - x0|
    float getHeight() const;  // |y1 - y0|
    void flipHorizontally();  // swaps x0 and x1
    void flipVertically();    // swaps y0 and y1
    // Keeps the fraction of the width (height) on the anchor's side; an
    // anchor that is none of the three changes nothing.
    void cropHorizontally(float fraction, SGAnchorMode anchor);
    void cropVertically(float fraction, SGAnchorMode anchor);
};
