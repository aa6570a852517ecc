#include "net/admission.h"

#include <algorithm>

namespace net {

AddressGate::Record& AddressGate::Find(AddressKey address, std::int64_t nowMs) {
    auto it = records_.find(address);
    if (it != records_.end()) {
        Record& r = it->second;
        if (nowMs - r.lastMs >= limits_.forgetMs && nowMs >= r.waitUntilMs) r = Record{};
        r.lastMs = nowMs;
        return r;
    }
    if (records_.size() >= limits_.maxAddresses) {
        // Full: the quiet are forgotten first; else the record whose wait ends first.
        std::erase_if(records_, [&](const auto& kv) {
            return nowMs - kv.second.lastMs >= limits_.forgetMs && nowMs >= kv.second.waitUntilMs;
        });
        if (records_.size() >= limits_.maxAddresses) {
            auto first = std::min_element(records_.begin(), records_.end(),
                                          [](const auto& a, const auto& b) {
                                              return a.second.waitUntilMs < b.second.waitUntilMs;
                                          });
            records_.erase(first);
        }
    }
    Record& r = records_[address];
    r.lastMs = nowMs;
    return r;
}

void AddressGate::Strike(Record& r, std::int64_t nowMs, bool longest) {
    r.strikes = std::min(r.strikes + 1, 62);
    std::int64_t wait = limits_.maxWaitMs;
    if (!longest && r.strikes <= 40)
        wait = std::min(limits_.maxWaitMs, limits_.firstWaitMs << (r.strikes - 1));
    r.waitUntilMs = nowMs + wait;
}

bool AddressGate::Take(AddressKey address, std::int64_t nowMs) {
    Record& r = Find(address, nowMs);
    if (nowMs < r.waitUntilMs) return false;
    // The generic cell rate: `dueMs` runs ahead of the clock by one interval per event.
    const std::int64_t due = std::max(r.dueMs, nowMs);
    if (due - nowMs > (limits_.burst - 1) * limits_.intervalMs) {
        Strike(r, nowMs, false);
        return false;
    }
    r.dueMs = due + limits_.intervalMs;
    return true;
}

void AddressGate::Punish(AddressKey address, std::int64_t nowMs, bool longest) {
    Strike(Find(address, nowMs), nowMs, longest);
}

std::int64_t AddressGate::WaitLeftMs(AddressKey address, std::int64_t nowMs) const {
    auto it = records_.find(address);
    return it == records_.end() ? 0 : std::max<std::int64_t>(0, it->second.waitUntilMs - nowMs);
}

}  // namespace net
