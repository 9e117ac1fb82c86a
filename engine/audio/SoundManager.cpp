#include "engine/audio/SoundManager.h"

#include <AL/al.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "engine/assets/KVOpenALBuffer.h"
#include "engine/audio/KVAudioSource.h"
#include "platform/media/KVCheckALError.h"
#include "platform/media/KVSoundOutput.h"

namespace {

std::mutex sharedMutex;
ALCdevice* sharedDevice = nullptr;
ALCcontext* sharedContextValue = nullptr;

// Managers alive now: sound player nodes may outlive the one they were
// given.
std::set<const SoundManager*>& liveManagers()
{
    static std::set<const SoundManager*> live;
    return live;
}

// Misuse by a caller; reported and refused rather than fatal.
bool checkSource(const KVAudioSource* source, const char* operation)
{
    if (source)
        return true;
    std::fprintf(stderr, "engine/SoundManager: %s: source != NULL failed; nothing done\n", operation);
    return false;
}

}  // namespace

void SoundManager::openShared(const char* label)
{
    std::lock_guard<std::mutex> lock(sharedMutex);
    const std::string prefix = label;
    if (!sharedDevice) {
        sharedDevice = KVSoundOutput::device();
        KVCheckALCError(nullptr, (prefix + ": alcOpenDevice").c_str());
    }
    if (!sharedContextValue && sharedDevice) {
        sharedContextValue = KVSoundOutput::createContext(sharedDevice);
        KVCheckALCError(sharedDevice, (prefix + ": alcCreateContext").c_str());
    }
}

ALCcontext* SoundManager::sharedContext()
{
    openShared("SoundManager::sharedContext");
    std::lock_guard<std::mutex> lock(sharedMutex);
    return sharedContextValue;
}

SoundManager::SoundManager()
{
    openShared("SoundManager::SoundManager");
    alcMakeContextCurrent(sharedContextValue);
    KVCheckALCError(sharedDevice, "SoundManager::SoundManager: alcMakeContextCurrent");
    KVCheckALError("SoundManager::SoundManager");
    for (int i = 0; i < kSourceCount; ++i)
        free_.insert(new KVAudioSource);
    liveManagers().insert(this);
}

SoundManager::~SoundManager()
{
    liveManagers().erase(this);
    KVCheckALError("SoundManager::~SoundManager");
    KVCheckALCError(sharedDevice, "SoundManager::~SoundManager");
    alcMakeContextCurrent(sharedContext());
    KVCheckALCError(sharedDevice, "SoundManager::~SoundManager: alcMakeContextCurrent");
    const std::vector<KVAudioSource*> playing(playing_.begin(), playing_.end());
    for (KVAudioSource* source : playing)
        stopSource(source);
    playing_.clear();
    for (KVAudioSource* source : reserved_) {
        // Owners of sources that never played must forget them too.
        if (source->stopCallback)
            source->stopCallback(source);
        delete source;
    }
    for (KVAudioSource* source : free_)
        delete source;
    reserved_.clear();
    free_.clear();
    KVDeleteUnusedOpenALBuffers();
}

bool SoundManager::isLive(const SoundManager* manager)
{
    return manager && liveManagers().count(manager) != 0;
}

KVAudioSource* SoundManager::reserveSource()
{
    KVCheckALError("SoundManager::reserveSource");
    if (free_.empty())
        return nullptr;
    KVAudioSource* source = *free_.begin();
    free_.erase(free_.begin());
    reserved_.insert(source);
    source->setToDefault();
    return source;
}

void SoundManager::playSource(KVAudioSource* source)
{
    if (!checkSource(source, "playSource"))
        return;
    playing_.insert(source);
    source->play();
}

void SoundManager::pauseSource(KVAudioSource* source)
{
    if (!checkSource(source, "pauseSource"))
        return;
    source->pause();
}

void SoundManager::restartSource(KVAudioSource* source)
{
    if (!checkSource(source, "restartSource"))
        return;
    source->play();
}

void SoundManager::stopSource(KVAudioSource* source)
{
    if (!checkSource(source, "stopSource"))
        return;
    source->stop();
    playing_.erase(source);
    recycleSource(source);
    if (source->stopCallback)
        source->stopCallback(source);
}

void SoundManager::recycleSource(KVAudioSource* source)
{
    if (!checkSource(source, "recycleSource"))
        return;
    source->unqueueBuffers();
    free_.insert(source);
    reserved_.erase(source);
}

void SoundManager::update()
{
    // Callbacks may reserve or stop sources: walk a copy.
    const std::vector<KVAudioSource*> playing(playing_.begin(), playing_.end());
    for (KVAudioSource* source : playing) {
        if (!playing_.count(source) || !source->isStopped())
            continue;
        alSourcei(source->source(), AL_BUFFER, 0);
        playing_.erase(source);
        recycleSource(source);
        if (source->stopCallback)
            source->stopCallback(source);
    }
    KVDeleteUnusedOpenALBuffers();
}

void SoundManager::suspend()
{
    KVCheckALError("SoundManager::suspend");
    KVCheckALCError(sharedDevice, "SoundManager::suspend");
    alcMakeContextCurrent(nullptr);
    KVCheckALCError(sharedDevice, "SoundManager::suspend: alcMakeContextCurrent");
    alcSuspendContext(sharedContext());
    KVCheckALCError(sharedDevice, "SoundManager::suspend: alcSuspendContext");
}

void SoundManager::resume()
{
    KVCheckALError("SoundManager::resume");
    KVCheckALCError(sharedDevice, "SoundManager::resume");
    alcMakeContextCurrent(sharedContext());
    KVCheckALCError(sharedDevice, "SoundManager::resume: alcMakeContextCurrent");
    alcProcessContext(sharedContext());
    KVCheckALCError(sharedDevice, "SoundManager::resume: alcProcessContext");
}

void SoundManager::makeCurrent()
{
    KVCheckALError("SoundManager::makeCurrent");
    KVCheckALCError(sharedDevice, "SoundManager::makeCurrent");
    alcMakeContextCurrent(sharedContext());
    KVCheckALCError(sharedDevice, "SoundManager::makeCurrent: alcMakeContextCurrent");
}
