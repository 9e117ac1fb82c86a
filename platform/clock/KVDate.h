// The game clock, and dates written for people.
#pragma once

#include <chrono>
#include <string>

class KVLocalizedStrings;

class KVDate {
public:
    using SystemClock = std::chrono::system_clock;

    // Seconds since the clock's first reading in the process, as a 32-bit
    // float (so from about 18 hours on, readings are multiples of 1/128 s).
    static float getTimeAsFloat();
    // The local date and time now: year, month (1-12), day, hour, minute,
    // second and millisecond, in that order.
    static void getClockTime(unsigned components[7]);

    // How long ago a date was, for people: "Less than a minute ago", "One
    // minute ago", "%d minutes ago", "One hour ago", "%d hours ago", the time
    // alone from 12 hours on, "Yesterday at %@" from one day, "%d days ago"
    // from two, the date from eight. The texts come from the running game's
    // localised strings; times and dates follow the user's locale and time
    // zone.
    static std::string softFormatDate(SystemClock::time_point date);

    struct SoftFormat {
        SystemClock::time_point now;
        const KVLocalizedStrings* strings = nullptr;  // null: the English texts
        std::string locale;                            // a locale id ("de_DE"); empty: the user's
        std::string timeZone;                          // a zone id ("UTC"); empty: the user's
    };
    static std::string softFormatDate(SystemClock::time_point date, const SoftFormat& format);
};
