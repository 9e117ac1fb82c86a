#include "engine/scenegraph/nodes/SGStringToImageNode.h"

#include "engine/assets/KVEngineAssetManager.h"
#include "platform/gl/KVQuadBatch.h"
#include "platform/text/KVImageFromString.h"

SGStringToImageNode::SGStringToImageNode(KVEngineAssetManager* assetManager)
    : SGNode(SGNodeClass::stringToImageNode), assetManager_(assetManager)
{
    font.setStoredValue("LucidaGrande");
    fontSize.setStoredValue(12.0f);
    alignment.setStoredValue(1);
    wrap.setStoredValue(false);
    wrapWidth.setStoredValue(100.0f);
    wrapHeight.setStoredValue(100.0f);
    addOutputPort(&image, SGPortValueType::IMAGE);
    addOutputPort(&width, SGPortValueType::NUMBER);
    addOutputPort(&height, SGPortValueType::NUMBER);
    addInputPort(&text, SGPortValueType::STRING);
    addInputPort(&font, SGPortValueType::STRING);
    addInputPort(&fontSize, SGPortValueType::NUMBER);
    addInputPort(&alignment, SGPortValueType::INTEGER);
    addInputPort(&wrap, SGPortValueType::BOOLEAN);
    addInputPort(&wrapWidth, SGPortValueType::NUMBER);
    addInputPort(&wrapHeight, SGPortValueType::NUMBER);
    if (assetManager_)
        assetManager_->insertTextImage(this);
}

SGStringToImageNode::~SGStringToImageNode()
{
    if (assetManager_)
        assetManager_->eraseTextImage(this);
    deleteTexture();
}

void SGStringToImageNode::deleteTexture()
{
    SGImage current = image.storedValue();
    if (current.textureWidth > 0 && current.texture != 0) {
        KVDeleteTexture(current.texture);
        image.setStoredValue(SGImageNull);
    }
}

void SGStringToImageNode::compute()
{
    const std::string textValue = text.stringValue();
    const float size = fontSize.numberValue();
    const int align = alignment.intValue();
    const std::string fontValue = font.stringValue();

    deleteTexture();

    SGImage result = SGImageNull;
    if (!textValue.empty() && !fontValue.empty()) {
        const bool wraps = wrap.boolValue();
        const float frameWidth = wrapWidth.numberValue();
        const float frameHeight = wrapHeight.numberValue();
        result = KVImageFromString(textValue.c_str(), fontValue.c_str(), size, static_cast<KVTextAlignment>(align),
                                   wraps, frameWidth, frameHeight);
    }

    if (result.textureWidth < 1) {
        image.setStoredValue(SGImageNull);
        width.setStoredValue(0.0f);
        height.setStoredValue(0.0f);
    } else {
        image.setStoredValue(result);
        width.setStoredValue(static_cast<float>(result.width));
        height.setStoredValue(static_cast<float>(result.height));
    }
}

void SGStringToImageNode::reloadImage()
{
    image.markAsDirty();
}

SGPort* SGStringToImageNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::image: return &image;
    case SGPortID::width: return &width;
    case SGPortID::height: return &height;
    case SGPortID::text: return &text;
    case SGPortID::font: return &font;
    case SGPortID::fontSize: return &fontSize;
    case SGPortID::alignment: return &alignment;
    case SGPortID::wrap: return &wrap;
    case SGPortID::wrapWidth: return &wrapWidth;
    case SGPortID::wrapHeight: return &wrapHeight;
    default: return nullptr;
    }
}
