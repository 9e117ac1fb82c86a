// Pixels of a picture file (a screenshot, an icon) or of the frame the
// current OpenGL context holds, counted from the top left as seen.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class KVBitmap;

struct Rgba {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& out, const Rgba& p);

class Picture {
public:
    Picture() = default;
    // Read by SDL_image, independently of the player's own loader; empty
    // (width 0) when the file cannot be read.
    explicit Picture(const std::string& path);
    explicit Picture(const KVBitmap& bitmap);
    // The current context's framebuffer, `width` by `height` from its origin.
    static Picture currentFrame(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0; }
    // Transparent black outside the picture.
    Rgba at(int x, int y) const;
    // (x, y) counted from the bottom left, as a camera of one unit a pixel counts.
    Rgba fromBottom(int x, int y) const { return at(x, height_ - 1 - y); }
    // How many pixels of the rectangle from (x, y), w by h, pass the test.
    int count(int x, int y, int w, int h, const std::function<bool(const Rgba&)>& test) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> rgba_;
};
