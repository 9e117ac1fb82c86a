#include "platform/runloop/KVRunLoopThread.h"

#include <memory>

#include "platform/objects/KVLogLine.h"
#include "platform/runloop/KVThreadWait.h"

KVRunLoopThread::KVRunLoopThread(Body body) : body_(std::move(body)) {}

KVRunLoopThread::~KVRunLoopThread()
{
    cancel();
    join();
}

void KVRunLoopThread::start()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_)
        return;
    started_ = true;
    thread_ = std::thread([this] { main(); });
}

void KVRunLoopThread::main()
{
    id_.store(std::this_thread::get_id());
    try {
        body_(*this);
    } catch (const std::exception& e) {
        KVLogLine("Run-loop thread ended by an exception: %s", e.what());
    } catch (...) {
        KVLogLine("Run-loop thread ended by an exception");
    }
    loop_.discardPending();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

bool KVRunLoopThread::isCurrent() const
{
    return id_.load() == std::this_thread::get_id();
}

bool KVRunLoopThread::hasEnded() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

void KVRunLoopThread::cancel()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_.store(true);
    }
    loop_.discardPending();
    loop_.wakeUp();
    changed_.notify_all();
}

void KVRunLoopThread::join()
{
    if (isCurrent())
        return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!started_)
            return;
        KVThreadWait::waitUntil(lock, changed_, [this] { return ended_; });
    }
    if (thread_.joinable())
        thread_.join();
}

bool KVRunLoopThread::perform(Task task, bool wait)
{
    if (cancelled_.load() || hasEnded())
        return false;
    if (!wait) {
        loop_.perform(std::move(task));
        return true;
    }
    if (isCurrent()) {
        task();
        return true;
    }
    struct Completion {
        bool ran = false;
    };
    auto completion = std::make_shared<Completion>();
    // The completion is signalled through this thread's own condition, which
    // cancel and the thread's end also signal, so a waiter never hangs on a
    // message that will not be delivered.
    loop_.perform([this, completion, task] {
        struct Signal {
            KVRunLoopThread& thread;
            Completion& completion;
            ~Signal()
            {
                {
                    std::lock_guard<std::mutex> lock(thread.mutex_);
                    completion.ran = true;
                }
                thread.changed_.notify_all();
            }
        } signal{*this, *completion};
        task();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    KVThreadWait::waitUntil(lock, changed_, [&] { return completion->ran || ended_ || cancelled_.load(); });
    return completion->ran;
}
