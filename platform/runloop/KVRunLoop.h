// A thread's message queue and timers on a steady clock. Whoever owns the
// thread calls runUntil in slices; any thread may queue work with perform.
// Messages run in the order they were queued, each pass delivering queued
// messages before due timers, so work queued during a timer tick runs after
// that tick and before the next one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

class KVRunLoop {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;
    using TimerID = uint64_t;

    KVRunLoop() = default;
    KVRunLoop(const KVRunLoop&) = delete;
    KVRunLoop& operator=(const KVRunLoop&) = delete;

    // The run loop running on the calling thread, or null.
    static KVRunLoop* current();

    // Queues a message; any thread.
    void perform(Task task);
    // Drops every queued message without running it.
    void discardPending();

    // A repeating timer whose first tick is one interval from now; an
    // interval of 0 ticks on every pass of the loop. Ticks keep a fixed
    // schedule, each due one interval after the previous due time, so a
    // late tick does not push the later ones back; a loop that has fallen
    // more than an interval behind skips to the next due time still ahead
    // instead of firing the missed ticks in a burst.
    TimerID addTimer(double intervalSeconds, Task tick);
    void invalidateTimer(TimerID id);
    // The interval of a timer, or a negative number when there is none.
    double timerInterval(TimerID id) const;
    // When a timer is next due (during its tick: the tick after it), or the
    // clock's epoch when there is no such timer.
    Clock::time_point timerFireDate(TimerID id) const;

    // Delivers messages and fires timers until the deadline, or until
    // wakeUp is called. A message or tick that throws ends the run with its
    // exception (the loop stays usable).
    void runUntil(Clock::time_point deadline);
    void runFor(double seconds) { runUntil(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))); }
    // Makes the current or next runUntil return at once; any thread.
    void wakeUp();

private:
    struct Timer {
        Clock::duration interval;
        Clock::time_point due;
        std::shared_ptr<Task> tick;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> messages_;
    std::map<TimerID, Timer> timers_;
    TimerID nextTimer_ = 1;
    bool woken_ = false;
};
