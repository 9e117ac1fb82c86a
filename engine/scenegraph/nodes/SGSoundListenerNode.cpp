#include "engine/scenegraph/nodes/SGSoundListenerNode.h"

#include <AL/al.h>

#include "platform/media/KVCheckALError.h"

SGSoundListenerNode::SGSoundListenerNode() : SGRenderNode(SGNodeClass::soundListenerNode)
{
    x.setStoredValue(240.0f);
    y.setStoredValue(160.0f);
    gain.setStoredValue(1.0f);
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&gain, SGPortValueType::NUMBER);
}

void SGSoundListenerNode::compute()
{
    setDirty(false);
    KVCheckALError("SGSoundListenerNode::compute");
    alListener3f(AL_POSITION, x.numberValue(), y.numberValue(), -kListenerDistance);
    KVCheckALError("SGSoundListenerNode::compute: alListener3f");
    alListenerf(AL_GAIN, gain.numberValue());
    KVCheckALError("SGSoundListenerNode::compute: alListenerf");
}

SGPort* SGSoundListenerNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::x:
        return &x;
    case SGPortID::y:
        return &y;
    case SGPortID::gain:
        return &gain;
    default:
        return nullptr;
    }
}
