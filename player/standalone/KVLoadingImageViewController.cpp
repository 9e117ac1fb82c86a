#include "player/standalone/KVLoadingImageViewController.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>

namespace {
constexpr double kShowFor = 0.1;
constexpr int kLargestSide = 16384;
}  // namespace

std::unique_ptr<KVLoadingImageViewController> KVLoadingImageViewController::load(const std::string& path,
                                                                                  std::string* error)
{
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        *error = path + ": cannot read the loading image: " + IMG_GetError();
        return nullptr;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!rgba) {
        *error = path + ": cannot convert the loading image: " + SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<KVLoadingImageViewController> controller(new KVLoadingImageViewController);
    if (rgba->w < 1 || rgba->h < 1 || rgba->w > kLargestSide || rgba->h > kLargestSide) {
        *error = path + ": the loading image has an unusable size";
        SDL_FreeSurface(rgba);
        return nullptr;
    }
    controller->width_ = rgba->w;
    controller->height_ = rgba->h;
    controller->pixels_.resize(static_cast<size_t>(rgba->w) * static_cast<size_t>(rgba->h) * 4);
    SDL_LockSurface(rgba);
    for (int row = 0; row < rgba->h; ++row)
        std::memcpy(&controller->pixels_[static_cast<size_t>(row) * static_cast<size_t>(rgba->w) * 4],
                    static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(row) * static_cast<size_t>(rgba->pitch),
                    static_cast<size_t>(rgba->w) * 4);
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return controller;
}

void KVLoadingImageViewController::update(double now)
{
    if (shownAt_ < 0) {
        // Uploaded here, where the context is current.
        uploadRGBA(pixels_.data(), width_, height_, width_ * 4);
        pixels_.clear();
        pixels_.shrink_to_fit();
        shownAt_ = now;
    }
    if (now - shownAt_ >= kShowFor)
        reportFinished();
}

void KVLoadingImageViewController::draw(KVSize drawable, float opacity)
{
    // The view fills the window: sized to the image, or the screen in full screen.
    drawTexture(drawable, 0, 0, static_cast<float>(drawable.width), static_cast<float>(drawable.height), opacity);
}
