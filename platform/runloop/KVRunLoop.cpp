#include "platform/runloop/KVRunLoop.h"

#include <memory>

namespace {

thread_local KVRunLoop* currentLoop = nullptr;

// Restores the thread's current loop however the run ends.
class CurrentLoopScope {
public:
    explicit CurrentLoopScope(KVRunLoop* loop) : previous_(currentLoop) { currentLoop = loop; }
    ~CurrentLoopScope() { currentLoop = previous_; }

private:
    KVRunLoop* previous_;
};

}  // namespace

KVRunLoop* KVRunLoop::current()
{
    return currentLoop;
}

void KVRunLoop::perform(Task task)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(std::move(task));
    }
    changed_.notify_all();
}

void KVRunLoop::discardPending()
{
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dropped.swap(messages_);
    }
    // Destroyed outside the lock: a task's captures may queue more work.
}

KVRunLoop::TimerID KVRunLoop::addTimer(double intervalSeconds, Task tick)
{
    if (!(intervalSeconds > 0))
        intervalSeconds = 0;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(intervalSeconds));
    TimerID id;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        id = nextTimer_++;
        timers_[id] = Timer{interval, Clock::now() + interval, std::make_shared<Task>(std::move(tick))};
    }
    changed_.notify_all();
    return id;
}

void KVRunLoop::invalidateTimer(TimerID id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    timers_.erase(id);
}

double KVRunLoop::timerInterval(TimerID id) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end())
        return -1;
    return std::chrono::duration<double>(it->second.interval).count();
}

KVRunLoop::Clock::time_point KVRunLoop::timerFireDate(TimerID id) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = timers_.find(id);
    return it == timers_.end() ? Clock::time_point{} : it->second.due;
}

void KVRunLoop::wakeUp()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

void KVRunLoop::runUntil(Clock::time_point deadline)
{
    CurrentLoopScope scope(this);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (woken_) {
            woken_ = false;
            return;
        }
        if (!messages_.empty()) {
            Task task = std::move(messages_.front());
            messages_.pop_front();
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            continue;
        }
        const auto now = Clock::now();
        if (now >= deadline)
            return;
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (next == timers_.end() || it->second.due < next->second.due)
                next = it;
        if (next != timers_.end() && next->second.due <= now) {
            Timer& timer = next->second;
            timer.due += timer.interval;
            if (timer.due <= now)
                timer.due += timer.interval.count() > 0 ? ((now - timer.due) / timer.interval + 1) * timer.interval
                                                         : now - timer.due;
            std::shared_ptr<Task> tick = timer.tick;
            lock.unlock();
            (*tick)();
            tick.reset();
            lock.lock();
            continue;
        }
        const auto wakeAt = next != timers_.end() && next->second.due < deadline ? next->second.due : deadline;
        changed_.wait_until(lock, wakeAt);
    }
}
