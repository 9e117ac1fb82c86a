#include "engine/audio/KVMusicManager.h"

#include "engine/audio/KVMusicPausedState.h"
#include "engine/audio/KVMusicPlayingState.h"
#include "engine/audio/KVMusicStoppedState.h"

KVMusicManager& KVMusicManager::sharedMusicManager()
{
    static KVMusicManager shared;
    return shared;
}

KVMusicManager::KVMusicManager()
{
    states_[KVMusicState::kPlaying] = std::make_unique<KVMusicPlayingState>(&currentKVMusic_);
    states_[KVMusicState::kPaused] = std::make_unique<KVMusicPausedState>(&currentKVMusic_);
    states_[KVMusicState::kStopped] = std::make_unique<KVMusicStoppedState>(&currentKVMusic_);
    currentState_ = states_[KVMusicState::kStopped].get();
}

void KVMusicManager::playMusic(const std::string& path, bool looping)
{
    transitionToNewState(currentState_->play(path, looping));
}

void KVMusicManager::pauseMusic()
{
    transitionToNewState(currentState_->pause());
}

void KVMusicManager::stopMusic()
{
    transitionToNewState(currentState_->stop());
}

void KVMusicManager::transitionToNewState(int state)
{
    const auto found = states_.find(state);
    if (found != states_.end() && found->second.get() != currentState_)
        currentState_ = found->second.get();
}

void KVMusicManager::setVolume(float volume)
{
    currentKVMusic_.setVolume(volume);
}

float KVMusicManager::getVolume() const
{
    return currentKVMusic_.getVolume();
}

bool KVMusicManager::isPlaying() const
{
    return currentKVMusic_.isPlaying();
}

int KVMusicManager::currentStateNumber() const
{
    for (const auto& [number, state] : states_)
        if (state.get() == currentState_)
            return number;
    return -1;
}
