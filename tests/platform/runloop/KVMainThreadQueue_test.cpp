#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runloop/KVMainThreadQueue.h"

namespace {

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
