// Frame times of a run, summarised in one line at exit.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class KVFrameStats {
public:
    void record(double milliseconds);
    size_t count() const;
    // Nearest-rank percentile (p from 0 to 1) of the recorded times; 0 with none.
    double percentile(double p) const;
    // "frames N, median X ms, p95 Y ms, max Z ms, lua memory B bytes"; the
    // percentiles are nearest-rank over the recorded frames (0 with none).
    std::string summary(int64_t luaBytes) const;

private:
    mutable std::mutex mutex_;
    std::vector<double> times_;
};
