#pragma once
// The standard acquisition ranges and the conversion of a range between units with its
// display text. Units here: 0 km, 1 ft, 2 mi (each taken modulo 3).

#include <cstddef>

namespace fv {

struct StandardRange {
    float km, ft, mi;
    const char* label[3];  // km, ft, mi
};
inline constexpr int kStandardRangeCount = 13;
extern const StandardRange kStandardRanges[kStandardRangeCount];

// Returns the value in the target unit and writes its text into `out` (at most `size` bytes).
float formatRange(int fromUnit, int toUnit, float value, char* out, size_t size);

}  // namespace fv
