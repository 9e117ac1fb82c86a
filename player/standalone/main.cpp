// kelvane-player: runs a Kelvane game bundle, in a window or headless.
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/media/KVSoundOutput.h"
#include "player/common/GameBundle.h"
#include "player/common/GameLocator.h"
#include "player/standalone/CommandLine.h"
#include "player/standalone/KVApplication.h"
#include "player/standalone/KVControllerMapping.h"
#include "player/standalone/KelvanePlayerAppDelegate.h"

int main(int argc, char** argv)
{
    // What the game prints shows up at once, also in a log file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const CommandLineResult parsed = parseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "kelvane-player: %s\n%s", parsed.error.c_str(), commandLineUsage());
        return 2;
    }
    const PlayerOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(commandLineUsage(), stdout);
        return 0;
    }
    if (options.controllerHelp) {
        std::fputs(KVControllerMapping::help().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kelvane-player %s\n", KV_PLAYER_VERSION);
        return 0;
    }
    // OpenAL Soft reads its configuration once: headless runs play into the
    // null device unless the user chose another.
    if (options.headless)
        KVSoundOutput::chooseHeadlessDriver();

    std::string error;
    const auto path = GameLocator::locate(options.bundle, GameLocator::executablePath(), &error);
    if (!path) {
        std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
        return 1;
    }
    const auto bundle = GameBundle::open(*path, &error);
    if (!bundle) {
        std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
        return 1;
    }
    if (!options.headless) {
        // The click that focuses the window is a click in the game too.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "kelvane-player: cannot open a window: %s\n", SDL_GetError());
            return 1;
        }
        // Headless runs stay repeatable: controllers only reach a window.
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
            std::fprintf(stderr, "kelvane-player: no game controllers: %s\n", SDL_GetError());
    }
    int status;
    {
        KVApplication app(!options.headless);
        KelvanePlayerAppDelegate delegate(app, *bundle, options);
        status = app.run(delegate);
    }
    if (!options.headless)
        SDL_Quit();
    return status;
}
