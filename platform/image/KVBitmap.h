// An 8-bit RGBA picture in memory, top row first: what image files decode
// to, what the game view reads back into, and what the image operations
// (tint, flip, rotate, save as PNG) work on. Colour is straight (not
// multiplied by alpha) unless the owner says otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

class KVBitmap {
public:
    KVBitmap() = default;
    // A width x height bitmap of transparent black; empty when a side is not
    // positive.
    KVBitmap(int width, int height, bool hasAlpha = true);

    // Decodes a picture file of any format the Mac's image loader read
    // (KVImageDecoder: the content decides; a file of several pictures
    // gives its largest; colours converted to sRGB). It has alpha when some
    // pixel is not opaque. Answers an empty bitmap with the reason in
    // *error when the file cannot be read.
    static KVBitmap loadFile(const std::string& path, std::string* error = nullptr);
    // A Cairo ARGB32 surface (premultiplied) as a straight bitmap.
    static KVBitmap fromCairo(cairo_surface_t* surface);

    // The lower-left width x height pixels of the current OpenGL
    // framebuffer (row 0 of the result is the top one). Needs a current
    // context; empty when a side is not positive.
    static KVBitmap fromFramebuffer(int width, int height);

    bool empty() const { return pixels_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // Whether the alpha bytes mean anything; without alpha they are 255.
    bool hasAlpha() const { return hasAlpha_; }
    // 4 bytes per pixel, rows of 4 * width bytes, top row first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    std::vector<uint8_t>& pixels() { return pixels_; }
    uint8_t* pixelAt(int x, int y) { return &pixels_[(static_cast<size_t>(y) * width_ + x) * 4]; }
    const uint8_t* pixelAt(int x, int y) const { return &pixels_[(static_cast<size_t>(y) * width_ + x) * 4]; }

    // Makes every pixel opaque and marks the bitmap as having no alpha
    // (screenshots are opaque pictures whatever the framebuffer's alpha).
    void dropAlpha();
    // Multiplies red, green and blue by alpha in place, rounding.
    void premultiplyAlpha();
    // Multiplies each channel by the factor (clamped to 0..1), truncating;
    // alpha only when the bitmap has alpha.
    void colorMultiply(float r, float g, float b, float a);

    // Writes a PNG next to the target under a temporary name and renames it
    // over the target, so a failure never leaves half a file. Answers false
    // with the reason in *error.
    bool savePNG(const std::string& path, std::string* error = nullptr) const;

    // New bitmaps drawn with Cairo. Positive degrees turn the picture
    // anticlockwise as seen; the result is just large enough to hold the
    // turned picture, the corners transparent.
    KVBitmap rotatedBy(float degrees) const;
    // Top row becomes the bottom row.
    KVBitmap flippedVertically() const;
    // Left column becomes the right column.
    KVBitmap flippedHorizontally() const;
    // Stretched (or shrunk) to width x height, smoothly.
    KVBitmap scaledTo(int width, int height) const;

private:
    int width_ = 0;
    int height_ = 0;
    bool hasAlpha_ = true;
    std::vector<uint8_t> pixels_;
};
