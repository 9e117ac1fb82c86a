// One state of the music manager's machine: it carries out play, pause and
// stop requests on the music and answers the number of the state to go to.
#pragma once

#include <string>

class KVMusic;

class KVMusicState {
public:
    static constexpr int kPlaying = 0;
    static constexpr int kPaused = 1;
    static constexpr int kStopped = 2;

    explicit KVMusicState(KVMusic* music) : currentKVMusic(music) {}
    virtual ~KVMusicState() = default;

    // A path counts when it is not empty.
    virtual int play(const std::string& path, bool looping) = 0;
    virtual int pause() = 0;
    virtual int stop() = 0;

protected:
    // Stops the music, loads the path and plays it: playing, or stopped
    // when the file cannot be loaded.
    int loadAndPlay(const std::string& path, bool looping);

    KVMusic* currentKVMusic;  // not owned
};
