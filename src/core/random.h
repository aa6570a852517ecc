// The game's one random generator: uniform whole numbers, reproducible from a seed on every
// machine (no dependence on the standard library's distributions).
#pragma once

#include <cstdint>

#include "core/fields.h"

class Random {
  public:
    void Seed(std::uint64_t seed) {
        state_ = seed ^ 0x9E3779B97F4A7C15ull;
        if (state_ == 0) state_ = 1;
    }
    // A uniform whole number 0 .. n-1 (0 when n <= 0).
    int Next(int n) {
        if (n <= 0) return 0;
        const std::uint64_t bound = static_cast<std::uint64_t>(n);
        // Reject the top sliver so every value is equally likely.
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
        std::uint64_t v;
        do v = NextRaw();
        while (v >= limit);
        return static_cast<int>(v % bound);
    }
    // A uniform whole number lo .. hi.
    int Range(int lo, int hi) { return lo + Next(hi - lo + 1); }
    // The generator's whole state, for a snapshot of the game.
    std::uint64_t State() const { return state_; }
    void SetState(std::uint64_t state) { state_ = state == 0 ? 1 : state; }

    template <typename V>
    friend void VisitFields(Random& r, V& v);

  private:
    std::uint64_t NextRaw() {
        // xorshift64*
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    std::uint64_t state_ = 1;
};

template <typename V>
void VisitFields(Random& r, V& v) {
    v("rng", r.state_, Bounds{1, INT64_MAX});  // xorshift never leaves 0
}
