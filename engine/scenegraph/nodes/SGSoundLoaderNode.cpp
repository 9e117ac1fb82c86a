#include "engine/scenegraph/nodes/SGSoundLoaderNode.h"

#include "engine/assets/KVEngineAssetManager.h"

SGSoundLoaderNode::SGSoundLoaderNode(KVEngineAssetManager* assetManager)
    : SGAssetLoaderNode(static_cast<uint32_t>(SGNodeClass::soundLoaderNode), assetManager)
{
    addOutputPort(&asset, SGPortValueType::SOUND);
    addInputPort(&name, SGPortValueType::ASSETNAME);
    if (assetManager_)
        assetManager_->insertSoundLoader(this);
}

SGSoundLoaderNode::~SGSoundLoaderNode()
{
    if (assetManager_)
        assetManager_->eraseSoundLoader(this);
}

void SGSoundLoaderNode::compute()
{
    const std::string assetName = name.stringValue();
    // An empty name changes nothing: the last sound stays on offer.
    if (assetName.empty())
        return;
    if (!assetManager_) {
        asset.setStoredValue(SGSoundNull);
        return;
    }
    handle_ = assetManager_->soundForName(assetName);
    if (!handle_.empty() && !handle_.resource()->buffers)
        handle_ = assetManager_->soundForName(assetName);
    asset.setStoredValue(handle_.empty() ? SGSoundNull : *handle_.resource());
}

SGPort* SGSoundLoaderNode::portForID(SGPortID id)
{
    return id == SGPortID::asset ? &asset : SGAssetLoaderNode::portForID(id);
}

void SGSoundLoaderNode::resetAsset()
{
    asset.markAsDirty();
    handle_.forget();
}

void SGSoundLoaderNode::detachAssetManager()
{
    resetAsset();
    assetManager_ = nullptr;
}
