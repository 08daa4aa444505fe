#include "document/Formatters.h"

#include <cmath>
#include <cstdio>

namespace fv {
namespace {

constexpr const char* kDashes = "--.---";

// Attenuations are shown in single precision, per km, per mile or per thousand feet.
float attenuationInUnit(int unit, float dbPerKm) {
    const float milesPerKm = static_cast<float>(kMilesPerKm);
    switch (unit) {
    case 2: return dbPerKm / milesPerKm;
    case 1: return dbPerKm / milesPerKm * 1000.0f / static_cast<float>(kFeetPerMile);
    default: return dbPerKm;
    }
}

// Larger attenuations get fewer decimals so the texts stay about the same width.
int attenuationDecimals(float v) {
    const float a = std::fabs(v);
    if (a > 100.0f) return 1;
    if (a > 10.0f) return 2;
    return 3;
}

const char* attenuationSuffix(int unit) {
    switch (unit) {
    case 2: return "dB/mi";
    case 1: return "dB/kft";
    default: return "dB/km";
    }
}

}  // namespace

double kmToMiles(double km) { return km * kMilesPerKm; }

double kmToFeet(double km) { return km * kMilesPerKm * kFeetPerMile; }

void formatDistance(int unit, double spacingKm, double distanceKm, char* out, size_t size) {
    double shown = distanceKm;
    bool fine = false;  // four decimals instead of three
    switch (unit) {
    case 2:
        shown = kmToMiles(distanceKm);
        fine = !(shown >= 100);
        break;
    case 1:
        shown = kmToFeet(distanceKm) / 1000;  // thousands of feet
        break;
    default:
        // Short traces with sub-metre spacing get the extra decimal.
        fine = !(distanceKm >= 100 || spacingKm >= 0.001);
        break;
    }
    if (!std::isfinite(shown)) {
        std::snprintf(out, size, "%s", kDashes);
        return;
    }
    std::snprintf(out, size, fine ? "%1.4f" : "%1.3f", shown);
}

void formatAttenuation(int unit, float dbPerKm, char* out, size_t size) {
    const float v = attenuationInUnit(unit, dbPerKm);
    if (!std::isfinite(v)) {
        std::snprintf(out, size, "%s", kDashes);
        return;
    }
    std::snprintf(out, size, "%1.*f", attenuationDecimals(v), static_cast<double>(v));
}

void formatAttenuationWithUnit(int unit, float dbPerKm, char* out, size_t size) {
    const float v = attenuationInUnit(unit, dbPerKm);
    const char* suffix = attenuationSuffix(unit);
    if (!std::isfinite(v)) {
        std::snprintf(out, size, "%s %s", kDashes, suffix);
        return;
    }
    std::snprintf(out, size, "%1.*f %s", attenuationDecimals(v), static_cast<double>(v), suffix);
}

void formatAttenuationRatio(double lengthKm, double lossDb, int unit, char* out, size_t size) {
    double v = lossDb / lengthKm;
    if (unit == 2) {
        v = v / kMilesPerKm;
    } else if (unit == 1) {
        v = v / kMilesPerKm * 1000 / kFeetPerMile;
    }
    // Written so that NaN (0 / 0) fails the test too, not only infinity.
    if (!(std::fabs(v) <= 100)) {
        std::snprintf(out, size, "%s", kDashes);
        return;
    }
    std::snprintf(out, size, "%1.3f", v);
}

}  // namespace fv
