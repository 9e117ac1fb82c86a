#include "engine/scenegraph/nodes/SGSpriteNode.h"

#include <GL/gl.h>

#include "engine/scenegraph/SGBlendMode.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGColoredSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGFixedTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGHorizontalTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGVerticalTiledSpriteRenderer.h"

SGSpriteNode::SGSpriteNode() : SGRenderNode(SGSpriteNodeClass)
{
    addInputPort(&color, SGTypeColor);
    addInputPort(&image, SGTypeImage);
    addInputPort(&x, SGTypeNumber);
    addInputPort(&y, SGTypeNumber);
    addInputPort(&width, SGTypeNumber);
    addInputPort(&height, SGTypeNumber);
    addInputPort(&angle, SGTypeNumber);
    addInputPort(&blendingMode, SGTypeInteger);
    addInputPort(&horizontalWrapping, SGTypeInteger);
    addInputPort(&verticalWrapping, SGTypeInteger);
    addInputPort(&horizontalAnchor, SGTypeInteger);
    addInputPort(&verticalAnchor, SGTypeInteger);
    addInputPort(&tileHeight, SGTypeInteger);
    addInputPort(&tileWidth, SGTypeInteger);
}

SGSpriteNode::~SGSpriteNode() = default;

SGPort* SGSpriteNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortColor: return &color;
    case SGPortImage: return &image;
    case SGPortX: return &x;
    case SGPortY: return &y;
    case SGPortWidth: return &width;
    case SGPortHeight: return &height;
    case SGPortAngle: return &angle;
    case SGPortBlendingMode: return &blendingMode;
    case SGPortHorizontalWrapping: return &horizontalWrapping;
    case SGPortVerticalWrapping: return &verticalWrapping;
    case SGPortHorizontalAnchor: return &horizontalAnchor;
    case SGPortVerticalAnchor: return &verticalAnchor;
    case SGPortTileHeight: return &tileHeight;
    case SGPortTileWidth: return &tileWidth;
    default: return nullptr;
    }
}

void SGSpriteNode::readPorts()
{
    const bool hadTexture = image_.textureWidth > 0;
    color_ = color.colorValue();
    image_ = image.imageValue();
    x_ = x.numberValue();
    y_ = y.numberValue();
    halfWidth_ = width.numberValue() * 0.5f;
    halfHeight_ = height.numberValue() * 0.5f;
    angle_ = angle.numberValue();
    blendMode_ = blendingMode.intValue();
    horizontalWrapping_ = horizontalWrapping.intValue();
    verticalWrapping_ = verticalWrapping.intValue();
    horizontalAnchor_ = horizontalAnchor.intValue();
    verticalAnchor_ = verticalAnchor.intValue();
    // Signed values kept in the unsigned fields; renderers read them back
    // as signed.
    image_.width = static_cast<uint32_t>(tileWidth.intValue());
    image_.height = static_cast<uint32_t>(tileHeight.intValue());

    // Wrapping changes alone keep the renderer: the choice follows the
    // image gaining or losing a texture.
    const bool hasTexture = image_.textureWidth > 0;
    if (!renderer_ || hadTexture != hasTexture)
        createRenderer();

    premultipliedDraw_ = (hasTexture && image_.premultiplied != 0) ? 1 : 0;
    if (premultipliedDraw_) {
        color_.r *= color_.a;
        color_.g *= color_.a;
        color_.b *= color_.a;
    }
}

void SGSpriteNode::compute()
{
    // Without a renderer the cache was never filled: reading one of the
    // node's own inputs while it is dirty reaches here through update(),
    // which has already cleared the flag.
    if (isDirty() || !renderer_) {
        setDirty(false);
        readPorts();
    }

    const float scale = SGAlphaScaleFactor;
    if (premultipliedDraw_)
        glColor4f(color_.r * scale, color_.g * scale, color_.b * scale, color_.a * scale);
    else
        glColor4f(color_.r, color_.g, color_.b, color_.a * scale);
    SGSetBlendMode(static_cast<SGBlendMode>(blendMode_), premultipliedDraw_);
    renderer_->drawSprite(drawParams());
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

SGSpriteDrawParams SGSpriteNode::drawParams() const
{
    SGSpriteDrawParams params;
    params.image = image_;
    params.x = x_;
    params.y = y_;
    params.halfWidth = halfWidth_;
    params.halfHeight = halfHeight_;
    params.angle = angle_;
    params.horizontalWrapping = horizontalWrapping_;
    params.verticalWrapping = verticalWrapping_;
    params.horizontalAnchor = horizontalAnchor_;
    params.verticalAnchor = verticalAnchor_;
    return params;
}

void SGSpriteNode::createRenderer()
{
    renderer_.reset();
    const bool tileAcross = horizontalWrapping_ == SGWrapTile;
    const bool tileUp = verticalWrapping_ == SGWrapTile;
    if (image_.textureWidth < 1)
        renderer_ = std::make_unique<SGColoredSpriteRenderer>();
    else if (tileAcross && tileUp)
        renderer_ = std::make_unique<SGTiledSpriteRenderer>();
    else if (tileAcross)
        renderer_ = std::make_unique<SGHorizontalTiledSpriteRenderer>();
    else if (horizontalWrapping_ == SGWrapStretch && verticalWrapping_ == SGWrapStretch)
        renderer_ = std::make_unique<SGTexturedSpriteRenderer>();
    else if (tileUp)
        renderer_ = std::make_unique<SGVerticalTiledSpriteRenderer>();
    else
        renderer_ = std::make_unique<SGFixedTexturedSpriteRenderer>();
}
