#include "player/standalone/KelvanePlayerAppDelegate.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "engine/assets/KVImageResources.h"
#include "engine/bridge/LuaErrorException.h"
#include "engine/bridge/LuaObject.h"
#include "platform/bundle/KVLocalizedStrings.h"
#include "platform/files/KVFileLookup.h"
#include "platform/image/KVBitmap.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNull.h"
#include "platform/paths/XdgPaths.h"
#include "platform/runloop/KVMainThreadQueue.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "player/common/KVOffscreenGameWindow.h"
#include "player/standalone/KVIntroMovieViewController.h"
#include "player/standalone/KVLoadingImageViewController.h"
#include "player/standalone/KVSDLGameWindow.h"

namespace {

// Game states left alive at exit, still reachable (leak checkers stay quiet).
// The list itself is never destroyed: a static vector would be freed by the
// static destructors, which run before a leak checker looks.
std::vector<KVLuaState*>& keptAtExit()
{
    static auto* kept = new std::vector<KVLuaState*>;
    return *kept;
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The script's teardown calls are each allowed to fail on their own.
template <class Call>
void ignoringLuaErrors(const char* what, Call call)
{
    try {
        call();
    } catch (const LuaErrorException& e) {
        KVLogLine("KelvanePlayerAppDelegate freeOldLuaState (%s): Lua Error caught (and ignored): %s", what,
                  e.luaError().c_str());
    } catch (const std::exception& e) {
        KVLogLine("KelvanePlayerAppDelegate freeOldLuaState (%s): %s", what, e.what());
    }
}

// A run that cannot start says why in one line.
bool refuse(const std::string& error)
{
    std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
    return false;
}

}  // namespace

KelvanePlayerAppDelegate::KelvanePlayerAppDelegate(KVApplication& app, const GameBundle& bundle,
                                                   const PlayerOptions& options)
    : app_(app), bundle_(bundle), options_(options)
{
}

KelvanePlayerAppDelegate::~KelvanePlayerAppDelegate()
{
    if (fullScreenObserver_)
        KVNotificationCenter::defaultCenter().removeObserver(*fullScreenObserver_);
    gameView_.reset();
    if (luaState_ && window_)
        window_->context().makeCurrent();
    luaState_ = nullptr;
    introViewController_.reset();
}

std::string KelvanePlayerAppDelegate::savePath() const
{
    const std::string folder =
        options_.saveDir.empty() ? XdgPaths::dataHome() + "/" + bundleName() : options_.saveDir;
    std::string error;
    // Without its folder the game still has its "database" module: loads
    // answer nil and stores are lost.
    if (!XdgPaths::makeFolders(folder, &error))
        KVLogLine("Cannot create the save folder %s: %s; saved values are lost", folder.c_str(), error.c_str());
    return folder + "/save.data";
}

bool KelvanePlayerAppDelegate::applicationDidFinishLaunching()
{
    // The files the run reads and writes first: a run that cannot have
    // them does not start.
    std::string error;
    if (!options_.input.empty() && !(scriptedInput_ = KVScriptedInput::load(options_.input, &error)))
        return refuse(error);
    if (!options_.record.empty() && !(inputRecorder_ = KVInputRecorder::create(options_.record, &error)))
        return refuse(error);
    if (!options_.video.empty()) {
        // Before any OpenAL call: the sound is mixed for the film.
        KVVideoRecorder::Options video;
        video.dropWhenBehind = !options_.headless;
        video.playSound = !options_.headless;
        if (!(videoRecorder_ = KVVideoRecorder::create(options_.video, video, &error)))
            return refuse(error);
    }

    // The bundle's own pictures ("image_missing.png") before the player's.
    std::vector<std::string> imageFolders = KVPlayerImageResourceFolders();
    imageFolders.insert(imageFolders.begin(), bundle_.resourcesPath());
    KVSetImageResourceFolders(imageFolders);

    KVLocalizedStrings::setMainTable(std::make_shared<const KVLocalizedStrings>(KVLocalizedStrings::forResources(
        bundle_.resourcesPath(), KVLocalizedStrings::preferredLanguages())));

    const KVSize loading{LoadingWidth, LoadingHeight};
    if (options_.headless) {
        auto offscreen = KVOffscreenGameWindow::create(static_cast<int>(loading.width),
                                                       static_cast<int>(loading.height), &error);
        if (offscreen && !offscreen->context().makeCurrent())
            error = "cannot make the offscreen context current", offscreen.reset();
        window_ = std::move(offscreen);
    } else {
        auto sdl = KVSDLGameWindow::create(bundleName(), loading, &error);
        if (sdl)
            sdl->setSwapInterval(options_.noVsync ? 0 : 1);
        sdlWindow_ = sdl.get();
        window_ = std::move(sdl);
    }
    if (!window_)
        return refuse(error);
    contextOnMainThread_ = true;

    startFullScreen_ = options_.fullScreen.value_or(bundle_.info().boolean("KVStartFullscreen", false));
    if (startFullScreen_)
        window_->setFullScreen(true);

    if (!options_.headless) {
        const std::string image = KVFileLookup::shared().find(bundle_.resourcesPath() + "/Default.png");
        const std::string movie = KVFileLookup::shared().find(bundle_.resourcesPath() + "/intro-mac.mov");
        if (isFile(image)) {
            auto controller = KVLoadingImageViewController::load(image, &error);
            if (controller) {
                if (!startFullScreen_)
                    setCenteredWindowFrameWithSize(controller->naturalSize());
                introViewController_ = std::move(controller);
            } else {
                KVLogLine("%s", error.c_str());
            }
        }
        if (!introViewController_ && isFile(movie)) {
            auto controller = KVIntroMovieViewController::open(movie, &error);
            if (!controller->playable())
                KVLogLine("%s", error.c_str());
            introViewController_ = std::move(controller);
        }
    }
    // Both are nothing for the offscreen window.
    window_->show();
    window_->startTextInput();

    // Game controllers, when their subsystem is up (windowed runs, tests).
    router_.startControllers(bundleName(), sdlWindow_);

    gamePath_ = bundle_.projectPath();
    fullScreenObserver_ = KVNotificationCenter::defaultCenter().addObserver(
        ShouldExitFullscreenNotification, nullptr, [this](const KVNotification&) {
            // May be posted by the script on the render thread.
            KVMainThreadQueue::main().performAsync([this] { shouldExitFullscreen(); });
        });

    if (introViewController_)
        introViewController_->setOnFinished([this] { setIntroFinished(true); });
    else
        setIntroFinished(true);  // nothing to show: go straight on
    return true;
}

void KelvanePlayerAppDelegate::setIntroFinished(bool finished)
{
    introFinished_ = finished;
    if (finished)
        app_.performAfter(0.01, [this] { loadAndCreateGameView(); });
}

void KelvanePlayerAppDelegate::setGameReady(bool ready)
{
    gameReady_ = ready;
    if (ready && introFinished_)
        actuallyStartGame();
}

bool KelvanePlayerAppDelegate::makeNewLuaState()
{
    freeOldLuaState();
    luaState_ = KVLuaState::create(bundle_.enginePath(), savePath(), options_.pool ? 1 : 0);
    if (!luaState_)
        return false;
    luaState_->setGameDidEnd([this] { gameDidEnd(); });
    return true;
}

void KelvanePlayerAppDelegate::gameDidEnd()
{
    // No frame after the one that ended the game.
    if (gameView_ && gameView_->thread() && gameView_->thread()->isCurrent())
        gameView_->stopAnimation();
    app_.terminate();
}

void KelvanePlayerAppDelegate::freeOldLuaState()
{
    if (!luaState_)
        return;
    Ref<KVLuaState> old = luaState_;
    auto teardown = [this, old] {
        window_->context().makeCurrent();
        old->makeOpenALContextCurrent();
        ignoringLuaErrors("switchToScene", [&] {
            Ref<KVObject> game = old->game();
            if (auto* object = dynamic_cast<LuaObject*>(game.get()))
                object->invokeMethod("switchToScene", {KVNull::null()});
        });
        ignoringLuaErrors("removeCurrentView", [&] { old->callMethod("removeCurrentView", "Renderer"); });
        ignoringLuaErrors("freeGLAssets", [&] { old->callMethod("freeGLAssets", "AssetManager"); });
        old->collectGarbage();
        // Closed where the context is current: shutdownEngine may free textures.
        old->close();
    };
    if (gameView_ && gameView_->thread() && playing_) {
        // The old game's frames and teardown belong to the render thread.
        gameView_->performOnRenderThread([this] { gameView_->stopAnimation(); }, true);
        gameView_->setLuaState(nullptr);
        gameView_->performOnRenderThread(teardown, true);
        playing_ = false;
    } else {
        if (gameView_)
            gameView_->setLuaState(nullptr);
        if (!contextOnMainThread_ && gameView_)
            gameView_->performOnRenderThread(teardown, true);
        else
            teardown();
    }
    luaState_ = nullptr;
}

void KelvanePlayerAppDelegate::createGameView()
{
    gameView_ = std::make_unique<KVThreadedGameView>(*window_);
    KVGameView::FrameOptions frames;
    frames.fixedStep = options_.fixedStep;
    frames.backToBack = options_.headless || options_.noVsync;
    if (scriptedInput_) {
        // A shown prompt takes the events that follow (servePrompt).
        scriptedInput_->setHold([this] { return router_.shownPrompt() != nullptr; });
        frames.beforeFrame = [this](long frame) { scriptedInput_->deliver(frame, *gameView_); };
    }
    frames.afterFrame = [this](long frame, double ms) { afterFrame(frame, ms); };
    if (inputRecorder_)
        frames.onInput = [this](long frame, const std::string& function, const LuaArguments& args) {
            inputRecorder_->scriptInput(frame, function, args, *gameView_);
        };
    gameView_->setFrameOptions(std::move(frames));
    if (contextOnMainThread_)
        gameView_->prepareOpenGL();
}

void KelvanePlayerAppDelegate::afterFrame(long frame, double milliseconds)
{
    stats_.record(milliseconds);
    if (videoRecorder_) {
        const KVSize size = window_->drawableSize();
        videoRecorder_->captureFrame(frame, static_cast<int>(size.width), static_cast<int>(size.height),
                                     gameView_->animationFrameInterval());
    }
    if (options_.frames && frame + 1 >= *options_.frames) {
        // The last frame: keep it, stop drawing, and end the run.
        if (!options_.screenshot.empty())
            writeScreenshot();
        if (videoRecorder_)
            videoRecorder_->endCapture();
        gameView_->stopAnimation();
        app_.terminate();
    }
}

bool KelvanePlayerAppDelegate::writeScreenshot()
{
    screenshotTaken_ = true;
    std::string error;
    const KVSize size = window_->drawableSize();
    // Screenshots are opaque, as the picture on screen is.
    KVBitmap shot = KVBitmap::fromFramebuffer(static_cast<int>(size.width), static_cast<int>(size.height));
    shot.dropAlpha();
    if (!shot.savePNG(options_.screenshot, &error)) {
        std::fprintf(stderr, "kelvane-player: cannot write the screenshot %s: %s\n", options_.screenshot.c_str(),
                     error.c_str());
        app_.terminate(1);
        return false;
    }
    return true;
}

void KelvanePlayerAppDelegate::finishRecordings()
{
    std::string error, note;
    if (inputRecorder_ && !inputRecorder_->finish(&error)) {
        std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
        app_.terminate(1);
    }
    if (videoRecorder_) {
        const bool filmed = videoRecorder_->finish(&error, &note);
        if (!note.empty())
            std::fprintf(stderr, "kelvane-player: %s\n", note.c_str());
        if (!filmed) {
            std::fprintf(stderr, "kelvane-player: %s\n", error.c_str());
            app_.terminate(1);
        }
    }
}

void KelvanePlayerAppDelegate::loadGameBundle()
{
    gameView_->setDrawingEnabled(false);
    // Before the render thread touches the state: no lock needed.
    KV_LoadGame(luaState_->S(), gamePath_.c_str());
    KV_Reset(luaState_->S());
    gameView_->setLuaState(luaState_.get());
    gameView_->setDrawingEnabled(true);
    gameView_->setCropToFit(bundle_.info().boolean("KVOverscan", false));
    // With no intro to show, the window takes the game's size at once.
    if (!introViewController_ && !startFullScreen_) {
        const KVSize intended = luaState_->intendedDisplaySize();
        if (intended.width > 0 && intended.height > 0)
            setCenteredWindowFrameWithSize(intended);
    }
    gameView_->reshape();
}

void KelvanePlayerAppDelegate::loadAndCreateGameView()
{
    if (app_.isTerminating())
        return;
    std::string reason;
    if (!KVLuaState::engineScriptLoads(bundle_.enginePath(), &reason)) {
        cannotStart(reason);
        return;
    }
    if (!makeNewLuaState()) {
        std::fprintf(stderr, "kelvane-player: %s: cannot create the game's Lua state\n", bundle_.path().c_str());
        app_.terminate(1);
        return;
    }
    if (!gameView_)
        createGameView();
    loadGameBundle();
    keyboardInputSupport_ = KVKeyboardInputSupport::create(gameView_.get(), window_.get());
    if (inputRecorder_)
        keyboardInputSupport_->keyboardInputViewController().setOnEdit(
            [this](KVKeyboardInputViewController::Edit edit, const std::string& text) {
                inputRecorder_->promptEdit(gameView_->framesDrawn(), edit, text);
            });
    openUrlSupport_ = KVOpenURLSupport::create(gameView_.get());
    metricsSupport_ = KVMetricsSupport::create(gameView_.get());
    setGameReady(true);
}

void KelvanePlayerAppDelegate::cannotStart(const std::string& reason)
{
    // Lua names the file in most of its messages, but not in all
    // ("not enough memory").
    const std::string& path = bundle_.enginePath();
    std::string why = reason;
    if (why.compare(0, path.size(), path) == 0)
        why.erase(0, why.find_first_not_of(": ", path.size()));
    const std::string where = reason.compare(0, path.size(), path) == 0 ? reason : path + ": " + reason;
    std::fprintf(stderr, "kelvane-player: cannot start the game: %s\n", where.c_str());
    if (window_)
        window_->showError(bundleName(), "The game cannot start.\n\n" + path + "\n" + why);
    app_.terminate(1);
}

void KelvanePlayerAppDelegate::actuallyStartGame()
{
    fadingOut_ = true;
    if (!introViewController_) {
        animationDidStop(true);
        return;
    }
    fadeStartedAt_ = KVApplication::now();
}

void KelvanePlayerAppDelegate::servePrompt()
{
    KVKeyboardInputViewController* prompt = router_.shownPrompt();
    if (!prompt)
        return;
    if (scriptedInput_ && scriptedInput_->answerPrompt(*prompt))
        return;
    // A controller can answer it; otherwise a headless run never waits.
    if (options_.headless && !router_.controllers().hasControllers()) {
        KVLogLine("KeyboardInput: no scripted answer (text, then keydown return); confirming \"%s\"",
                  prompt->text().c_str());
        prompt->finishedEnteringText();
    }
}

void KelvanePlayerAppDelegate::tick(double now)
{
    router_.update(now);
    servePrompt();
    if (!contextOnMainThread_ || !introViewController_ || !sdlWindow_)
        return;
    float opacity = 1;
    if (fadingOut_) {
        const double t = (now - fadeStartedAt_) / FadeSeconds;
        if (t >= 1) {
            animationDidStop(true);
            return;
        }
        opacity = static_cast<float>(1 - t);
    } else {
        introViewController_->update(now);
    }
    if (!introViewController_)
        return;
    introViewController_->draw(window_->drawableSize(), opacity);
    window_->context().swap();
}

void KelvanePlayerAppDelegate::animationDidStop(bool)
{
    if (!fadingOut_)
        return;
    fadingOut_ = false;
    introViewController_.reset();
    if (startFullScreen_)
        window_->setFullScreen(false);
    const KVSize intended = luaState_->intendedDisplaySize();
    const KVSize content = window_->contentSize();
    if (intended.width > 0 && intended.height > 0) {
        if (intended.width != content.width || intended.height != content.height)
            setCenteredWindowFrameWithSize(intended);
        // Always the game's own shape: a view created while the window was
        // full screen (or sized to the loading image) has another one.
        gameView_->setOriginalAspectRatio(static_cast<float>(intended.width / intended.height));
    }
    gameView_->reshape();
    gameView_->setDrawingEnabled(true);
    // From here on the context belongs to the render thread.
    window_->context().releaseCurrent();
    contextOnMainThread_ = false;
    playGame();
}

void KelvanePlayerAppDelegate::playGame()
{
    if (app_.isTerminating())
        return;
    playing_ = true;
    if (options_.frames && *options_.frames == 0) {
        gameView_->playWaitUntilDone(true);
        gameView_->performOnRenderThread([this] { gameView_->stopAnimation(); }, true);
        app_.terminate();
        return;
    }
    // Full screen before the first frame, so no frame (and no scripted
    // input) sees the window size in between.
    if (startFullScreen_)
        gameView_->setFullScreen(true);
    router_.setControllerGameView(gameView_.get());
    gameView_->playWaitUntilDone(false);
}

void KelvanePlayerAppDelegate::setCenteredWindowFrameWithSize(KVSize size)
{
    window_->setCenteredContentSize(size);
}

void KelvanePlayerAppDelegate::windowWillClose()
{
    app_.terminate();
}

void KelvanePlayerAppDelegate::shouldExitFullscreen()
{
    if (gameView_ && gameView_->fullScreen())
        app_.performAfter(0.01, [this] { toggleFullScreen(); });
}

void KelvanePlayerAppDelegate::toggleFullScreen()
{
    if (gameView_ && playing_)
        gameView_->toggleFullScreen();
}

void KelvanePlayerAppDelegate::applicationWillTerminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    router_.setControllerGameView(nullptr);
    if (fullScreenObserver_) {
        KVNotificationCenter::defaultCenter().removeObserver(*fullScreenObserver_);
        fullScreenObserver_.reset();
    }
    if (gameView_) {
        if (playing_ && !options_.screenshot.empty() && !screenshotTaken_)
            gameView_->performOnRenderThread([this] { writeScreenshot(); }, true);
        if (playing_ && videoRecorder_)
            gameView_->performOnRenderThread([this] { videoRecorder_->endCapture(); }, true);
        gameView_->stopWaitUntilDone(true);
        gameView_->destroyThread();
    }
    finishRecordings();
    if (options_.stats) {
        const int64_t bytes = luaState_ ? luaState_->bytesInUse() : 0;
        std::printf("%s\n", stats_.summary(bytes).c_str());
        if (videoRecorder_)
            std::printf("%s\n", videoRecorder_->statsSummary().c_str());
    }
    // The engine state is not destroyed at exit, so the script's
    // shutdownEngine does not run; what the game saved is completed on disk.
    if (gameView_)
        gameView_->setLuaState(nullptr);
    if (luaState_) {
        luaState_->saveForExit();
        keptAtExit().push_back(luaState_.leak());
    }
    std::fflush(stdout);
}
