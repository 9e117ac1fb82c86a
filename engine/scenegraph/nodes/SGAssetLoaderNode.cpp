#include "engine/scenegraph/nodes/SGAssetLoaderNode.h"

SGAssetLoaderNode::SGAssetLoaderNode(uint32_t classFlags, KVEngineAssetManager* assetManager)
    : SGNode(classFlags | SGNodeClass::assetLoaderNode), assetManager_(assetManager)
{
}

SGPort* SGAssetLoaderNode::portForID(SGPortID id)
{
    return id == SGPortID::name ? &name : nullptr;
}

std::string SGAssetLoaderNode::currentName()
{
    return name.source() ? name.source()->stringValue() : name.storedValue();
}
