// Text as an image: renders its text input with the text rasterizer into a
// texture, offered on the image output with the image's pixel size. It owns
// that texture: the next render of the same size draws into it, one of
// another size replaces it, and the node's destruction deletes it.
// Rendering happens only in compute(), so at most once per change of the
// inputs, when something reads an output.
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"

class KVEngineAssetManager;

class SGStringToImageNode : public SGNode {
public:
    // The asset manager (not owned, may be null) keeps a registry of text
    // nodes and calls reloadImage() on each after it threw textures away;
    // the node is in it for its whole life.
    explicit SGStringToImageNode(KVEngineAssetManager* assetManager);
    ~SGStringToImageNode() override;

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // Marks the image output dirty, so the next read renders the text again.
    void reloadImage();

    KVEngineAssetManager* assetManager() const { return assetManager_; }
    // The manager is going away: the node stops telling it of its death.
    void detachAssetManager() { assetManager_ = nullptr; }

    SGImagePort image;
    SGNumberPort width;
    SGNumberPort height;
    SGStringPort text;
    SGStringPort font;
    SGNumberPort fontSize;
    SGIntegerPort alignment;
    SGBooleanPort wrap;
    SGNumberPort wrapWidth;
    SGNumberPort wrapHeight;

private:
    void deleteTexture();

    KVEngineAssetManager* assetManager_;
    // The inputs as last read; the texture in hand shows them.
    std::string text_;
    std::string font_;
    float fontSize_ = 0.0f;
    int alignment_ = 0;
    bool wrap_ = false;
    float wrapWidth_ = 0.0f;
    float wrapHeight_ = 0.0f;
    bool rendered_ = false;
    bool reload_ = false;  // the asset manager asked for a new rendering
};
