#include "player/standalone/KVApplication.h"

#include <SDL2/SDL.h>

#include <csignal>
#include <thread>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVThreadWait.h"

namespace {

volatile std::sig_atomic_t signalled = 0;

void onSignal(int)
{
    signalled = 1;
}

// Pause of an idle pass; events, the main queue and delayed work are looked
// at about this often.
constexpr Uint32 kEventWaitMilliseconds = 2;
constexpr auto kIdleWait = std::chrono::milliseconds(1);

}  // namespace

KVApplication::KVApplication(bool withEvents) : withEvents_(withEvents)
{
    KVThreadWait::markMainThread();
    signalled = 0;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

KVApplication::~KVApplication()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

double KVApplication::now()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void KVApplication::terminate(int status)
{
    if (status != 0)
        status_.store(status);
    terminateRequested_.store(true);
}

void KVApplication::performAfter(double seconds, Task task)
{
    const auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    timers_.emplace(due, std::move(task));
}

void KVApplication::fireTimers()
{
    const auto now = Clock::now();
    while (!timers_.empty() && timers_.begin()->first <= now) {
        Task task = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        task();
    }
}

bool KVApplication::runOnce(Delegate& delegate)
{
    if (terminated_)
        return false;
    if (!launched_) {
        launched_ = true;
        if (!delegate.applicationDidFinishLaunching()) {
            terminate(1);
        }
    }
    // Game controllers deliver events without a window too.
    if (withEvents_ || SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        // Polled, not waited for: SDL wakes a waiting loop by sending an X
        // event to the window, which fails fatally once the window is gone.
        SDL_Event event;
        bool any = false;
        while (SDL_PollEvent(&event)) {
            any = true;
            delegate.handleEvent(event);
        }
        if (!any && !KVThreadWait::servedQueue().pendingCount())
            SDL_Delay(kEventWaitMilliseconds);
    } else if (!KVThreadWait::servedQueue().pendingCount()) {
        std::this_thread::sleep_for(kIdleWait);
    }
    KVThreadWait::servedQueue().drain();
    fireTimers();
    if (signalled)
        terminate();
    if (!isTerminating())
        delegate.tick(now());
    if (isTerminating()) {
        terminated_ = true;
        delegate.applicationWillTerminate();
        return false;
    }
    return true;
}

int KVApplication::run(Delegate& delegate)
{
    while (runOnce(delegate)) {
    }
    return status_.load();
}
