// The player application: opens the window, shows the intro, creates the
// game's Lua state and view, fades into the game, routes window events and
// input, and tears everything down at the end. Headless runs take the same
// path with an offscreen window, no intro and frames back to back.
#pragma once

#include <memory>
#include <optional>
#include <set>
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
#include "player/standalone/KVControllerRouter.h"
#include "player/standalone/KVFrameStats.h"
#include "player/standalone/KVInputRecorder.h"
#include "player/standalone/KVIntroViewController.h"
#include "player/standalone/KVSDLInputTranslator.h"
#include "player/standalone/KVScriptedInput.h"
#include "player/standalone/KVVideoRecorder.h"

class KVSDLGameWindow;

class KelvanePlayerAppDelegate : public KVApplication::Delegate {
public:
    static constexpr const char* ShouldExitFullscreenNotification = "KVShouldExitFullscreenNotification";
    static constexpr double FadeSeconds = 1.0;
    static constexpr double LoadingWidth = 480;
    static constexpr double LoadingHeight = 320;

    KelvanePlayerAppDelegate(KVApplication& app, const GameBundle& bundle, const PlayerOptions& options);
    ~KelvanePlayerAppDelegate() override;

    bool applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;
    void handleEvent(const SDL_Event& event) override;
    void tick(double now) override;

    void windowWillClose();
    void shouldExitFullscreen();
    void toggleFullScreen();

    bool introFinished() const { return introFinished_; }
    void setIntroFinished(bool finished);
    bool gameReady() const { return gameReady_; }
    void setGameReady(bool ready);

    std::string bundleName() const { return bundle_.name(); }
    // The saved-values prefix ".../<CFBundleName>/save.data", made with its
    // folder (a folder that cannot be made is logged).
    std::string savePath() const;

    bool makeNewLuaState();
    void freeOldLuaState();
    void createGameView();
    void loadGameBundle();
    void loadAndCreateGameView();
    void actuallyStartGame();
    void playGame();
    void setCenteredWindowFrameWithSize(KVSize size);
    void animationDidStop(bool finished);

    KVGameWindow* window() const { return window_.get(); }
    KVThreadedGameView* gameView() const { return gameView_.get(); }
    KVLuaState* luaState() const { return luaState_.get(); }
    bool isPlaying() const { return playing_; }
    KVKeyboardInputSupport* keyboardInputSupport() const { return keyboardInputSupport_.get(); }
    const KVControllerRouter& controllers() const { return controllers_; }

private:
    void gameDidEnd();
    void afterFrame(long frame, double milliseconds);
    bool writeScreenshot();
    // The recording and the film completed, their failures reported.
    void finishRecordings();
    void keyEvent(const SDL_Event& event);
    bool isShowingPrompt() const;
    // The keyboard prompt's share of the main loop: its text-input area,
    // and its answer from scripted input (headless runs never wait).
    void servePrompt();
    // Window input while the prompt is shown; true when the prompt took it.
    bool promptEvent(const SDL_Event& event);

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
    bool promptServed_ = false;  // the shown prompt has its text-input area

    bool contextOnMainThread_ = false;
    bool playing_ = false;
    bool pausedByMinimise_ = false;
    bool screenshotTaken_ = false;
    bool terminated_ = false;
    std::optional<KVNotificationCenter::Token> fullScreenObserver_;
    std::optional<KVScriptedInput> scriptedInput_;
    std::unique_ptr<KVInputRecorder> inputRecorder_;
    std::unique_ptr<KVVideoRecorder> videoRecorder_;
    KVFrameStats stats_;
    KVSDLInputTranslator translator_;
    KVControllerRouter controllers_;
    std::set<int> playerKeysDown_;  // scancodes of presses the player kept for itself
};
