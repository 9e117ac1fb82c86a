#include "player/common/KVThreadedGameView.h"

#include <chrono>
#include <exception>

#include "engine/bridge/LuaErrorException.h"
#include "platform/objects/KVLogLine.h"
#include "player/common/KVLuaState.h"

KVThreadedGameView::KVThreadedGameView(KVGameWindow& window) : KVGameView(window)
{
    createThread();
}

KVThreadedGameView::~KVThreadedGameView()
{
    destroyThread();
}

void KVThreadedGameView::createThread()
{
    if (thread_)
        return;
    thread_ = std::make_unique<KVRunLoopThread>([this](KVRunLoopThread& thread) { runLoop(thread); });
    thread_->start();
}

void KVThreadedGameView::destroyThread()
{
    if (!thread_)
        return;
    std::unique_ptr<KVRunLoopThread> thread = std::move(thread_);
    thread->cancel();
    thread->join();
}

void KVThreadedGameView::runLoop(KVRunLoopThread& thread)
{
    const auto slice = std::chrono::duration_cast<KVRunLoop::Clock::duration>(std::chrono::duration<double>(RunLoopSlice));
    while (!thread.isCancelled()) {
        try {
            thread.runLoop().runUntil(KVRunLoop::Clock::now() + slice);
        } catch (const LuaErrorException& e) {
            KVLogLine("LuaState runLoop: Lua Error caught (and ignored): %s", e.luaError().c_str());
        } catch (const std::exception& e) {
            // Ending the thread would freeze the game for good; report and
            // carry on with the next message or frame.
            KVLogLine("LuaState runLoop: exception caught (and ignored): %s", e.what());
        } catch (...) {
            KVLogLine("LuaState runLoop: exception caught (and ignored)");
        }
    }
    // The timer belongs to this thread's loop, which ends here.
    stopAnimation();
    window().context().releaseCurrent();
}

bool KVThreadedGameView::performOnRenderThread(KVRunLoopThread::Task task, bool wait)
{
    if (!thread_)
        return false;
    return thread_->perform(std::move(task), wait);
}

void KVThreadedGameView::drawRect()
{
    if (isDrawingOnSeparateThread())
        return;
    if (!thread_) {
        KVGameView::drawRect();
        return;
    }
    performOnRenderThread([this] { KVGameView::drawRect(); }, false);
}

void KVThreadedGameView::setNeedsOverlayDisplay()
{
    if (!thread_) {
        KVGameView::setNeedsOverlayDisplay();
        return;
    }
    performOnRenderThread([this] { redisplayOverlay(); }, false);
}

void KVThreadedGameView::postEvent(const std::string& function, const LuaArguments& args)
{
    if (!thread_) {
        KVGameView::postEvent(function, args);
        return;
    }
    performOnRenderThread([this, function, args] { postEventHelper(function, args); }, false);
}

void KVThreadedGameView::postEventHelper(const std::string& function, const LuaArguments& args)
{
    KVGameView::postEvent(function, args);
}

void KVThreadedGameView::playWaitUntilDone(bool wait)
{
    performOnRenderThread([this] { play(); }, wait);
    drawingOnSeparateThread_.store(true);
}

void KVThreadedGameView::pauseWaitUntilDone(bool wait, bool initiatedBySystem)
{
    if (initiatedBySystem)
        performOnRenderThread([this] { pause(); }, wait);
    else
        performOnRenderThread([this] { nonSystemPause(); }, wait);
}

void KVThreadedGameView::stopWaitUntilDone(bool wait)
{
    performOnRenderThread([this] { stop(); }, wait);
    drawingOnSeparateThread_.store(false);
}
