#include "server/rate_limit.h"

#include <algorithm>

bool RateLimiter::Allow(const std::string& who, double now) {
    std::lock_guard lock(mutex_);
    if (buckets_.size() >= kMostBuckets) {
        std::erase_if(buckets_, [&](const auto& entry) {
            return entry.second.tokens + (now - entry.second.at) * perSecond_ >= burst_;
        });
    }
    auto [it, fresh] = buckets_.try_emplace(who, Bucket{burst_, now});
    Bucket& b = it->second;
    if (!fresh) {
        b.tokens = std::min(burst_, b.tokens + std::max(0.0, now - b.at) * perSecond_);
        b.at = std::max(b.at, now);
    }
    if (b.tokens < 1) return false;
    b.tokens -= 1;
    return true;
}
