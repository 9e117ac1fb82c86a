// The game clock: seconds since its first reading in the process, as a
// 32-bit float (so from about 18 hours on, readings are multiples of 1/128 s).
#pragma once

class KVDate {
public:
    static float getTimeAsFloat();
    // The local date and time now: year, month (1-12), day, hour, minute,
    // second and millisecond, in that order.
    static void getClockTime(unsigned components[7]);
};
