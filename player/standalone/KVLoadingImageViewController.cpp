#include "player/standalone/KVLoadingImageViewController.h"

#include "platform/image/KVBitmap.h"

namespace {
constexpr double kShowFor = 0.1;
}  // namespace

// Any picture format a game's images may have, as the Mac read it.
std::unique_ptr<KVLoadingImageViewController> KVLoadingImageViewController::load(const std::string& path,
                                                                                  std::string* error)
{
    std::string why;
    KVBitmap picture = KVBitmap::loadFile(path, &why);
    if (picture.empty()) {
        *error = path + ": cannot read the loading image: " + why;
        return nullptr;
    }
    std::unique_ptr<KVLoadingImageViewController> controller(new KVLoadingImageViewController);
    controller->width_ = picture.width();
    controller->height_ = picture.height();
    controller->pixels_ = std::move(picture.pixels());
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
