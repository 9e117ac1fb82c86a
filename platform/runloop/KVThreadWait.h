// Waiting across threads without deadlock. The main thread never blocks
// outright on another thread or on a lock another thread may hold: while it
// waits it keeps running the main-thread queue. So a thread that holds a lock
// and waits for the main thread (a keyboard prompt waits for the user) is
// always served, even while the main thread is itself waiting for it.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

class KVMainThreadQueue;

class KVThreadWait {
public:
    // Declares the calling thread the main thread (the application does this
    // first thing; tests do it in their own thread).
    static void markMainThread();
    static bool isMainThread();

    // The queue a waiting main thread serves; the application's by default.
    static void setServedQueue(KVMainThreadQueue* queue);
    static KVMainThreadQueue& servedQueue();

    // Blocks until ready() holds (checked under lock, which the caller holds
    // and which is released while waiting; ready is signalled through cv).
    static void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                          const std::function<bool()>& ready);

    // Takes a lock given as its try-lock and lock functions.
    static void acquire(const std::function<bool()>& tryLock, const std::function<void()>& lock);

    // Runs the task on the main thread and returns once it ran (at once
    // when called on the main thread). An exception the task throws is
    // reported there on one log line.
    static void performOnMainThreadAndWait(const std::function<void()>& task);
};
