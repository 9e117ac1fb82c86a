// Small values shared by the text rasterizer and its callers.
#pragma once

#include <cstdint>
#include <string>

// The engine's alignment code. Other values are passed through unchanged
// and draw centred.
enum KVTextAlignment : int32_t {
    KVTextAlignmentLeft = 0,
    KVTextAlignmentCenter = 1,
    KVTextAlignmentRight = 2,
};

// A colour with straight (not premultiplied) components from 0 to 1.
struct KVTextColor {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 0.0;
};

// How a string is typeset: a platform font name ("ArialMT"), its size in
// points (pixels: the rasterizer works at 72 dpi) and the paragraph alignment.
struct KVTextAttributes {
    std::string fontName = "ArialMT";
    double size = 12.0;
    KVTextAlignment alignment = KVTextAlignmentLeft;
};

// A width and height in points.
struct KVTextSize {
    double width = 0.0;
    double height = 0.0;
};
