// No music: only play with a piece does anything.
#pragma once

#include "engine/audio/KVMusicState.h"

class KVMusicStoppedState : public KVMusicState {
public:
    using KVMusicState::KVMusicState;

    int play(const std::string& path, bool looping) override;
    int pause() override;
    int stop() override;
};
