// The one piece of background music: a stream loaded from a file, and the
// volume it plays at.
#pragma once

#include <memory>
#include <string>

class KVMusicStream;

class KVMusic {
public:
    KVMusic();
    ~KVMusic();
    KVMusic(const KVMusic&) = delete;
    KVMusic& operator=(const KVMusic&) = delete;

    // Drops the current piece and loads this one; false, with one line
    // naming the file, when it cannot be played.
    bool initSound(const std::string& path, bool looping);
    void play();
    void stop();
    void pause();
    void resume();
    // Without a piece the value is not kept.
    void setVolume(float volume);
    float getVolume() const;
    bool isPlaying() const;
    bool isValid() const { return currentMusicAsset_ != nullptr; }

private:
    std::unique_ptr<KVMusicStream> currentMusicAsset_;
    float volume_ = 1.0f;
};
