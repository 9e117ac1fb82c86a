#include "engine/scenegraph/nodes/SGSpriteNode.h"

#include "engine/scenegraph/SGBlendMode.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGColoredSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGFixedTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGHorizontalTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGTiledSpriteRenderer.h"
#include "engine/scenegraph/nodes/SGVerticalTiledSpriteRenderer.h"
#include "platform/gl/KVQuadBatch.h"

SGSpriteNode::SGSpriteNode() : SGRenderNode(SGNodeClass::spriteNode)
{
    addInputPort(&color, SGPortValueType::COLOR);
    addInputPort(&image, SGPortValueType::IMAGE);
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&width, SGPortValueType::NUMBER);
    addInputPort(&height, SGPortValueType::NUMBER);
    addInputPort(&angle, SGPortValueType::NUMBER);
    addInputPort(&blendingMode, SGPortValueType::INTEGER);
    addInputPort(&horizontalWrapping, SGPortValueType::INTEGER);
    addInputPort(&verticalWrapping, SGPortValueType::INTEGER);
    addInputPort(&horizontalAnchor, SGPortValueType::INTEGER);
    addInputPort(&verticalAnchor, SGPortValueType::INTEGER);
    addInputPort(&tileHeight, SGPortValueType::INTEGER);
    addInputPort(&tileWidth, SGPortValueType::INTEGER);
}

SGSpriteNode::~SGSpriteNode() = default;

SGPort* SGSpriteNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::color: return &color;
    case SGPortID::image: return &image;
    case SGPortID::x: return &x;
    case SGPortID::y: return &y;
    case SGPortID::width: return &width;
    case SGPortID::height: return &height;
    case SGPortID::angle: return &angle;
    case SGPortID::blendingMode: return &blendingMode;
    case SGPortID::horizontalWrapping: return &horizontalWrapping;
    case SGPortID::verticalWrapping: return &verticalWrapping;
    case SGPortID::horizontalAnchor: return &horizontalAnchor;
    case SGPortID::verticalAnchor: return &verticalAnchor;
    case SGPortID::tileHeight: return &tileHeight;
    case SGPortID::tileWidth: return &tileWidth;
    default: return nullptr;
    }
}

void SGSpriteNode::readPorts()
{
    // Only what was written since the last read, and what another node
    // feeds (its value can change without a word): a script moving a sprite
    // costs the two positions, not the fourteen ports.
    const uint32_t changed = takeChangedPorts();
    const bool hadTexture = image_.textureWidth > 0;
    if (color.needsReading(changed))
        portColor_ = color.colorValue();
    if (image.needsReading(changed))
        image_ = image.imageValue();
    if (x.needsReading(changed))
        x_ = x.numberValue();
    if (y.needsReading(changed))
        y_ = y.numberValue();
    if (width.needsReading(changed))
        halfWidth_ = width.numberValue() * 0.5f;
    if (height.needsReading(changed))
        halfHeight_ = height.numberValue() * 0.5f;
    if (angle.needsReading(changed))
        angle_ = angle.numberValue();
    if (blendingMode.needsReading(changed))
        blendMode_ = blendingMode.intValue();
    if (horizontalWrapping.needsReading(changed))
        horizontalWrapping_ = horizontalWrapping.intValue();
    if (verticalWrapping.needsReading(changed))
        verticalWrapping_ = verticalWrapping.intValue();
    if (horizontalAnchor.needsReading(changed))
        horizontalAnchor_ = horizontalAnchor.intValue();
    if (verticalAnchor.needsReading(changed))
        verticalAnchor_ = verticalAnchor.intValue();
    if (tileWidth.needsReading(changed))
        tileWidth_ = tileWidth.intValue();
    if (tileHeight.needsReading(changed))
        tileHeight_ = tileHeight.intValue();
    // Signed values kept in the unsigned fields; renderers read them back
    // as signed.
    image_.width = static_cast<uint32_t>(tileWidth_);
    image_.height = static_cast<uint32_t>(tileHeight_);

    // Wrapping changes alone keep the renderer: the choice follows the
    // image gaining or losing a texture.
    const bool hasTexture = image_.textureWidth > 0;
    if (!renderer_ || hadTexture != hasTexture)
        createRenderer();

    premultipliedDraw_ = (hasTexture && image_.premultiplied != 0) ? 1 : 0;
    color_ = portColor_;
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
    const float rgbScale = premultipliedDraw_ ? scale : 1.0f;
    uint32_t source = 0, destination = 0;
    SGBlendFactors(static_cast<SGBlendMode>(blendMode_), premultipliedDraw_, &source, &destination);
    // A texture name of 0 shows no texture, as the flat renderer does.
    const uint32_t texture = image_.textureWidth < 1 ? 0 : image_.texture;
    KVQuadBatch::current().setStyle(texture, source, destination, color_.r * rgbScale, color_.g * rgbScale,
                                    color_.b * rgbScale, color_.a * scale);
    renderer_->drawSprite(drawParams());
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
