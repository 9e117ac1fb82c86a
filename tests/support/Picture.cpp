#include "tests/support/Picture.h"

#include <SDL2/SDL_image.h>

#include <algorithm>

#include "platform/image/KVBitmap.h"

std::ostream& operator<<(std::ostream& out, const Rgba& p)
{
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

Picture::Picture(const std::string& path)
{
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded)
        return;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!rgba)
        return;
    width_ = rgba->w;
    height_ = rgba->h;
    rgba_.resize(static_cast<size_t>(width_) * height_ * 4);
    for (int y = 0; y < height_; ++y) {
        const auto* row = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
        std::copy(row, row + width_ * 4, rgba_.begin() + static_cast<size_t>(y) * width_ * 4);
    }
    SDL_FreeSurface(rgba);
}

Picture::Picture(const KVBitmap& bitmap) : width_(bitmap.width()), height_(bitmap.height()), rgba_(bitmap.pixels())
{
}

Picture Picture::currentFrame(int width, int height)
{
    return Picture(KVBitmap::fromFramebuffer(width, height));
}

Rgba Picture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return {};
    const uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

int Picture::count(int x, int y, int w, int h, const std::function<bool(const Rgba&)>& test) const
{
    int n = 0;
    for (int row = y; row < y + h; ++row)
        for (int column = x; column < x + w; ++column)
            n += test(at(column, row)) ? 1 : 0;
    return n;
}
