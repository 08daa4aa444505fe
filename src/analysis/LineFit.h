#pragma once
// Least-squares lines through stretches of a trace.

namespace fv {

struct LineFitResult {
    float slope = 0;      // dB/km
    float intercept = 0;  // dB at distance 0
};

// Fit over points first..last inclusive. A single point, or points all at one distance,
// give slope 0 and the mean level as intercept; first > last is empty and gives 0, 0.
LineFitResult FitLine(const float* level, const float* distance, int first, int last);
// Level at point `at` of the line fitted over a..b (in either order); level[a] when a == b.
float LineLevelAt(const float* level, const float* distance, int a, int b, int at);

}  // namespace fv
