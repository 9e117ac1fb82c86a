// Draws one rectangle: a flat colour, or an image stretched, at its natural
// size or tiled, in each direction independently. Reads its ports only when
// something upstream changed; draws every frame through a renderer chosen
// from the image and the wrapping modes.
#pragma once

#include <memory>

#include "engine/scenegraph/SGRenderNode.h"
#include "engine/scenegraph/nodes/SGSpriteDrawParams.h"
#include "engine/scenegraph/nodes/SGSpriteRenderer.h"
#include "engine/scenegraph/ports/SGColorPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGSpriteNode : public SGRenderNode {
public:
    SGSpriteNode();
    ~SGSpriteNode() override;

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // Replaces the renderer with the one the cached image and wrapping
    // modes call for.
    void createRenderer();
    // Null until the first frame.
    SGSpriteRenderer* renderer() const { return renderer_.get(); }
    // What the renderer was last handed.
    SGSpriteDrawParams drawParams() const;
    bool premultipliedDraw() const { return premultipliedDraw_ != 0; }

    SGColorPort color;
    SGImagePort image;
    SGNumberPort x;
    SGNumberPort y;
    SGNumberPort width;
    SGNumberPort height;
    SGNumberPort angle;  // degrees
    SGIntegerPort blendingMode;
    SGIntegerPort horizontalWrapping;
    SGIntegerPort verticalWrapping;
    SGIntegerPort horizontalAnchor;
    SGIntegerPort verticalAnchor;
    SGIntegerPort tileHeight;
    SGIntegerPort tileWidth;

private:
    void readPorts();

    std::unique_ptr<SGSpriteRenderer> renderer_;
    SGImage image_;  // width and height hold the tile size
    int32_t premultipliedDraw_ = 0;
    float x_ = 0.0f;
    float y_ = 0.0f;
    float halfWidth_ = 0.0f;
    float halfHeight_ = 0.0f;
    float angle_ = 0.0f;
    SGColor color_;      // as drawn: premultiplied when the image is
    SGColor portColor_;  // as the color port gave it
    int32_t blendMode_ = 0;
    int32_t horizontalWrapping_ = 0;
    int32_t verticalWrapping_ = 0;
    int32_t horizontalAnchor_ = 0;
    int32_t verticalAnchor_ = 0;
    int32_t tileWidth_ = 0;
    int32_t tileHeight_ = 0;
};
