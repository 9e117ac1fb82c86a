// Music paused: play without a piece resumes it.
#pragma once

#include "engine/audio/KVMusicState.h"

class KVMusicPausedState : public KVMusicState {
public:
    using KVMusicState::KVMusicState;

    int play(const std::string& path, bool looping) override;
    int pause() override;
    int stop() override;
};
