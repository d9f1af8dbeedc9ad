#pragma once
// Rounding rules used throughout the program: Round is half-to-even, Trunc toward zero.
#include <cmath>
#include <cstdint>

namespace orb {

inline int Round(double v) {
    // std::nearbyint honours the current rounding mode, which we never change (to nearest even).
    return static_cast<int>(std::nearbyint(v));
}

inline int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

}  // namespace orb
