// A thread with its own run loop. The body runs the loop in slices and ends
// once the thread is cancelled; work is sent to it with or without waiting.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/runloop/KVRunLoop.h"

class KVRunLoopThread {
public:
    using Task = std::function<void()>;
    // The body receives the thread; it should run runLoop() in slices until
    // isCancelled().
    using Body = std::function<void(KVRunLoopThread&)>;

    explicit KVRunLoopThread(Body body);
    // Cancels and joins.
    ~KVRunLoopThread();
    KVRunLoopThread(const KVRunLoopThread&) = delete;
    KVRunLoopThread& operator=(const KVRunLoopThread&) = delete;

    void start();
    KVRunLoop& runLoop() { return loop_; }
    bool isCurrent() const;
    bool isCancelled() const { return cancelled_.load(); }
    bool hasEnded() const;

    // Marks the thread cancelled and wakes its loop; messages still queued
    // are dropped, not delivered.
    void cancel();
    // Waits for the body to return (serving the main-thread queue when
    // called on the main thread) and joins. Does nothing on the thread itself.
    void join();

    // Runs the task on the thread. With wait, returns once it has run (at
    // once, inline, when called on the thread itself). Answers false when
    // the thread was cancelled or has ended, so the task will never run.
    bool perform(Task task, bool wait);

private:
    void main();

    Body body_;
    KVRunLoop loop_;
    std::thread thread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<std::thread::id> id_{};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    bool ended_ = false;
};
