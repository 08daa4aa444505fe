#include "analysis/EventValues.h"

#include "support/FibreLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace fv {
namespace {
using test::Fibre;
using test::Trace;

constexpr float kThreshold = -48.0f;
constexpr float kSpacing = 0.01f;

struct EndCase {
    const char* name;
    int n;
    std::vector<std::pair<int, int>> belowRuns;  // [from, to) ranges below the threshold
    int endPoint;
    int signalLost;
};

class FindEndOfSignalCases : public ::testing::TestWithParam<EndCase> {};

TEST_P(FindEndOfSignalCases, FindsTheFirstLastingDrop)
{
    const EndCase& c = GetParam();
    std::vector<float> level(c.n, -20.0f), distance(c.n);
    for (int i = 0; i < c.n; ++i)
        distance[i] = static_cast<float>(i) * kSpacing;
    for (auto [from, to] : c.belowRuns)
        for (int i = from; i < to; ++i)
            level[i] = -60.0f;
    const SignalEnd e = FindEndOfSignal(level.data(), distance.data(), c.n, kThreshold);
    EXPECT_EQ(e.endPoint, c.endPoint) << c.name;
    EXPECT_EQ(e.signalLost, c.signalLost) << c.name;
    EXPECT_EQ(e.distanceKm, distance[c.endPoint]) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Traces, FindEndOfSignalCases,
    ::testing::Values(
        EndCase{"never below", 500, {}, 499, 0},
        EndCase{"below only at point 50", 500, {{50, 51}}, 499, 0},
        EndCase{"the first hundred points are not examined", 500, {{0, 100}}, 499, 0},
        EndCase{"a real drop", 500, {{300, 500}}, 300, 1},
        EndCase{"four dips are noise", 500, {{200, 204}, {400, 500}}, 400, 1},
        EndCase{"five dips end the signal", 500, {{200, 205}, {400, 500}}, 200, 1},
        // Dips at 200, 230, 260, 290 and 299 lie in the hundred points from 200 on.
        EndCase{"spread dips inside the window", 500,
                {{200, 201}, {230, 231}, {260, 261}, {290, 291}, {299, 300}}, 200, 1},
        // With the fifth dip at 300 it falls just outside the window of 200.
        EndCase{"fifth dip just outside the window", 500,
                {{200, 201}, {230, 231}, {260, 261}, {290, 291}, {300, 301}}, 499, 0},
        // The window stops before the last point.
        EndCase{"five at the very end are too few", 200, {{195, 200}}, 199, 0},
        EndCase{"six at the very end", 200, {{194, 200}}, 194, 1},
        EndCase{"short trace", 80, {{0, 80}}, 79, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(FindEndOfSignal, LevelEqualToTheThresholdIsNotBelow)
{
    std::vector<float> level(300, -20.0f), distance(300, 0.0f);
    for (int i = 150; i < 300; ++i)
        level[i] = kThreshold;
    EXPECT_EQ(FindEndOfSignal(level.data(), distance.data(), 300, kThreshold).signalLost, 0);
}

TEST(FindEndOfSignal, TinyTracesReadNothingBeyondThemselves)
{
    const float level[] = {-60.0f};
    const float distance[] = {0.25f};
    const SignalEnd one = FindEndOfSignal(level, distance, 1, kThreshold);
    EXPECT_EQ(one.endPoint, 0);
    EXPECT_EQ(one.signalLost, 0);
    EXPECT_EQ(one.distanceKm, 0.25f);

    const SignalEnd none = FindEndOfSignal(nullptr, nullptr, 0, kThreshold);
    EXPECT_EQ(none.endPoint, 0);
    EXPECT_EQ(none.signalLost, 0);
    EXPECT_EQ(none.distanceKm, 0.0f);
}

struct SlopeCase {
    int n;          // also picks the sampling step: 1, 2, 4 and 6
    float spacing;
    float a, s;
    float threshold;
};

class QuarterSlopeLines : public ::testing::TestWithParam<SlopeCase> {};

TEST_P(QuarterSlopeLines, RecoversSlopeAndIntercept)
{
    const SlopeCase& c = GetParam();
    const Trace t = Fibre(c.n, c.spacing, c.a, c.s);
    const SlopeResult r = QuarterSlope(t.level.data(), t.distance.data(), 0, c.n - 1, c.threshold, c.n);
    EXPECT_NEAR(r.slope, c.s, 0.01 + 1e-6);
    EXPECT_NEAR(r.intercept, c.a, 0.1 + 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Lines, QuarterSlopeLines,
                         ::testing::Values(SlopeCase{3000, 0.005f, -5.0f, -0.2f, -48.29485f},
                                           SlopeCase{8000, 0.0025f, -3.37f, -0.35f, -48.29485f},
                                           SlopeCase{12000, 0.002f, -10.0f, -0.21f, -40.0f},
                                           SlopeCase{20000, 0.001f, -2.5f, -0.5f, -60.0f},
                                           SlopeCase{4000, 0.01f, -7.2f, -0.83f, -48.29485f}));

TEST(QuarterSlope, OnlyTheGivenStretchVotes)
{
    Trace t = Fibre(2000, 0.01f, -4.0f, -0.3f);
    for (int i = 1000; i < 2000; ++i)  // a different fibre after point 1000
        t.level[i] = -1.05f - 0.2f * t.distance[i];
    const SlopeResult r = QuarterSlope(t.level.data(), t.distance.data(), 1000, 1999, -48.0f, 2000);
    EXPECT_NEAR(r.slope, -0.2f, 0.01 + 1e-6);
    EXPECT_NEAR(r.intercept, -1.05f, 0.1 + 1e-4);
}

TEST(QuarterSlope, EmptyRangeGivesZero)
{
    const Trace t = Fibre(100, 0.01f, -4.0f, -0.3f);
    for (auto [first, last] : {std::pair{50, 50}, std::pair{60, 20}, std::pair{-30, -1}}) {
        const SlopeResult r = QuarterSlope(t.level.data(), t.distance.data(), first, last, -48.0f, 100);
        EXPECT_EQ(r.slope, 0.0f) << first << ".." << last;
        EXPECT_EQ(r.intercept, 0.0f) << first << ".." << last;
    }
}

TEST(QuarterSlope, RangeIsKeptInsideTheTrace)
{
    const Trace t = Fibre(1000, 0.01f, -4.05f, -0.3f);
    const SlopeResult inside = QuarterSlope(t.level.data(), t.distance.data(), 0, 1000, -48.0f, 1000);
    const SlopeResult beyond = QuarterSlope(t.level.data(), t.distance.data(), -500, 5000, -48.0f, 1000);
    EXPECT_EQ(beyond.slope, inside.slope);
    EXPECT_EQ(beyond.intercept, inside.intercept);
    EXPECT_NEAR(inside.slope, -0.3f, 0.01 + 1e-6);
}

TEST(QuarterSlope, EqualVotesGoToTheSteeperSlope)
{
    // Even points on one fibre, odd points on another: both get the same number of votes,
    // and the grid is scanned from the steepest slope up.
    Trace t = Fibre(2000, 0.01f, -4.05f, -0.3f);
    for (int i = 1; i < 2000; i += 2)
        t.level[i] = -2.05f - 0.2f * t.distance[i];
    const SlopeResult r = QuarterSlope(t.level.data(), t.distance.data(), 0, 2000, -48.0f, 2000);
    EXPECT_NEAR(r.slope, -0.3f, 0.005);
    EXPECT_NEAR(r.intercept, -4.0f, 0.06);
}

TEST(QuarterSlope, EachQuarterStartsAtItsOwnBoundary)
{
    // last = 6010 samples every second point. The quarters begin at 0, 1502, 3005 and 4507,
    // so the second half is sampled on its odd points. Fibre A sits on the even points of the
    // second quarter only, fibre B on the odd points of the second half; everything else is
    // far above the vote grid. A single stride from 0 would see only A.
    const int last = 6010;
    Trace t = Fibre(last + 1, 0.01f, 40.0f, 0.0f);
    for (int i = 1502; i < 3005; i += 2)
        t.level[i] = -3.05f - 0.2f * t.distance[i];
    for (int i = 3005; i < last; i += 2)
        t.level[i] = -2.05f - 0.4f * t.distance[i];
    const SlopeResult r = QuarterSlope(t.level.data(), t.distance.data(), 0, last, -48.0f, last + 1);
    EXPECT_NEAR(r.slope, -0.4f, 0.005);
    EXPECT_NEAR(r.intercept, -2.0f, 0.06);
}

}  // namespace
}  // namespace fv
