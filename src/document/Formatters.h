#pragma once
// Length-unit conversions and the display texts of distances and attenuations.
// Units: 0 metre/kilometre, 1 foot (thousands of feet for distances), 2 mile; any other
// value is treated as metres. Non-finite values show as dashes.

#include <cstddef>

namespace fv {

inline constexpr double kMilesPerKm = 0.62137119;
inline constexpr double kFeetPerMile = 5280;

double kmToMiles(double km);
double kmToFeet(double km);

// `out` receives at most `size` bytes including the terminator.
void formatDistance(int unit, double spacingKm, double distanceKm, char* out, size_t size);
void formatAttenuation(int unit, float dbPerKm, char* out, size_t size);
void formatAttenuationWithUnit(int unit, float dbPerKm, char* out, size_t size);
void formatAttenuationRatio(double lengthKm, double lossDb, int unit, char* out, size_t size);

}  // namespace fv
