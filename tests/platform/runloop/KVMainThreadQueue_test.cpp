#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runloop/KVMainThreadQueue.h"

namespace {

TEST(KVMainThreadQueue, RunsQueuedWorkInOrderWhenDrained)
{
    KVMainThreadQueue queue;
    std::string order;
    std::thread worker([&] {
        for (char c : std::string("abc"))
            queue.performAsync([&order, c] { order += c; });
    });
    worker.join();
    EXPECT_EQ(order, "");  // nothing runs until the main thread drains
    EXPECT_EQ(queue.pendingCount(), 3u);
    EXPECT_EQ(queue.drain(), 3u);
    EXPECT_EQ(order, "abc");
    EXPECT_EQ(queue.drain(), 0u);
}

TEST(KVMainThreadQueue, WorkQueuedWhileDrainingWaitsAndFailuresDoNotStopTheRest)
{
    KVMainThreadQueue queue;
    std::vector<int> ran;
    queue.performAsync([&] {
        ran.push_back(1);
        queue.performAsync([&] { ran.push_back(3); });
    });
    queue.performAsync([] { throw std::runtime_error("task broke"); });
    queue.performAsync([&] { ran.push_back(2); });
    queue.performAsync(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(queue.drain(), 3u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("task broke"), std::string::npos);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

}  // namespace
