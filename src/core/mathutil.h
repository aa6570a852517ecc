// Number rules shared by every subsystem.
#pragma once

#include <cmath>

// A real value becomes a whole number by rounding to the nearest, a tie going to the even one.
inline int RoundHalfEven(double v) {
    const double r = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
    return static_cast<int>(r);
}
