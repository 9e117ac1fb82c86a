// The game view the player uses: the frame loop and every entry into the
// script during play run on one render thread with its own run loop, so the
// main thread only handles the window and events. Lifecycle requests and
// input reach that thread as messages; input never waits.
#pragma once

#include <atomic>
#include <memory>

#include "platform/runloop/KVRunLoopThread.h"
#include "player/common/KVGameView.h"

class KVThreadedGameView : public KVGameView {
public:
    // Slice of the render loop between checks for cancellation.
    static constexpr double RunLoopSlice = 0.1;

    // The render thread starts at once.
    explicit KVThreadedGameView(KVGameWindow& window);
    ~KVThreadedGameView() override;

    void createThread();
    // Cancels the render thread and waits for it to end (within one slice,
    // or once the frame it is drawing is done); queued messages are dropped.
    void destroyThread();
    KVRunLoopThread* thread() const { return thread_.get(); }
    bool isDrawingOnSeparateThread() const { return drawingOnSeparateThread_.load(); }

    // Nothing while the render thread draws; otherwise a redisplay on the
    // render thread (the context is current there only).
    void drawRect() override;
    void postEvent(const std::string& function, const LuaArguments& args) override;
    void postEventHelper(const std::string& function, const LuaArguments& args);
    // The overlay is redrawn on the render thread, without waiting.
    void setNeedsOverlayDisplay() override;

    void playWaitUntilDone(bool wait);
    void pauseWaitUntilDone(bool wait, bool initiatedBySystem);
    void stopWaitUntilDone(bool wait);

    // Runs work on the render thread (inline when called there); false when
    // there is no thread to run it.
    bool performOnRenderThread(KVRunLoopThread::Task task, bool wait);

private:
    void runLoop(KVRunLoopThread& thread);

    std::unique_ptr<KVRunLoopThread> thread_;
    std::atomic<bool> drawingOnSeparateThread_{false};
};
