// Plays the bundle's "intro-mac.mov" in the window and reports the intro
// finished when it ends, or at once when it cannot be played.
#pragma once

#include <memory>
#include <string>

#include "player/standalone/KVIntroViewController.h"
#include "player/standalone/KVMovieDecoder.h"

class KVIntroMovieViewController : public KVIntroViewController {
public:
    // A missing or unplayable movie gives a controller that finishes at its
    // first update (the reason goes to *error).
    static std::unique_ptr<KVIntroMovieViewController> open(const std::string& path, std::string* error);

    void update(double now) override;
    void draw(KVSize drawable, float opacity) override;
    KVSize naturalSize() const override;
    bool playable() const { return decoder_ != nullptr; }

private:
    KVIntroMovieViewController() = default;

    std::unique_ptr<KVMovieDecoder> decoder_;
    double startedAt_ = -1;
    std::vector<uint8_t> pending_;
    double pendingTime_ = 0;
    bool havePending_ = false;
};
