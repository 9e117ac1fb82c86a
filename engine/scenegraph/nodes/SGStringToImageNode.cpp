#include "engine/scenegraph/nodes/SGStringToImageNode.h"

#include <string>
#include <utility>

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
    // Read what changed since the last rendering and note whether any of it
    // reads differently: a script that sets the same text at every frame
    // keeps its texture instead of having it typeset again.
    const uint32_t changed = takeChangedPorts();
    bool differs = !rendered_ || reload_;
    auto update = [&differs](auto& cached, auto now) {
        if (!(now == cached)) {
            cached = std::move(now);
            differs = true;
        }
    };
    if (text.needsReading(changed))
        update(text_, text.stringValue());
    if (fontSize.needsReading(changed))
        update(fontSize_, fontSize.numberValue());
    if (alignment.needsReading(changed))
        update(alignment_, alignment.intValue());
    if (font.needsReading(changed))
        update(font_, font.stringValue());
    if (wrap.needsReading(changed))
        update(wrap_, wrap.boolValue());
    if (wrapWidth.needsReading(changed))
        update(wrapWidth_, wrapWidth.numberValue());
    if (wrapHeight.needsReading(changed))
        update(wrapHeight_, wrapHeight.numberValue());
    // A failed rendering (no texture) is tried again, whatever changed.
    if (!differs && image.storedValue().textureWidth > 0)
        return;
    rendered_ = true;
    // After a reload the old texture is not to be drawn into again.
    if (reload_)
        deleteTexture();
    reload_ = false;

    SGImage result = SGImageNull;
    if (!text_.empty() && !font_.empty()) {
        // The old texture is handed over: a text of the same size is drawn
        // into it rather than into a new one.
        const SGImage previous = image.storedValue();
        result = SGImage::wholeTexture(KVImageFromString(
            text_.c_str(), font_.c_str(), fontSize_, static_cast<KVTextAlignment>(alignment_), wrap_, wrapWidth_,
            wrapHeight_, previous.textureWidth > 0 ? previous.textureImage() : KVTextureImage{}));
    } else {
        deleteTexture();
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
    reload_ = true;
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
