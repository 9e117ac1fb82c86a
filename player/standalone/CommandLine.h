// The player's command line.
#pragma once

#include <optional>
#include <string>

struct PlayerOptions {
    bool headless = false;
    std::optional<long> frames;  // stop after this many frames
    bool fixedStep = false;      // every frame advances exactly 1/60 s
    std::string saveDir;         // empty: the XDG data folder of the game
    std::string screenshot;      // PNG of the last frame, when set
    bool pool = false;           // Lua allocates from the pool allocator
    bool help = false;
    bool version = false;
    std::string bundle;
};

struct CommandLineResult {
    std::optional<PlayerOptions> options;
    std::string error;  // set when options is empty
};

CommandLineResult parseCommandLine(int argc, const char* const* argv);
const char* commandLineUsage();
