// The render thread's run loop: failing messages, the timers' schedule,
// waiting across threads; the main thread's queue. (Messages posted during
// a tick, cancelling and waits for the main thread: the threaded game view.)
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVRunLoop.h"
#include "platform/runloop/KVRunLoopThread.h"
#include "platform/runloop/KVThreadWait.h"

namespace {

TEST(KVRunLoop, AThrowingMessageLeavesTheLoopUsable)
{
    KVRunLoop loop;
    loop.perform([] { throw std::runtime_error("bad message"); });
    bool ran = false;
    loop.perform([&] { ran = true; });
    EXPECT_THROW(loop.runFor(0), std::runtime_error);
    EXPECT_FALSE(ran);
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
    KVRunLoopThread thread([](KVRunLoopThread& self) {
        while (!self.isCancelled())
            self.runLoop().runFor(0.1);
    });
    thread.start();
    std::vector<std::string> log;
    std::atomic<bool> onThread{false};
    EXPECT_TRUE(thread.perform([&] { onThread = thread.isCurrent(); log.push_back("one"); }, false));
    // Waiting for the second also orders the first before what follows.
    EXPECT_TRUE(thread.perform([&] { log.push_back("two"); }, true));
    EXPECT_TRUE(onThread.load());
    EXPECT_EQ(log, (std::vector<std::string>{"one", "two"}));
    // Waiting from the thread itself runs the work at once.
    std::vector<std::string> nested;
    thread.perform([&] { thread.perform([&] { nested.push_back("inner"); }, true); nested.push_back("outer"); }, true);
    EXPECT_EQ(nested, (std::vector<std::string>{"inner", "outer"}));
    EXPECT_FALSE(thread.isCurrent());
}

// Work queued from another thread runs in order when the main thread
// drains; work queued while draining waits for the next drain; a failing
// task is logged and the rest go on.
TEST(KVMainThreadQueue, RunsQueuedWorkInOrderWhenDrained)
{
    KVMainThreadQueue queue;
    std::vector<int> ran;
    std::thread worker([&] {
        queue.performAsync([&] {
            ran.push_back(1);
            queue.performAsync([&] { ran.push_back(3); });
        });
        queue.performAsync([] { throw std::runtime_error("task broke"); });
        queue.performAsync([&] { ran.push_back(2); });
        queue.performAsync(nullptr);
    });
    worker.join();
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(queue.pendingCount(), 3u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(queue.drain(), 3u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("task broke"), std::string::npos);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(queue.drain(), 0u);
}

}  // namespace
