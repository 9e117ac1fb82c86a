// A rectangle of positions: the tiled renderers receive a sprite's centre
// and half sizes as one.
#pragma once

struct SGRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    // Shrinks the size by dx and dy; the origin stays.
    void insetRect(const float& dx, const float& dy)
    {
        width -= dx;
        height -= dy;
    }
};
