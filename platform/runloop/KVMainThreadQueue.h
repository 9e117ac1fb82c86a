// Work handed to the main thread without waiting: any thread queues a task,
// the application loop (or a test) drains the queue on the main thread.
// Tasks run in the order they were queued.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

class KVMainThreadQueue {
public:
    using Task = std::function<void()>;

    // The application's main-thread queue, drained by its event loop.
    static KVMainThreadQueue& main();

    KVMainThreadQueue() = default;
    KVMainThreadQueue(const KVMainThreadQueue&) = delete;
    KVMainThreadQueue& operator=(const KVMainThreadQueue&) = delete;

    void performAsync(Task task);

    // Runs the tasks queued before the call (tasks they queue wait for the
    // next drain, so a task that requeues itself cannot starve the loop) and
    // returns how many ran. A task that throws is reported on one log line.
    size_t drain();

    size_t pendingCount() const;

private:
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
};
