// The view the game is drawn in: the frame timer that drives the engine
// script, the game's aspect ratio in full screen, and input translated into
// calls of the script's input functions. KVThreadedGameView runs the same
// loop on a thread of its own.
//
// Locks: the context lock serialises drawing and reshaping, the Lua state
// lock every entry into the script; when both are held the context lock is
// taken first. On the main thread both are taken while serving the main
// queue, so a drawing thread that waits for the main thread is never stuck.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "engine/bridge/LuaState.h"
#include "platform/runloop/KVRunLoop.h"
#include "player/common/KVGameWindow.h"
#include "player/common/KVViewGeometry.h"

class KVLuaState;

// A key press or release as the window reports it.
struct KVKeyEvent {
    uint32_t character = 0;  // first UTF-16 unit typed; 0 when it typed nothing
    bool isRepeat = false;
    bool isEscape = false;  // the Escape key itself, whatever it typed
};

class KVGameView {
public:
    static constexpr double SecondsPerFrameInterval = 0.016666666666666666;

    // How frames are driven besides the timer. Headless runs and tests use
    // these; a windowed game leaves them off.
    struct FrameOptions {
        bool fixedStep = false;   // every frame advances exactly 1/60 s
        bool backToBack = false;  // no waiting between frames
        // On the drawing thread before frame n (counted from 0), with no lock
        // held: deliver scripted input with deliverEvent.
        std::function<void(long frame)> beforeFrame;
        // On the drawing thread after frame n, with the context current and
        // locked, before the frame is presented; milliseconds the frame took.
        std::function<void(long frame, double milliseconds)> afterFrame;
        // As each input event reaches the script, on the thread that calls
        // it, with no lock held: the frame it comes before, the script's
        // function and its arguments (for recording input).
        std::function<void(long frame, const std::string& function, const LuaArguments& args)> onInput;
    };

    explicit KVGameView(KVGameWindow& window);
    virtual ~KVGameView();
    KVGameView(const KVGameView&) = delete;
    KVGameView& operator=(const KVGameView&) = delete;

    KVGameWindow& window() const { return window_; }

    bool drawingEnabled() const { return drawingEnabled_.load(); }
    void setDrawingEnabled(bool enabled);
    KVLuaState* luaState() const { return luaState_.load(); }
    void setLuaState(KVLuaState* state);
    long animationFrameInterval() const { return animationFrameInterval_.load(); }
    // Takes effect at the next startAnimation.
    void setAnimationFrameInterval(long interval) { animationFrameInterval_.store(interval); }
    // The timer's interval in seconds for the current frame interval.
    double frameTimerInterval() const;
    bool animating() const { return animating_.load(); }
    // The interval of the scheduled frame timer in seconds, or a negative
    // number when none is scheduled; on the loop's thread.
    double scheduledTimerInterval() const;
    bool fullScreen() const { return fullScreen_.load(); }
    bool cropToFit() const { return cropToFit_.load(); }
    void setCropToFit(bool crop) { cropToFit_.store(crop); }
    float originalAspectRatio() const { return originalAspectRatio_.load(); }
    void setOriginalAspectRatio(float ratio) { originalAspectRatio_.store(ratio); }
    KVViewGeometry geometry() const;

    void setFrameOptions(FrameOptions options) { frameOptions_ = std::move(options); }

    // Drawn over every frame and redisplay, on the drawing thread with the
    // context current and locked; receives the drawable size in pixels and
    // answers whether it drew anything. Any thread may set it.
    using Overlay = std::function<bool(KVSize drawable)>;
    void setOverlay(Overlay overlay);
    // While the loop is not running: draws the overlay alone and presents
    // it, if it draws anything (on the loop's thread).
    void redisplayOverlay();
    // Asks the loop's thread for redisplayOverlay (this view: at once).
    virtual void setNeedsOverlayDisplay() { redisplayOverlay(); }
    long framesDrawn() const { return frames_.load(); }

    // Sets the drawing state every frame starts from; the context must be
    // current on the calling thread.
    void prepareOpenGL();

    // Lifecycle, on the thread that runs the loop.
    void play();
    void pause() { pauseInitiatedBySystem(true); }
    void nonSystemPause() { pauseInitiatedBySystem(false); }
    void pauseInitiatedBySystem(bool system);
    void stop();
    void resetTimebase();
    void startAnimation();
    void stopAnimation();

    // One timer tick: update and present.
    void drawView();
    void drawFrame();
    // A redisplay while the loop is not running: render, or clear to black
    // while drawing is disabled.
    virtual void drawRect();
    void refreshFrame();

    // The window was resized or entered or left full screen (main thread).
    void reshape();
    void updateScreenSize(KVSize size);
    void setFullScreen(bool fullScreen);
    void toggleFullScreen() { setFullScreen(!fullScreen()); }

    // Input from the window, on the main thread. Points are window points
    // with the origin at the top left.
    void keyDown(const KVKeyEvent& event);
    void keyUp(const KVKeyEvent& event);
    void flagsChanged(uint64_t modifierFlags);
    void mouseDown(KVPoint windowPoint);
    void mouseUp(KVPoint windowPoint);
    void mouseMoved(KVPoint windowPoint);
    void mouseDragged(KVPoint windowPoint) { mouseMoved(windowPoint); }
    KVPoint convertWindowPoint(KVPoint windowPoint) const;
    // The window point a mouse position the script received came from.
    KVPoint windowPointForGamePoint(KVPoint gamePoint) const;

    // Calls the script's global function with the arguments under the state
    // lock; a Lua error reaches the caller as LuaErrorException.
    virtual void postEvent(const std::string& function, const LuaArguments& args);
    // The direct call, with a Lua error logged and ignored as the render
    // loop does; for scripted input delivered at the start of a frame.
    void deliverEvent(const std::string& function, const LuaArguments& args);

private:
    // Holds the context lock and then, when given a state, that state's lock
    // (serving the main thread while it waits) for a scope; released in the
    // reverse order however the scope ends.
    class FrameLock;

    void keyEvent(const KVKeyEvent& event, const char* function);
    void postMouse(const char* function, KVPoint windowPoint);
    void applyPendingViewport();
    bool drawOverlay();

    KVGameWindow& window_;
    std::atomic<bool> drawingEnabled_{false};
    std::atomic<KVLuaState*> luaState_{nullptr};
    KVRunLoop* timerLoop_ = nullptr;
    KVRunLoop::TimerID animationTimer_ = 0;
    std::atomic<long> animationFrameInterval_{1};
    std::atomic<bool> animating_{false};
    float currentTime_ = 0;
    std::atomic<bool> fullScreen_{false};
    std::atomic<bool> cropToFit_{true};
    std::atomic<float> originalAspectRatio_{1.5f};
    uint64_t currentModifierFlags_ = 0;
    uint64_t previousModifierFlags_ = 0;

    std::mutex contextMutex_;
    mutable std::mutex geometryMutex_;
    KVViewGeometry geometry_;
    bool viewportPending_ = true;

    FrameOptions frameOptions_;
    std::atomic<long> frames_{0};
    std::mutex overlayMutex_;
    Overlay overlay_;
};
