// The player application: opens the window, shows the intro, creates the
// game's Lua state and view, fades into the game, and tears everything down
// at the end; window events and input go through its event router. Headless
// runs take the same path with an offscreen window, no intro and frames back
// to back.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/notify/KVNotificationCenter.h"
#include "player/common/GameBundle.h"
#include "player/common/KVGameWindow.h"
#include "player/common/KVKeyboardInputSupport.h"
#include "player/common/KVLuaState.h"
#include "player/common/KVMetricsSupport.h"
#include "player/common/KVOpenURLSupport.h"
#include "player/common/KVThreadedGameView.h"
#include "player/standalone/CommandLine.h"
#include "player/standalone/KVApplication.h"
#include "player/standalone/KVFrameStats.h"
#include "player/standalone/KVInputRecorder.h"
#include "player/standalone/KVIntroViewController.h"
#include "player/standalone/KVSDLEventRouter.h"
#include "player/standalone/KVScriptedInput.h"
#include "player/standalone/KVVideoRecorder.h"

class KVSDLGameWindow;

class KelvanePlayerAppDelegate : public KVApplication::Delegate, private KVSDLEventRouter::Client {
public:
    static constexpr const char* ShouldExitFullscreenNotification = "KVShouldExitFullscreenNotification";
    static constexpr double FadeSeconds = 1.0;
    static constexpr double LoadingWidth = 480;
    static constexpr double LoadingHeight = 320;

    KelvanePlayerAppDelegate(KVApplication& app, const GameBundle& bundle, const PlayerOptions& options);
    ~KelvanePlayerAppDelegate() override;

    bool applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;
    void handleEvent(const SDL_Event& event) override { router_.handleEvent(event); }
    void tick(double now) override;

    void windowWillClose() override;
    void shouldExitFullscreen();
    void toggleFullScreen() override;

    bool introFinished() const { return introFinished_; }
    void setIntroFinished(bool finished);
    bool gameReady() const { return gameReady_; }
    void setGameReady(bool ready);

    std::string bundleName() const { return bundle_.name(); }
    // The saved-values prefix ".../<CFBundleName>/save.data", made with its
    // folder (a folder that cannot be made is logged).
    std::string savePath() const;

    bool makeNewLuaState();
    // The engine script cannot be loaded: one line naming it and the reason
    // (in a window, shown there first), and the run ends with status 1.
    void cannotStart(const std::string& reason);
    void freeOldLuaState();
    void createGameView();
    void loadGameBundle();
    void loadAndCreateGameView();
    void actuallyStartGame();
    void playGame();
    void setCenteredWindowFrameWithSize(KVSize size);
    void animationDidStop(bool finished);

    KVGameWindow* window() const override { return window_.get(); }
    KVThreadedGameView* gameView() const override { return gameView_.get(); }
    KVLuaState* luaState() const { return luaState_.get(); }
    bool isPlaying() const override { return playing_; }
    KVKeyboardInputSupport* keyboardInputSupport() const override { return keyboardInputSupport_.get(); }
    const KVControllerRouter& controllers() const { return router_.controllers(); }

private:
    void gameDidEnd();
    void afterFrame(long frame, double milliseconds);
    bool writeScreenshot();
    // The recording and the film completed, their failures reported.
    void finishRecordings();
    // The shown keyboard prompt's answer from scripted input (headless
    // runs never wait).
    void servePrompt();

    KVApplication& app_;
    const GameBundle& bundle_;
    PlayerOptions options_;

    std::unique_ptr<KVGameWindow> window_;
    KVSDLGameWindow* sdlWindow_ = nullptr;  // the same window, when there is one
    std::unique_ptr<KVIntroViewController> introViewController_;
    bool introFinished_ = false;
    bool gameReady_ = false;
    std::unique_ptr<KVThreadedGameView> gameView_;
    bool fadingOut_ = false;
    double fadeStartedAt_ = -1;
    Ref<KVLuaState> luaState_;
    std::string gamePath_;
    bool startFullScreen_ = false;
    Ref<KVKeyboardInputSupport> keyboardInputSupport_;
    Ref<KVOpenURLSupport> openUrlSupport_;
    Ref<KVMetricsSupport> metricsSupport_;

    bool contextOnMainThread_ = false;
    bool playing_ = false;
    bool screenshotTaken_ = false;
    bool terminated_ = false;
    std::optional<KVNotificationCenter::Token> fullScreenObserver_;
    std::optional<KVScriptedInput> scriptedInput_;
    std::unique_ptr<KVInputRecorder> inputRecorder_;
    std::unique_ptr<KVVideoRecorder> videoRecorder_;
    KVFrameStats stats_;
    KVSDLEventRouter router_{*this};
};
