#include "platform/runloop/KVThreadWait.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/runloop/KVMainThreadQueue.h"

namespace {

std::atomic<std::thread::id> mainThread{};
std::atomic<KVMainThreadQueue*> served{nullptr};

// How often a waiting main thread looks at its queue.
constexpr auto kServeInterval = std::chrono::milliseconds(1);

}  // namespace

void KVThreadWait::markMainThread()
{
    mainThread.store(std::this_thread::get_id());
}

bool KVThreadWait::isMainThread()
{
    return mainThread.load() == std::this_thread::get_id();
}

void KVThreadWait::setServedQueue(KVMainThreadQueue* queue)
{
    served.store(queue);
}

KVMainThreadQueue& KVThreadWait::servedQueue()
{
    KVMainThreadQueue* queue = served.load();
    return queue ? *queue : KVMainThreadQueue::main();
}

void KVThreadWait::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                             const std::function<bool()>& ready)
{
    if (!isMainThread()) {
        cv.wait(lock, ready);
        return;
    }
    while (!ready()) {
        if (servedQueue().pendingCount()) {
            lock.unlock();
            servedQueue().drain();
            lock.lock();
            continue;
        }
        cv.wait_for(lock, kServeInterval);
    }
}

void KVThreadWait::acquire(const std::function<bool()>& tryLock, const std::function<void()>& lock)
{
    if (!isMainThread()) {
        lock();
        return;
    }
    while (!tryLock()) {
        if (servedQueue().pendingCount())
            servedQueue().drain();
        else
            std::this_thread::sleep_for(kServeInterval);
    }
}

void KVThreadWait::performOnMainThreadAndWait(const std::function<void()>& task)
{
    if (isMainThread()) {
        task();
        return;
    }
    struct Completion {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto completion = std::make_shared<Completion>();
    servedQueue().performAsync([completion, task] {
        // Signalled however the task ends, so the waiter is never stranded.
        struct Signal {
            Completion& c;
            ~Signal()
            {
                {
                    std::lock_guard<std::mutex> lock(c.mutex);
                    c.done = true;
                }
                c.cv.notify_all();
            }
        } signal{*completion};
        task();
    });
    std::unique_lock<std::mutex> lock(completion->mutex);
    completion->cv.wait(lock, [&] { return completion->done; });
}
