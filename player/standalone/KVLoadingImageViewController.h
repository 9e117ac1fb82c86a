// Shows the bundle's "Default.png" while the game loads; reports the intro
// finished 0.1 s after the image is up.
#pragma once

#include <memory>
#include <string>

#include "player/standalone/KVIntroViewController.h"

class KVLoadingImageViewController : public KVIntroViewController {
public:
    // Null, with a one-line reason, when the image cannot be read.
    static std::unique_ptr<KVLoadingImageViewController> load(const std::string& path, std::string* error);

    void update(double now) override;
    void draw(KVSize drawable, float opacity) override;
    KVSize naturalSize() const override { return {static_cast<double>(width_), static_cast<double>(height_)}; }

private:
    KVLoadingImageViewController() = default;

    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    double shownAt_ = -1;
};
