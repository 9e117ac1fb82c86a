// A PNG file read once into RGBA pixels, for checking screenshots by pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};

class PngImage {
public:
    // An empty image (width 0) when the file cannot be read.
    explicit PngImage(const std::string& path);

    int width() const { return width_; }
    int height() const { return height_; }
    // (x, y) from the top left; black outside the picture.
    Rgb at(int x, int y) const;
    // How many pixels of the rectangle from (x, y), w by h, pass the test.
    int count(int x, int y, int w, int h, const std::function<bool(const Rgb&)>& test) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> rgba_;
};
