// Texture coordinates of the shown part of a texture; a whole texture is
// (0, 0, 1, 1).
#pragma once

struct SGTextureRect {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};
