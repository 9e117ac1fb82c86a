#include "engine/audio/KVAudioSource.h"

#include <cstddef>
#include <vector>

#include "platform/media/KVCheckALError.h"

KVAudioSource::KVAudioSource()
{
    alGenSources(1, &source_);
    KVCheckALError("KVAudioSource::KVAudioSource : alGenSources");
}

KVAudioSource::~KVAudioSource()
{
    alDeleteSources(1, &source_);
    KVCheckALError("KVAudioSource::~KVAudioSource : alDeleteSources");
}

int KVAudioSource::state() const
{
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state;
}

bool KVAudioSource::isPlaying() const
{
    return state() == AL_PLAYING;
}

bool KVAudioSource::isStopped() const
{
    return state() == AL_STOPPED;
}

bool KVAudioSource::isLooping() const
{
    ALint looping = 0;
    alGetSourcei(source_, AL_LOOPING, &looping);
    return looping != 0;
}

void KVAudioSource::play()
{
    alSourcePlay(source_);
    KVCheckALError("KVAudioSource::play : alSourcePlay");
}

void KVAudioSource::pause()
{
    alSourcePause(source_);
    KVCheckALError("KVAudioSource::pause : alSourcePause");
}

void KVAudioSource::rewind()
{
    alSourceRewind(source_);
    KVCheckALError("KVAudioSource::rewind : alSourceRewind");
}

void KVAudioSource::stop()
{
    alSourceStop(source_);
    KVCheckALError("KVAudioSource::stop : alSourceStop");
    alSourcei(source_, AL_BUFFER, 0);
    KVCheckALError("KVAudioSource::stop : alSourcei (AL_BUFFER)");
}

void KVAudioSource::setToDefault()
{
    alSource3f(source_, AL_POSITION, 0, 0, 0);
    alSource3f(source_, AL_VELOCITY, 0, 0, 0);
    alSource3f(source_, AL_DIRECTION, 0, 0, 0);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 1.0f);
    alSourcef(source_, AL_REFERENCE_DISTANCE, 50.0f);
    KVCheckALError("KVAudioSource::setToDefault: alSource[3]f");
}

void KVAudioSource::setLocation(float x, float y)
{
    alSource3f(source_, AL_POSITION, x, y, 0);
    KVCheckALError("KVAudioSource::setLocation: alSource3f");
}

void KVAudioSource::setVelocity(float x, float y)
{
    alSource3f(source_, AL_VELOCITY, x, y, 0);
    KVCheckALError("KVAudioSource::setVelocity: alSource3f");
}

void KVAudioSource::setVolume(float volume)
{
    alSourcef(source_, AL_GAIN, volume);
    KVCheckALError("KVAudioSource::setVolume: alSourcef");
}

void KVAudioSource::setPitch(float pitch)
{
    alSourcef(source_, AL_PITCH, pitch);
    KVCheckALError("KVAudioSource::setPitch: alSourcef");
}

void KVAudioSource::setLooping(bool looping)
{
    alSourcei(source_, AL_LOOPING, looping ? 1 : 0);
    KVCheckALError("KVAudioSource::setLooping: alSourcei (AL_LOOPING)");
}

void KVAudioSource::setRelative(bool relative)
{
    alSourcei(source_, AL_SOURCE_RELATIVE, relative ? 1 : 0);
    KVCheckALError("KVAudioSource::setRelative: alSourcei (AL_SOURCE_RELATIVE)");
}

void KVAudioSource::queueBuffers(const SGSound& sound)
{
    alSourceQueueBuffers(source_, sound.bufferCount, sound.buffers);
    KVCheckALError("KVAudioSource::queueBuffers: alSourceQueueBuffers");
}

void KVAudioSource::unqueueBuffers()
{
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0)
        return;
    std::vector<ALuint> scratch(static_cast<std::size_t>(processed));
    alSourceUnqueueBuffers(source_, processed, scratch.data());
    KVCheckALError("KVAudioSource::unqueueBuffers: alSourceUnqueueBuffers");
}
