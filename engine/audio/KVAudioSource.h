// One OpenAL source of the sound manager's pool. Whoever reserves it sets
// the owner and the stop callback, which the manager calls when it takes
// the source back.
#pragma once

#include <AL/al.h>

#include "engine/scenegraph/SGSound.h"

class KVAudioSource {
public:
    using StopCallback = void (*)(KVAudioSource*);

    KVAudioSource();
    ~KVAudioSource();
    KVAudioSource(const KVAudioSource&) = delete;
    KVAudioSource& operator=(const KVAudioSource&) = delete;

    void* owner = nullptr;
    StopCallback stopCallback = nullptr;

    ALuint source() const { return source_; }

    int state() const;
    bool isPlaying() const;
    bool isStopped() const;
    bool isLooping() const;

    void play();
    void pause();
    void rewind();
    // Stops and detaches the buffer.
    void stop();

    // Position, velocity and direction at the origin, rolloff 1, reference
    // distance 50: with the listener 50 in front of the scene, a source
    // right under it plays at its own volume.
    void setToDefault();
    void setLocation(float x, float y);
    void setVelocity(float x, float y);
    void setVolume(float volume);
    void setPitch(float pitch);
    void setLooping(bool looping);
    void setRelative(bool relative);

    void queueBuffers(const SGSound& sound);
    // Unqueues the buffers already played.
    void unqueueBuffers();

private:
    ALuint source_ = 0;
};
