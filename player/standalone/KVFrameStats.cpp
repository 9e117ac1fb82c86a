#include "player/standalone/KVFrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void KVFrameStats::record(double milliseconds)
{
    std::lock_guard<std::mutex> lock(mutex_);
    times_.push_back(milliseconds);
}

size_t KVFrameStats::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return times_.size();
}

std::string KVFrameStats::summary(int64_t luaBytes) const
{
    std::vector<double> sorted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sorted = times_;
    }
    std::sort(sorted.begin(), sorted.end());
    auto rank = [&](double p) {
        if (sorted.empty())
            return 0.0;
        const size_t r = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
        return sorted[std::min(sorted.size(), std::max<size_t>(r, 1)) - 1];
    };
    char line[256];
    std::snprintf(line, sizeof line, "frames %zu, median %.3f ms, p95 %.3f ms, max %.3f ms, lua memory %lld bytes",
                  sorted.size(), rank(0.5), rank(0.95), sorted.empty() ? 0.0 : sorted.back(),
                  static_cast<long long>(luaBytes));
    return line;
}
