#include "player/standalone/HeadlessRunner.h"

#include <GL/gl.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "platform/gl/EGLOffscreenContext.h"
#include "platform/gl/FramebufferCapture.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/paths/XdgPaths.h"
#include "player/common/KVLuaState.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

constexpr float kFixedStep = 1.0f / 60.0f;
constexpr int kLoadingWidth = 480;
constexpr int kLoadingHeight = 320;
constexpr unsigned kLargestSide = 8192;

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

    // The engine draws into an offscreen surface of the loading size until
    // the game says how large it wants to be.
    std::string error;
    auto context = EGLOffscreenContext::create(kLoadingWidth, kLoadingHeight, &error);
    if (!context || !context->makeCurrent()) {
        std::fprintf(stderr, "kelvane-player: cannot draw offscreen: %s\n", error.c_str());
        return 1;
    }
    KVSetGameViewDrawingState();
    glViewport(0, 0, kLoadingWidth, kLoadingHeight);

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

    unsigned width = 0, height = 0;
    if (game.hasGlobalTable("game"))
        KV_GetIntendedDisplaySize(state, &width, &height);
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) {
        width = kLoadingWidth;
        height = kLoadingHeight;
    }
    if (!context->resize(static_cast<int>(width), static_cast<int>(height), &error))
        std::fprintf(stderr, "kelvane-player: keeping a %dx%d surface: %s\n", context->width(), context->height(),
                     error.c_str());
    glViewport(0, 0, context->width(), context->height());
    if (game.hasGlobalTable("devices"))
        KV_SetScreenSize(state, context->width(), context->height());

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
        context->swap();
    }

    int status = 0;
    if (!options_.screenshot.empty() &&
        !KVWriteFramebufferPNG(options_.screenshot, context->width(), context->height(), &error)) {
        std::fprintf(stderr, "kelvane-player: cannot write the screenshot %s: %s\n", options_.screenshot.c_str(),
                     error.c_str());
        status = 1;
    }
    KV_Stop(state);

    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    std::fflush(stdout);
    return status;
}
