// Background music for the whole process: one music object and a machine
// of three states (playing, paused, stopped) that decides what play, pause
// and stop requests mean. It follows requests only: a piece that ends by
// itself leaves it playing, and isPlaying() then answers false.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/audio/KVMusic.h"
#include "engine/audio/KVMusicState.h"

class KVMusicManager {
public:
    // Created on first use, safely from any thread; lives until exit.
    static KVMusicManager& sharedMusicManager();

    // Starts in the stopped state.
    KVMusicManager();
    KVMusicManager(const KVMusicManager&) = delete;
    KVMusicManager& operator=(const KVMusicManager&) = delete;

    void playMusic(const std::string& path, bool looping);
    void pauseMusic();
    void stopMusic();
    // Makes the state with this number current (unknown numbers are ignored).
    void transitionToNewState(int state);
    void setVolume(float volume);
    float getVolume() const;
    bool isPlaying() const;

    KVMusicState* currentState() const { return currentState_; }
    void setCurrentState(KVMusicState* state) { currentState_ = state; }
    // The number of the current state.
    int currentStateNumber() const;

private:
    KVMusic currentKVMusic_;
    std::map<int, std::unique_ptr<KVMusicState>> states_;
    KVMusicState* currentState_ = nullptr;
};
