// Number rules shared by every subsystem.
#pragma once

#include <climits>
#include <cmath>

// A real value becomes a whole number by rounding to the nearest, a tie going to the even one.
// Values beyond the range of int give its nearest end, and not-a-number gives 0: converting them
// would be undefined.
inline int RoundHalfEven(double v) {
    const double r = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
    if (std::isnan(r)) return 0;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(r);
}
