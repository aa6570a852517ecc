// Token buckets by name (an address, a key): each holds up to `burst` requests and fills at
// `perSecond`; a request finding its bucket empty is refused. The time is given, in seconds.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

class RateLimiter {
  public:
    RateLimiter(double perSecond, double burst) : perSecond_(perSecond), burst_(burst) {}
    bool Allow(const std::string& who, double now);

  private:
    struct Bucket {
        double tokens;
        double at;
    };
    // Beyond this many buckets the full ones are forgotten: a full bucket is a new one.
    static constexpr std::size_t kMostBuckets = 100000;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    double perSecond_;
    double burst_;
};
