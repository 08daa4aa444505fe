#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/EventValues.h"

namespace fv {

SignalEnd FindEndOfSignal(const float* level, const float* distance, int pointCount, float threshold)
{
    SignalEnd r;
    if (pointCount <= 0)
        return r;
    r.endPoint = pointCount - 1;
    // The first 100 points hold the launch and its dead zone; never look there. A single
    // point below the threshold is noise: the signal counts as lost where at least five of
    // the next hundred points are below it.
    for (int i = 100; i < pointCount; ++i) {
        if (!(level[i] < threshold))
            continue;
        const int end = std::min(i + 100, pointCount - 1);
        int below = 0;
        for (int j = i; j < end; ++j)
            if (level[j] < threshold)
                ++below;
        if (below > 4) {
            r.endPoint = i;
            r.signalLost = 1;
            break;
        }
    }
    r.distanceKm = distance[r.endPoint];
    return r;
}

SlopeResult QuarterSlope(const float* level, const float* distance, int first, int last,
                         float levelThreshold, int pointCount)
{
    constexpr int kRows = 500;
    constexpr int kCols = 800;
    SlopeResult r;
    first = std::max(first, 0);
    last = std::min(last, pointCount);  // `last` itself is never read
    if (last <= first)
        return r;

    const int step = last < 5001 ? 1 : last <= 10000 ? 2 : last <= 15000 ? 4 : 6;
    // Column of intercept 0: puts levels down to the noise threshold inside the grid.
    const int e0 = static_cast<int>(400 - (levelThreshold + 37) * 10);

    std::vector<int32_t> acc(static_cast<size_t>(kRows) * kCols, 0);
    auto vote = [&](int p) {
        for (float c = -1.0f; c < 0; c += 0.01f) {
            const int row = static_cast<int>(c * 200) + 200;
            const float v = (level[p] - c * distance[p]) * 10;
            if (!(v > -1e6f && v < 1e6f))
                continue;  // far outside the grid (or not a number): no vote
            const int col = e0 + static_cast<int>(v);
            if (col >= 0 && col < kCols && row >= 0 && row < kRows)
                ++acc[static_cast<size_t>(row) * kCols + col];
        }
    };

    const int span = last - first;
    const int bounds[5] = {first, first + span / 4, first + span / 2, first + 3 * span / 4, last};
    for (int q = 0; q < 4; ++q)
        for (int p = bounds[q]; p < bounds[q + 1]; p += step)
            vote(p);

    int bestRow = 0, bestCol = 0;
    int32_t best = acc[0];
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kCols; ++col)
            if (acc[static_cast<size_t>(row) * kCols + col] > best) {
                best = acc[static_cast<size_t>(row) * kCols + col];
                bestRow = row;
                bestCol = col;
            }
    r.slope = static_cast<float>(bestRow - 200) / 200;
    r.intercept = static_cast<float>(bestCol - e0) / 10;
    return r;
}

}  // namespace fv
