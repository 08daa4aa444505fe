#include "sorfile/RangeFormat.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "document/Formatters.h"

namespace fv {

const StandardRange kStandardRanges[kStandardRangeCount] = {
    {0.1f, 330.0f, 0.0625f, {"100 m", "330 ft", "110 yd"}},
    {0.3f, 1000.0f, 0.2f, {"300 m", "1 kft", "0.2 mi"}},
    {0.5f, 1650.0f, 0.3f, {"500 m", "1.65 kft", "0.3 mi"}},
    {1.3f, 4000.0f, 0.8f, {"1.3 km", "4 kft", "0.8 mi"}},
    {2.5f, 8000.0f, 1.5f, {"2.5 km", "8 kft", "1.5 mi"}},
    {5.0f, 16000.0f, 3.0f, {"5 km", "16 kft", "3 mi"}},
    {10.0f, 32000.0f, 6.0f, {"10 km", "32 kft", "6 mi"}},
    {20.0f, 65000.0f, 12.0f, {"20 km", "65 kft", "12 mi"}},
    {40.0f, 130000.0f, 25.0f, {"40 km", "130 kft", "25 mi"}},
    {80.0f, 260000.0f, 50.0f, {"80 km", "260 kft", "50 mi"}},
    {120.0f, 400000.0f, 75.0f, {"120 km", "400 kft", "75 mi"}},
    {160.0f, 520000.0f, 100.0f, {"160 km", "520 kft", "100 mi"}},
    {240.0f, 780000.0f, 150.0f, {"240 km", "780 kft", "150 mi"}},
};

namespace {

int unitIndex(int unit) { return ((unit % 3) + 3) % 3; }

float rangeIn(const StandardRange& r, int unit) {
    switch (unit) {
    case 1: return r.ft;
    case 2: return r.mi;
    default: return r.km;
    }
}

// Whole metres, truncated; computed in single precision so that 0.7f km gives 700 m.
int truncatedMetres(float km) {
    const float m = km * 1000.0f;
    if (m <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(m);
}

// Below 1000 km a range reads better in metres.
void writeKm(float km, char* out, size_t size) {
    if (km < 1000.0f) {
        std::snprintf(out, size, "%d m ", truncatedMetres(km));
    } else {
        std::snprintf(out, size, "%1.3f km", static_cast<double>(km));
    }
}

float fromKm(int to, float km, char* out, size_t size) {
    switch (to) {
    case 2:
        // The result stays in km; only the text is in miles.
        std::snprintf(out, size, "%1.3f mi", km * kMilesPerKm);
        return km;
    case 1: {
        const double feet = km * kMilesPerKm * kFeetPerMile;
        if (km < 1000.0f) {
            std::snprintf(out, size, "%1.3f kft", feet / 1000);
        } else {
            std::snprintf(out, size, "%1.2f ft", feet);
        }
        return static_cast<float>(feet);
    }
    default:
        writeKm(km, out, size);
        return km;
    }
}

}  // namespace

float formatRange(int fromUnit, int toUnit, float value, char* out, size_t size) {
    const int from = unitIndex(fromUnit);
    const int to = unitIndex(toUnit);
    if (!std::isfinite(value)) {
        std::snprintf(out, size, "--.---");
        return value;
    }

    // Snap to the nearest standard range when within 5 % of it; on a tie the first row wins.
    int best = 5;
    float bestDistance = 10000.0f;
    for (int i = 0; i < kStandardRangeCount; ++i) {
        const float d = std::fabs(value - rangeIn(kStandardRanges[i], from));
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    const StandardRange& row = kStandardRanges[best];
    if (rangeIn(row, from) / 20.0f > bestDistance) {
        std::snprintf(out, size, "%s", row.label[to]);
        return rangeIn(row, to);
    }

    if (from == 0) return fromKm(to, value, out, size);

    // Miles and feet are turned into km first; into km is the only direction in use.
    const float km = from == 2 ? static_cast<float>(value / kMilesPerKm)
                               : static_cast<float>(value / kFeetPerMile / kMilesPerKm);
    return fromKm(to, km, out, size);
}

}  // namespace fv
