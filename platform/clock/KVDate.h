// The game clock: seconds since its first reading in the process, as a
// 32-bit float (so from about 18 hours on, readings are multiples of 1/128 s).
#pragma once

class KVDate {
public:
    static float getTimeAsFloat();
};
