#include "engine/audio/KVMusicStoppedState.h"

#include "engine/audio/KVMusic.h"

int KVMusicStoppedState::play(const std::string& path, bool looping)
{
    if (path.empty())
        return kStopped;
    // Nothing plays here, so nothing is stopped first.
    if (!currentKVMusic->initSound(path, looping))
        return kStopped;
    currentKVMusic->play();
    return kPlaying;
}

int KVMusicStoppedState::pause()
{
    return kStopped;
}

int KVMusicStoppedState::stop()
{
    return kStopped;
}
