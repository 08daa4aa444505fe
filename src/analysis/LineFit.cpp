#include "analysis/LineFit.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace fv {

LineFitResult FitLine(const float* level, const float* distance, int first, int last)
{
    LineFitResult r;
    if (last < first)
        return r;  // empty range: a flat line at 0

    // Four interleaved sets of sums, so that the additions do not wait on each other; a
    // fit over a whole 128000-point trace runs on every open.
    double sy4[4] = {}, sx4[4] = {}, sxy4[4] = {}, sxx4[4] = {};
    double min4[4], max4[4];
    for (int k = 0; k < 4; ++k) min4[k] = max4[k] = distance[first];
    int i = first;
    for (; i + 3 <= last; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double y = level[i + k];
            const double x = distance[i + k];
            sy4[k] += y;
            sx4[k] += x;
            sxy4[k] += y * x;
            sxx4[k] += x * x;
            min4[k] = x < min4[k] ? x : min4[k];
            max4[k] = x > max4[k] ? x : max4[k];
        }
    }
    for (; i <= last; ++i) {
        const double y = level[i];
        const double x = distance[i];
        sy4[0] += y;
        sx4[0] += x;
        sxy4[0] += y * x;
        sxx4[0] += x * x;
        min4[0] = x < min4[0] ? x : min4[0];
        max4[0] = x > max4[0] ? x : max4[0];
    }
    const double sy = (sy4[0] + sy4[1]) + (sy4[2] + sy4[3]);
    const double sx = (sx4[0] + sx4[1]) + (sx4[2] + sx4[3]);
    const double sxy = (sxy4[0] + sxy4[1]) + (sxy4[2] + sxy4[3]);
    const double sxx = (sxx4[0] + sxx4[1]) + (sxx4[2] + sxx4[3]);
    const double minX = std::min(std::min(min4[0], min4[1]), std::min(min4[2], min4[3]));
    const double maxX = std::max(std::max(max4[0], max4[1]), std::max(max4[2], max4[3]));
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
