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

double KVFrameStats::percentile(double p) const
{
    std::vector<double> sorted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sorted = times_;
    }
    if (sorted.empty())
        return 0;
    std::sort(sorted.begin(), sorted.end());
    const size_t r = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<size_t>(r, 1)) - 1];
}

std::string KVFrameStats::summary(int64_t luaBytes) const
{
    char line[256];
    std::snprintf(line, sizeof line, "frames %zu, median %.3f ms, p95 %.3f ms, max %.3f ms, lua memory %lld bytes",
                  count(), percentile(0.5), percentile(0.95), percentile(1), static_cast<long long>(luaBytes));
    return line;
}
