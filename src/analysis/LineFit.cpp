#include "analysis/LineFit.h"

#include <cmath>
#include <utility>

namespace fv {

LineFitResult FitLine(const float* level, const float* distance, int first, int last)
{
    LineFitResult r;
    if (last < first)
        return r;  // empty range: a flat line at 0

    double sy = 0, sx = 0, sxy = 0, sxx = 0;
    double minX = distance[first], maxX = distance[first];
    for (int i = first; i <= last; ++i) {
        const double y = level[i];
        const double x = distance[i];
        sy += y;
        sx += x;
        sxy += y * x;
        sxx += x * x;
        if (x < minX) minX = x;
        if (x > maxX) maxX = x;
    }
    const double n = static_cast<double>(last) - first + 1;
    const double denom = n * sxx - sx * sx;
    // A single point, or points that all sit at one distance, have no slope: give the flat
    // line through their mean level instead of dividing by zero. The same when rounding
    // leaves nothing sensible of the denominator.
    if (minX == maxX || !(denom > 0)) {
        r.intercept = static_cast<float>(sy / n);
        return r;
    }
    const float slope = static_cast<float>((n * sxy - sy * sx) / denom);
    if (!std::isfinite(slope)) {
        r.intercept = static_cast<float>(sy / n);
        return r;
    }
    r.slope = slope;
    r.intercept = static_cast<float>((sy - sx * static_cast<double>(slope)) / n);
    return r;
}

float LineLevelAt(const float* level, const float* distance, int a, int b, int at)
{
    if (b < a)
        std::swap(a, b);
    if (a == b)
        return level[a];
    const LineFitResult f = FitLine(level, distance, a, b);
    return f.slope * distance[at] + f.intercept;
}

}  // namespace fv
