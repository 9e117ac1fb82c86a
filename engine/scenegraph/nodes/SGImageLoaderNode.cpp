#include "engine/scenegraph/nodes/SGImageLoaderNode.h"

#include "engine/assets/KVEngineAssetManager.h"

namespace {

// What the rest of the scene graph takes for "no picture".
bool isNullImage(const SGImage& image)
{
    return image.texture == SGImageNull.texture && image.rect.x0 == SGImageNull.rect.x0 &&
           image.rect.y0 == SGImageNull.rect.y0 && image.rect.x1 == SGImageNull.rect.x1 &&
           image.rect.y1 == SGImageNull.rect.y1;
}

}  // namespace

SGImageLoaderNode::SGImageLoaderNode(KVEngineAssetManager* assetManager)
    : SGAssetLoaderNode(static_cast<uint32_t>(SGNodeClass::imageLoaderNode), assetManager)
{
    addOutputPort(&asset, SGPortValueType::IMAGE);
    addInputPort(&name, SGPortValueType::ASSETNAME);
    if (assetManager_)
        assetManager_->insertImageLoader(this);
}

SGImageLoaderNode::~SGImageLoaderNode()
{
    if (assetManager_)
        assetManager_->eraseImageLoader(this);
}

void SGImageLoaderNode::compute()
{
    const std::string assetName = name.stringValue();
    // An empty name shows nothing but keeps the asset it held.
    if (assetName.empty() || !assetManager_) {
        asset.setStoredValue(SGImageNull);
        return;
    }
    handle_ = assetManager_->imageForName(assetName);
    if (!handle_.empty() && isNullImage(*handle_.resource()))
        handle_ = assetManager_->imageForName(assetName);
    asset.setStoredValue(handle_.empty() ? SGImageNull : *handle_.resource());
}

SGPort* SGImageLoaderNode::portForID(SGPortID id)
{
    return id == SGPortID::asset ? &asset : SGAssetLoaderNode::portForID(id);
}

void SGImageLoaderNode::resetAsset()
{
    asset.markAsDirty();
    handle_.forget();
}

void SGImageLoaderNode::detachAssetManager()
{
    resetAsset();
    assetManager_ = nullptr;
}
