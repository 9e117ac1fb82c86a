#include "player/standalone/KVIntroMovieViewController.h"

#include <algorithm>

std::unique_ptr<KVIntroMovieViewController> KVIntroMovieViewController::open(const std::string& path,
                                                                              std::string* error)
{
    std::unique_ptr<KVIntroMovieViewController> controller(new KVIntroMovieViewController);
    controller->decoder_ = KVMovieDecoder::open(path, error);
    return controller;
}

KVSize KVIntroMovieViewController::naturalSize() const
{
    if (!decoder_)
        return {};
    return {static_cast<double>(decoder_->width()), static_cast<double>(decoder_->height())};
}

void KVIntroMovieViewController::update(double now)
{
    if (!decoder_) {
        reportFinished();
        return;
    }
    if (finished())
        return;
    if (startedAt_ < 0)
        startedAt_ = now;
    const double elapsed = now - startedAt_;
    // Show the latest frame that is due; frames late by more than one step
    // are skipped rather than slowing the movie down.
    for (;;) {
        if (!havePending_) {
            if (!decoder_->nextFrame(&pending_, &pendingTime_)) {
                reportFinished();
                return;
            }
            havePending_ = true;
        }
        if (pendingTime_ > elapsed)
            return;
        uploadRGBA(pending_.data(), decoder_->width(), decoder_->height(), decoder_->width() * 4);
        havePending_ = false;
    }
}

void KVIntroMovieViewController::draw(KVSize drawable, float opacity)
{
    if (!decoder_ || !hasTexture()) {
        drawTexture(drawable, 0, 0, 0, 0, opacity);
        return;
    }
    // The whole movie, as large as fits, centred.
    const double scale = std::min(drawable.width / decoder_->width(), drawable.height / decoder_->height());
    const double w = decoder_->width() * scale, h = decoder_->height() * scale;
    drawTexture(drawable, static_cast<float>((drawable.width - w) / 2), static_cast<float>((drawable.height - h) / 2),
                static_cast<float>(w), static_cast<float>(h), opacity);
}
