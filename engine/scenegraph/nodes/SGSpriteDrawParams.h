// What a sprite hands its renderer each frame.
#pragma once

#include <cstdint>

#include "engine/scenegraph/SGImage.h"

struct SGSpriteDrawParams {
    // width and height hold the tile width and height (signed values stored
    // in the unsigned fields); the rest is the image as the port gave it.
    SGImage image;
    float x = 0.0f;  // centre
    float y = 0.0f;
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    float angle = 0.0f;  // degrees, about the centre
    int32_t horizontalWrapping = 0;  // 0 stretch, 1 fixed (natural size, cropped), 2 tile
    int32_t verticalWrapping = 0;
    int32_t horizontalAnchor = 0;  // SGAnchorMode
    int32_t verticalAnchor = 0;

    float tileWidth() const { return static_cast<float>(static_cast<int32_t>(image.width)); }
    float tileHeight() const { return static_cast<float>(static_cast<int32_t>(image.height)); }
};

enum SGSpriteWrapping : int32_t {
    SGWrapStretch = 0,
    SGWrapFixed = 1,
    SGWrapTile = 2,
};
