#pragma once

#include <cmath>

namespace quilvet {

// Rounds to the nearest whole number, halves to the even neighbour, whatever
// rounding mode the host's floating-point environment is set to: floor() and
// the difference to it are exact in every mode.
inline double roundHalfEven(double number)
{
    if (!std::isfinite(number)) {
        return number;
    }
    double whole = std::floor(number);
    const double fraction = number - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return whole;
}

} // namespace quilvet
