#include "engine/scenegraph/nodes/SGSoundPlayerNode.h"

#include "engine/audio/KVAudioSource.h"
#include "engine/audio/SoundManager.h"

SGSoundPlayerNode::SGSoundPlayerNode(SoundManager* soundManager)
    : SGNode(SGNodeClass::soundPlayerNode), soundManager_(soundManager)
{
    sourceRelative.setStoredValue(true);
    volume.setStoredValue(1.0f);
    pitch.setStoredValue(1.0f);
    addOutputPort(&playing, SGPortValueType::BOOLEAN);
    addInputPort(&sound, SGPortValueType::SOUND);
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&dx, SGPortValueType::NUMBER);
    addInputPort(&dy, SGPortValueType::NUMBER);
    addInputPort(&sourceRelative, SGPortValueType::BOOLEAN);
    addInputPort(&volume, SGPortValueType::NUMBER);
    addInputPort(&pitch, SGPortValueType::NUMBER);
    addInputPort(&loop, SGPortValueType::BOOLEAN);
    addInputPort(&trigger, SGPortValueType::BOOLEAN);
    addInputPort(&stop, SGPortValueType::BOOLEAN);
    addInputPort(&pause, SGPortValueType::BOOLEAN);
    addInputPort(&resume, SGPortValueType::BOOLEAN);
}

SGSoundPlayerNode::~SGSoundPlayerNode()
{
    if (!source_)
        return;
    KVAudioSource* source = source_;
    source->owner = nullptr;
    source->stopCallback = nullptr;
    // A one-shot sound plays to its end and then returns to the pool; a
    // looping, paused or never started one would hold its source (and go
    // on sounding) for ever, so it is stopped now.
    SoundManager* owner = manager();
    if (owner && !(source->isPlaying() && !source->isLooping()))
        owner->stopSource(source);
}

SoundManager* SGSoundPlayerNode::manager() const
{
    return SoundManager::isLive(soundManager_) ? soundManager_ : nullptr;
}

KVAudioSource* SGSoundPlayerNode::reserveSourceIfNeeded()
{
    if (source_)
        return source_;
    SoundManager* owner = manager();
    KVAudioSource* source = owner ? owner->reserveSource() : nullptr;
    if (!source)
        return nullptr;
    source->owner = this;
    source->stopCallback = &SGSoundPlayerNode::soundFinished;
    source_ = source;
    return source;
}

void SGSoundPlayerNode::soundFinished(KVAudioSource* source)
{
    auto* node = static_cast<SGSoundPlayerNode*>(source->owner);
    if (!node)
        return;
    node->playing.setStoredValue(false);
    node->source_ = nullptr;
    node->buffersQueued_ = false;
}

void SGSoundPlayerNode::compute()
{
    setDirty(false);
    SoundManager* owner = manager();
    if (!owner) {
        // Its manager is gone, and with it the source.
        source_ = nullptr;
        buffersQueued_ = false;
        playing.setStoredValue(false);
        return;
    }
    if (source_) {
        if (pause.boolValue())
            owner->pauseSource(source_);
        if (resume.boolValue())
            owner->playSource(source_);
        if (stop.boolValue())
            owner->stopSource(source_);
    }
    if (trigger.boolValue()) {
        if (KVAudioSource* source = reserveSourceIfNeeded()) {
            source->setLooping(loop.boolValue());
            if (!buffersQueued_) {
                const SGSound value = sound.soundValue();
                if (value.bufferCount > 0) {
                    source->queueBuffers(value);
                    buffersQueued_ = true;
                }
            }
            if (!playing.storedValue()) {
                source->setRelative(sourceRelative.boolValue());
                owner->playSource(source);
                playing.setStoredValue(true);
            } else {
                owner->restartSource(source);
            }
        }
    }
    if (playing.storedValue() && source_) {
        source_->setLocation(x.numberValue(), y.numberValue());
        source_->setVelocity(dx.numberValue(), dy.numberValue());
        source_->setVolume(volume.numberValue());
        source_->setPitch(pitch.numberValue());
    }
}

SGPort* SGSoundPlayerNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::sound:
        return &sound;
    case SGPortID::x:
        return &x;
    case SGPortID::y:
        return &y;
    case SGPortID::dx:
        return &dx;
    case SGPortID::dy:
        return &dy;
    case SGPortID::sourceRelative:
        return &sourceRelative;
    case SGPortID::volume:
        return &volume;
    case SGPortID::pitch:
        return &pitch;
    case SGPortID::loop:
        return &loop;
    case SGPortID::trigger:
        return &trigger;
    case SGPortID::stop:
        return &stop;
    case SGPortID::pause:
        return &pause;
    case SGPortID::resume:
        return &resume;
    case SGPortID::playing:
        return &playing;
    default:
        return nullptr;
    }
}
