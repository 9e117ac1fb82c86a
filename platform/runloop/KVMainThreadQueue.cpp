#include "platform/runloop/KVMainThreadQueue.h"

#include <exception>

#include "platform/objects/KVLogLine.h"

KVMainThreadQueue& KVMainThreadQueue::main()
{
    static KVMainThreadQueue queue;
    return queue;
}

void KVMainThreadQueue::performAsync(Task task)
{
    if (!task)
        return;
    std::lock_guard<std::mutex> guard(mutex_);
    tasks_.push_back(std::move(task));
}

size_t KVMainThreadQueue::drain()
{
    std::deque<Task> batch;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        batch.swap(tasks_);
    }
    for (auto& task : batch) {
        try {
            task();
        } catch (const std::exception& e) {
            KVLogLine("A task on the main thread failed: %s", e.what());
        } catch (...) {
            KVLogLine("A task on the main thread failed");
        }
    }
    return batch.size();
}

size_t KVMainThreadQueue::pendingCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tasks_.size();
}
