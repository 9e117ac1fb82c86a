// What the window shows before the game: a loading image or the intro
// movie. Drawn with OpenGL on the main thread while the context is current
// there; the fade into the game draws it with falling opacity over white.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "player/common/KVViewGeometry.h"

class KVIntroViewController {
public:
    virtual ~KVIntroViewController();

    // Advances the intro to the time (seconds on a steady clock).
    virtual void update(double now) = 0;
    // Draws the intro over the whole drawable area at the opacity.
    virtual void draw(KVSize drawable, float opacity) = 0;
    // The intro's own size in points; zero when it has none.
    virtual KVSize naturalSize() const { return {}; }

    bool finished() const { return finished_; }
    // Called once when the intro is over.
    void setOnFinished(std::function<void()> handler) { onFinished_ = std::move(handler); }

protected:
    void reportFinished();
    // Replaces the texture with RGBA pixels given top row first.
    void uploadRGBA(const uint8_t* pixels, int width, int height, int stride);
    // The texture over the rectangle (pixels, origin bottom left) on white.
    void drawTexture(KVSize drawable, float x, float y, float width, float height, float opacity);
    bool hasTexture() const { return texture_ != 0; }

private:
    bool finished_ = false;
    std::function<void()> onFinished_;
    unsigned texture_ = 0;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    std::vector<uint8_t> flipped_;
};
