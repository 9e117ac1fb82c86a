#include "engine/audio/KVMusicPausedState.h"

#include "engine/audio/KVMusic.h"

int KVMusicPausedState::play(const std::string& path, bool looping)
{
    if (!path.empty())
        return loadAndPlay(path, looping);
    if (!currentKVMusic->isValid())
        return kStopped;
    currentKVMusic->resume();
    return kPlaying;
}

int KVMusicPausedState::pause()
{
    return kPaused;
}

int KVMusicPausedState::stop()
{
    currentKVMusic->stop();
    return kStopped;
}
