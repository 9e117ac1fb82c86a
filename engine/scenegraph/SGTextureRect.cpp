#include "engine/scenegraph/SGTextureRect.h"

#include <cmath>
#include <utility>

namespace {

// The crop of one axis: lo and hi are x0 and x1 (or y0 and y1).
void crop(float& lo, float& hi, float fraction, SGAnchorMode anchor)
{
    const float w = hi - lo;
    const float k = fraction * w;
    switch (anchor) {
    case SGAnchorNear:
        hi = lo + k;
        break;
    case SGAnchorCenter:
        lo = lo + (w - k) * 0.5f;
        hi = lo + k;
        break;
    case SGAnchorFar:
        lo = hi - k;
        break;
    }
}

}  // namespace

float SGTextureRect::getWidth() const { return std::fabs(x1 - x0); }

float SGTextureRect::getHeight() const { return std::fabs(y1 - y0); }

void SGTextureRect::flipHorizontally() { std::swap(x0, x1); }

void SGTextureRect::flipVertically() { std::swap(y0, y1); }

void SGTextureRect::cropHorizontally(float fraction, SGAnchorMode anchor) { crop(x0, x1, fraction, anchor); }

void SGTextureRect::cropVertically(float fraction, SGAnchorMode anchor) { crop(y0, y1, fraction, anchor); }
