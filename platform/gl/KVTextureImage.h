// An OpenGL texture shown whole, as the platform's picture makers hand it
// out; the engine wraps it into its own image type.
#pragma once

#include <cstdint>

struct KVTextureImage {
    uint32_t texture = 0;  // OpenGL texture name; 0 is none (e.g. no context was current)
    int32_t width = 0;     // pixels; 0 x 0 when nothing was made
    int32_t height = 0;
};
