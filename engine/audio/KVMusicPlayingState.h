// Music playing: a new piece replaces it; pause and stop act on it.
#pragma once

#include "engine/audio/KVMusicState.h"

class KVMusicPlayingState : public KVMusicState {
public:
    using KVMusicState::KVMusicState;

    int play(const std::string& path, bool looping) override;
    int pause() override;
    int stop() override;
};
