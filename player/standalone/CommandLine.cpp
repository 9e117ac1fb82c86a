#include "player/standalone/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* commandLineUsage()
{
    return "Usage: kelvane-player [options] BUNDLE\n"
           "Runs a Kelvane game bundle (Name.app).\n"
           "\n"
           "Options:\n"
           "  --headless       run without a window, drawing offscreen, with no sound card\n"
           "  --frames N       stop after N frames\n"
           "  --fixed-step     advance every frame by exactly 1/60 s\n"
           "  --save-dir DIR   keep saved values in DIR instead of the game's data folder\n"
           "  --screenshot PNG write the last frame to the file PNG\n"
           "  --pool           let Lua allocate from the pooled allocator\n"
           "  --help           show this text\n"
           "  --version        show the version\n";
}

CommandLineResult parseCommandLine(int argc, const char* const* argv)
{
    CommandLineResult result;
    PlayerOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* option) -> const char* {
            if (i + 1 >= argc) {
                result.error = std::string(option) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (std::strcmp(arg, "--headless") == 0) {
            options.headless = true;
        } else if (std::strcmp(arg, "--fixed-step") == 0) {
            options.fixedStep = true;
        } else if (std::strcmp(arg, "--pool") == 0) {
            options.pool = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            const char* text = value(arg);
            if (!text)
                return result;
            char* end = nullptr;
            errno = 0;
            const long frames = std::strtol(text, &end, 10);
            if (errno || end == text || *end || frames < 0) {
                result.error = std::string("--frames: not a frame count: ") + text;
                return result;
            }
            options.frames = frames;
        } else if (std::strcmp(arg, "--save-dir") == 0) {
            const char* text = value(arg);
            if (!text)
                return result;
            options.saveDir = text;
        } else if (std::strcmp(arg, "--screenshot") == 0) {
            const char* text = value(arg);
            if (!text)
                return result;
            options.screenshot = text;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            result.error = std::string("unknown option ") + arg;
            return result;
        } else if (options.bundle.empty()) {
            options.bundle = arg;
        } else {
            result.error = std::string("more than one game given: ") + arg;
            return result;
        }
    }
    if (!options.help && !options.version && options.bundle.empty()) {
        result.error = "no game bundle given";
        return result;
    }
    result.options = options;
    return result;
}
