#include "player/standalone/HeadlessRunner.h"

#include <chrono>
#include <csignal>
#include <cstdio>

#include "platform/paths/XdgPaths.h"
#include "player/common/KVLuaState.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

constexpr float kFixedStep = 1.0f / 60.0f;

}  // namespace

HeadlessRunner::HeadlessRunner(const PlayerOptions& options, const GameBundle& bundle)
    : options_(options), bundle_(bundle)
{
}

bool HeadlessRunner::savePath(std::string* path) const
{
    const std::string folder =
        options_.saveDir.empty() ? XdgPaths::dataHome() + "/" + bundle_.name() : options_.saveDir;
    std::string error;
    if (!XdgPaths::makeFolders(folder, &error)) {
        std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
        return false;
    }
    *path = folder + "/save.data";
    return true;
}

int HeadlessRunner::run()
{
    std::string save;
    if (!savePath(&save))
        return 1;

    KVLuaState game(options_.pool ? 1 : 0);
    if (!game.valid())
        return 1;
    bool ended = false;
    game.setGameDidEnd([&ended] { ended = true; });

    stopRequested = 0;
    auto previousInt = std::signal(SIGINT, requestStop);
    auto previousTerm = std::signal(SIGTERM, requestStop);

    game.initEngine(bundle_.enginePath(), save);
    game.loadGame(bundle_.projectPath());
    KV_State* state = game.engineState();
    KV_Reset(state);
    KV_Play(state);

    auto last = std::chrono::steady_clock::now();
    for (long frame = 0; !ended && !stopRequested && (!options_.frames || frame < *options_.frames); ++frame) {
        float elapsed = kFixedStep;
        if (!options_.fixedStep) {
            const auto now = std::chrono::steady_clock::now();
            elapsed = std::chrono::duration<float>(now - last).count();
            last = now;
        }
        KV_Update(state, elapsed);
    }
    KV_Stop(state);

    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    std::fflush(stdout);
    return 0;
}
