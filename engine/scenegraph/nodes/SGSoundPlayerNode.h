// Plays one sound on a source borrowed from the sound manager: a compute
// that sees trigger true reserves a source, queues the sound and starts it;
// while it plays, each compute copies position, velocity, volume and pitch
// to the source. The manager hands the source back when the sound ends.
#pragma once

#include "engine/scenegraph/SGNode.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGSoundPort.h"

class KVAudioSource;
class SoundManager;

class SGSoundPlayerNode : public SGNode {
public:
    explicit SGSoundPlayerNode(SoundManager* soundManager);
    ~SGSoundPlayerNode() override;

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // The source this node holds, reserving one when it holds none; null
    // when the pool is exhausted.
    KVAudioSource* reserveSourceIfNeeded();
    // The stop callback of the sources it reserves: the node forgets the
    // source and stops reporting playing.
    static void soundFinished(KVAudioSource* source);

    KVAudioSource* source() const { return source_; }
    bool buffersQueued() const { return buffersQueued_; }

    SGBooleanPort playing;  // output
    SGSoundPort sound;
    SGNumberPort x;
    SGNumberPort y;
    SGNumberPort dx;
    SGNumberPort dy;
    SGBooleanPort sourceRelative;
    SGNumberPort volume;
    SGNumberPort pitch;
    SGBooleanPort loop;
    SGBooleanPort trigger;
    SGBooleanPort stop;
    SGBooleanPort pause;
    SGBooleanPort resume;

private:
    // The manager, unless the script has deleted it since.
    SoundManager* manager() const;

    SoundManager* soundManager_;
    KVAudioSource* source_ = nullptr;
    bool buffersQueued_ = false;
};
