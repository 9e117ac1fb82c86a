#include "platform/clock/KVDate.h"

#include <chrono>
#include <mutex>

float KVDate::getTimeAsFloat()
{
    using Clock = std::chrono::steady_clock;
    static std::once_flag once;
    static Clock::time_point reference;
    bool first = false;
    std::call_once(once, [&] {
        reference = Clock::now();
        first = true;
    });
    if (first)
        return 0.0f;
    return static_cast<float>(std::chrono::duration<double>(Clock::now() - reference).count());
}
