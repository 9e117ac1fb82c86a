#include "platform/clock/KVDate.h"

#include <chrono>
#include <cmath>
#include <ctime>
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

void KVDate::getClockTime(unsigned components[7])
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    components[0] = static_cast<unsigned>(local.tm_year + 1900);
    components[1] = static_cast<unsigned>(local.tm_mon + 1);
    components[2] = static_cast<unsigned>(local.tm_mday);
    components[3] = static_cast<unsigned>(local.tm_hour);
    components[4] = static_cast<unsigned>(local.tm_min);
    // A leap second reads as 60, as the calendar gives it.
    components[5] = static_cast<unsigned>(local.tm_sec);
    // The milliseconds come from a second reading, as the calendar has none.
    const double seconds =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    components[6] = static_cast<unsigned>(std::fmod(seconds * 1000.0, 1000.0));
}
