#pragma once
// A straight stretch of fibre as plain arrays, for the analysis tests.

#include <vector>

namespace fv::test {

struct Trace {
    std::vector<float> level, distance;
    int n() const { return static_cast<int>(level.size()); }
    const float* L() const { return level.data(); }
    const float* D() const { return distance.data(); }
};

// level = a + s * distance, points `spacing` km apart.
inline Trace Fibre(int n, float spacing, float a, float s) {
    Trace t;
    for (int i = 0; i < n; ++i) {
        const float d = static_cast<float>(i) * spacing;
        t.distance.push_back(d);
        t.level.push_back(a + s * d);
    }
    return t;
}

}  // namespace fv::test
