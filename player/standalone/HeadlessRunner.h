// Runs a game without a window: frames back to back, driven by the options.
#pragma once

#include "player/common/GameBundle.h"
#include "player/standalone/CommandLine.h"

class HeadlessRunner {
public:
    HeadlessRunner(const PlayerOptions& options, const GameBundle& bundle);

    // Plays the game until the frame count, the script's game end, or
    // SIGINT/SIGTERM; answers the process exit status.
    int run();

private:
    bool savePath(std::string* path) const;

    const PlayerOptions& options_;
    const GameBundle& bundle_;
};
