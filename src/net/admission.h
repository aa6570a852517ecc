// How often one address may do something, on the caller's clock: a few at once, then one every
// interval; an address that goes beyond waits, twice as long each time it does so again, up to a
// limit. The relay and the host use it for connects and for wrong room codes. Bounded: it keeps
// at most maxAddresses records and forgets an address that has been quiet for forgetMs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace net {

// An IPv4 address as ENet keeps it; the tests use 127.0.0.x.
using AddressKey = std::uint32_t;

struct GateLimits {
    int burst = 8;                   // events an address may make at once
    std::int64_t intervalMs = 1000;  // then one more every interval
    std::int64_t firstWaitMs = 1000;
    std::int64_t maxWaitMs = 60'000;
    std::int64_t forgetMs = 600'000;
    std::size_t maxAddresses = 4096;
};

class AddressGate {
  public:
    explicit AddressGate(const GateLimits& limits) : limits_(limits) {}

    // One event of the address: true when within its rate. Beyond it the address waits, and an
    // event while it waits is refused without making the wait longer.
    bool Take(AddressKey address, std::int64_t nowMs);
    // The address waits out a refusal (a wrong code): twice as long as the last time, or at
    // once the longest wait when `longest`.
    void Punish(AddressKey address, std::int64_t nowMs, bool longest = false);
    // How long the address still waits; 0 when it may go on.
    std::int64_t WaitLeftMs(AddressKey address, std::int64_t nowMs) const;
    std::size_t Addresses() const { return records_.size(); }
    const GateLimits& Limits() const { return limits_; }

  private:
    struct Record {
        std::int64_t dueMs = 0;  // when the rate would next be back to a full burst
        std::int64_t waitUntilMs = 0;
        std::int64_t lastMs = 0;
        int strikes = 0;
    };
    Record& Find(AddressKey address, std::int64_t nowMs);
    void Strike(Record& r, std::int64_t nowMs, bool longest);

    GateLimits limits_;
    std::unordered_map<AddressKey, Record> records_;
};

}  // namespace net
