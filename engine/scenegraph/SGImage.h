// A picture the scene graph draws: an OpenGL texture and the part of it to
// show. A plain value copied through ports; it never owns its texture.
#pragma once

#include <cstdint>

#include "engine/scenegraph/SGTextureRect.h"
#include "platform/gl/KVTextureImage.h"

struct SGImage {
    uint32_t width = 0;   // pixels; getWidth() when the image was built
    uint32_t height = 0;  // pixels; getHeight() when the image was built
    uint32_t texture = 0; // OpenGL texture name; 0 is none
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    SGTextureRect rect;
    int32_t premultiplied = 0;  // colour channels already multiplied by alpha

    // Pixel size of the shown part, truncated toward zero.
    int getWidth() const;
    int getHeight() const;
    // Deletes the texture (needs the context current); the fields stay.
    void freeImage();

    // The whole of a platform picture, straight alpha; the null image for
    // one of no size. And back, for handing a texture to be drawn into again.
    static SGImage wholeTexture(const KVTextureImage& picture);
    KVTextureImage textureImage() const { return {texture, textureWidth, textureHeight}; }
};

// The image with no texture: the empty value of image ports.
inline constexpr SGImage SGImageNull{};
