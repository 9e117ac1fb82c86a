#include "engine/audio/KVMusicState.h"

#include "engine/audio/KVMusic.h"

int KVMusicState::loadAndPlay(const std::string& path, bool looping)
{
    currentKVMusic->stop();
    if (!currentKVMusic->initSound(path, looping))
        return kStopped;
    currentKVMusic->play();
    return kPlaying;
}
