// The player's command line.
#pragma once

#include <optional>
#include <string>

struct PlayerOptions {
    bool headless = false;
    std::optional<bool> fullScreen;  // --fullscreen / --windowed; else the bundle decides
    std::optional<long> frames;      // stop after this many frames
    bool fixedStep = false;          // every frame advances exactly 1/60 s
    bool noVsync = false;            // a window's frames run back to back, unsynchronised
    std::string saveDir;             // empty: the XDG data folder of the game
    std::string screenshot;          // PNG of the last frame, when set
    std::string input;               // scripted input file, when set
    std::string record;              // every input event the game receives, in the input file's format
    std::string video;               // the run filmed: .mp4 (H.264) or .webm (VP9), with its sound
    bool stats = false;              // one line of frame statistics at exit
    bool pool = false;               // Lua allocates from the pool allocator
    bool help = false;
    bool controllerHelp = false;  // the controller mapping format and its names
    bool version = false;
    std::string bundle;  // a bundle folder or a .zip holding one; empty: the one around the program
};

struct CommandLineResult {
    std::optional<PlayerOptions> options;
    std::string error;  // set when options is empty
};

CommandLineResult parseCommandLine(int argc, const char* const* argv);
const char* commandLineUsage();
