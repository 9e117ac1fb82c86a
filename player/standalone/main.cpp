// kelvane-player: runs a Kelvane game bundle.
#include <cstdio>

#include "player/common/GameBundle.h"
#include "player/standalone/CommandLine.h"
#include "player/standalone/HeadlessRunner.h"

int main(int argc, char** argv)
{
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
    if (options.version) {
        std::printf("kelvane-player %s\n", KV_PLAYER_VERSION);
        return 0;
    }

    std::string error;
    const auto bundle = GameBundle::open(options.bundle, &error);
    if (!bundle) {
        std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
        return 1;
    }
    if (!options.headless) {
        std::fprintf(stderr, "kelvane-player: windowed play is not available yet; use --headless\n");
        return 2;
    }
    return HeadlessRunner(options, *bundle).run();
}
