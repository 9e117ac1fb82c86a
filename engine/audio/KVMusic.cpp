#include "engine/audio/KVMusic.h"

#include "platform/files/KVFileLookup.h"
#include "platform/media/KVMusicStream.h"
#include "platform/media/KVSoundOutput.h"
#include "platform/objects/KVLogLine.h"

// The output is opened first so that, at exit, it outlives the music: the
// music thread ends before the device closes.
KVMusic::KVMusic()
{
    KVSoundOutput::device();
}

KVMusic::~KVMusic() = default;

bool KVMusic::initSound(const std::string& path, bool looping)
{
    currentMusicAsset_.reset();
    std::string error;
    currentMusicAsset_ = KVMusicStream::open(KVFileLookup::shared().find(path), looping, &error);
    if (!currentMusicAsset_) {
        KVLogLine("Music not played: %s", error.c_str());
        return false;
    }
    return true;
}

void KVMusic::play()
{
    if (!currentMusicAsset_)
        return;
    currentMusicAsset_->setVolume(volume_);
    currentMusicAsset_->play();
}

void KVMusic::pause()
{
    if (!currentMusicAsset_)
        return;
    currentMusicAsset_->setVolume(volume_);
    currentMusicAsset_->pause();
}

void KVMusic::stop()
{
    if (currentMusicAsset_)
        currentMusicAsset_->stop();
}

void KVMusic::resume()
{
    if (currentMusicAsset_)
        currentMusicAsset_->resume();
}

void KVMusic::setVolume(float volume)
{
    if (!currentMusicAsset_)
        return;
    volume_ = volume;
    // Paused music takes the new volume too, so it resumes at it.
    currentMusicAsset_->setVolume(volume);
}

float KVMusic::getVolume() const
{
    return currentMusicAsset_ ? volume_ : 1.0f;
}

bool KVMusic::isPlaying() const
{
    return currentMusicAsset_ && currentMusicAsset_->isPlaying();
}
