#include "engine/audio/KVMusicPlayingState.h"

#include "engine/audio/KVMusic.h"

int KVMusicPlayingState::play(const std::string& path, bool looping)
{
    if (path.empty())
        return kPlaying;
    return loadAndPlay(path, looping);
}

int KVMusicPlayingState::pause()
{
    if (!currentKVMusic->isValid())
        return kStopped;
    currentKVMusic->pause();
    return kPaused;
}

int KVMusicPlayingState::stop()
{
    currentKVMusic->stop();
    return kStopped;
}
