// The render thread's run loop: ordering of messages and timer ticks,
// waiting across threads, cancellation.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVRunLoop.h"
#include "platform/runloop/KVRunLoopThread.h"
#include "platform/runloop/KVThreadWait.h"

namespace {

// A loop body that runs slices until the thread is cancelled.
void runSlices(KVRunLoopThread& thread)
{
    while (!thread.isCancelled())
        thread.runLoop().runFor(0.1);
}

class Log {
public:
    void add(const std::string& s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(s);
    }
    std::vector<std::string> entries() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

TEST(KVRunLoop, MessagesQueuedDuringATickRunAfterItInOrder)
{
    KVRunLoop loop;
    std::vector<std::string> log;
    int ticks = 0;
    KVRunLoop::TimerID timer = 0;
    timer = loop.addTimer(0, [&] {
        ++ticks;
        log.push_back("tick " + std::to_string(ticks));
        if (ticks == 1) {
            loop.perform([&] { log.push_back("a"); });
            loop.perform([&] { log.push_back("b"); });
        }
        if (ticks == 2) {
            loop.invalidateTimer(timer);
            loop.wakeUp();
        }
    });
    EXPECT_TRUE(KVRunLoop::current() == nullptr);
    loop.perform([&] { log.push_back(KVRunLoop::current() == &loop ? "first, inside the loop" : "elsewhere"); });
    loop.runFor(30);
    EXPECT_EQ(log, (std::vector<std::string>{"first, inside the loop", "tick 1", "a", "b", "tick 2"}));
    EXPECT_FALSE(loop.hasTimer(timer));
    EXPECT_TRUE(KVRunLoop::current() == nullptr);
}

TEST(KVRunLoop, TimersKeepTheirIntervalAndAThrowingMessageLeavesTheLoopUsable)
{
    KVRunLoop loop;
    const auto id = loop.addTimer(2 * 0.016666666666666666, [] {});
    EXPECT_NEAR(loop.timerInterval(id), 1.0 / 30.0, 1e-9);
    EXPECT_LT(loop.timerInterval(id + 100), 0);
    loop.invalidateTimer(id);
    EXPECT_LT(loop.addTimer(-5, [] {}) , 1000u);

    loop.perform([] { throw std::runtime_error("bad message"); });
    bool ran = false;
    loop.perform([&] { ran = true; });
    EXPECT_THROW(loop.runFor(0), std::runtime_error);
    EXPECT_FALSE(ran);
    EXPECT_EQ(loop.pendingCount(), 1u);
    loop.runFor(0);
    EXPECT_TRUE(ran);
}

// Each tick is due an interval after the previous due time, however late it
// ran; after falling behind the next one is the first slot still ahead.
TEST(KVRunLoop, TimersKeepAFixedScheduleAndSkipWhatTheyMissed)
{
    using namespace std::chrono;
    KVRunLoop loop;
    const auto interval = duration_cast<KVRunLoop::Clock::duration>(milliseconds(20));
    std::vector<KVRunLoop::Clock::time_point> nextDue;
    KVRunLoop::Clock::time_point lateTickEnded;
    KVRunLoop::TimerID timer = 0;
    timer = loop.addTimer(0.020, [&] {
        nextDue.push_back(loop.timerFireDate(timer));
        if (nextDue.size() == 2) {
            std::this_thread::sleep_for(interval * 7 / 2);  // three and a half slots missed
            lateTickEnded = KVRunLoop::Clock::now();
        }
        if (nextDue.size() == 4)
            loop.wakeUp();
    });
    const auto firstDue = loop.timerFireDate(timer);
    loop.runFor(30);
    ASSERT_EQ(nextDue.size(), 4u);
    for (const auto& due : nextDue)
        EXPECT_EQ((due - firstDue) % interval, KVRunLoop::Clock::duration::zero());
    EXPECT_GT(nextDue[2], lateTickEnded);
    EXPECT_EQ(loop.timerFireDate(timer + 1), KVRunLoop::Clock::time_point{});
}

TEST(KVRunLoopThread, PerformsWithAndWithoutWaiting)
{
    KVThreadWait::markMainThread();
    KVRunLoopThread thread(runSlices);
    thread.start();
    Log log;
    std::atomic<bool> onThread{false};
    EXPECT_TRUE(thread.perform([&] { onThread = thread.isCurrent(); log.add("one"); }, false));
    EXPECT_TRUE(thread.perform([&] { log.add("two"); }, true));
    EXPECT_TRUE(onThread.load());
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"one", "two"}));
    // Waiting from the thread itself runs the work at once.
    std::vector<std::string> nested;
    thread.perform([&] { thread.perform([&] { nested.push_back("inner"); }, true); nested.push_back("outer"); }, true);
    EXPECT_EQ(nested, (std::vector<std::string>{"inner", "outer"}));
    EXPECT_FALSE(thread.isCurrent());
}

TEST(KVRunLoopThread, CancelledThreadsEndAndDropTheirMessages)
{
    KVThreadWait::markMainThread();
    std::mutex gate;
    gate.lock();
    std::atomic<bool> lateRan{false};
    auto thread = std::make_unique<KVRunLoopThread>(runSlices);
    thread->start();
    // The thread is busy; what is queued behind it must never run.
    thread->perform([&] { std::lock_guard<std::mutex> wait(gate); }, false);
    thread->perform([&] { lateRan = true; }, false);
    thread->cancel();
    gate.unlock();
    thread->join();
    EXPECT_TRUE(thread->hasEnded());
    EXPECT_FALSE(lateRan.load());
    EXPECT_FALSE(thread->perform([&] { lateRan = true; }, true));
    EXPECT_FALSE(lateRan.load());
}

TEST(KVThreadWait, AMainThreadWaitAndAThreadWaitingForMainDoNotDeadlock)
{
    KVThreadWait::markMainThread();
    KVRunLoopThread thread(runSlices);
    thread.start();
    Log log;
    std::mutex held;  // stands for a lock the render thread holds (the Lua state)
    std::atomic<bool> holding{false};
    thread.perform(
        [&] {
            std::lock_guard<std::mutex> lock(held);
            holding = true;
            // The keyboard prompt's kind of wait: for the main thread.
            KVThreadWait::performOnMainThreadAndWait([&] { log.add("main answered"); });
            log.add("thread went on");
        },
        false);
    while (!holding)
        std::this_thread::yield();
    // The main thread now waits for the thread, and for the lock it holds.
    KVThreadWait::acquire([&] { return held.try_lock(); }, [&] { held.lock(); });
    held.unlock();
    EXPECT_TRUE(thread.perform([&] { log.add("after"); }, true));
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"main answered", "thread went on", "after"}));

    // The same with a plain wait for a message.
    thread.perform([&] { KVThreadWait::performOnMainThreadAndWait([&] { log.add("main again"); }); }, true);
    EXPECT_EQ(log.entries().back(), "main again");
}

}  // namespace
