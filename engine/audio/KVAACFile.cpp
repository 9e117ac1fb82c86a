#include "engine/audio/KVAACFile.h"

#include <cstdint>

#include "engine/audio/KVMusicManager.h"

void KVPlayAACFile(const char* path, int looping)
{
    const bool loops = static_cast<uint8_t>(looping) != 0;
    KVMusicManager::sharedMusicManager().playMusic(path ? path : "", loops);
}

void KVPauseAACFile()
{
    KVMusicManager::sharedMusicManager().pauseMusic();
}

void KVStopAACFile()
{
    KVMusicManager::sharedMusicManager().stopMusic();
}

void SetAACFileVolume(float volume)
{
    KVMusicManager::sharedMusicManager().setVolume(volume);
}

bool IsAACFilePlaying()
{
    return KVMusicManager::sharedMusicManager().isPlaying();
}
