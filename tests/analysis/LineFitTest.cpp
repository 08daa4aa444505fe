#include "analysis/LineFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace fv {
namespace {

struct Points {
    std::vector<float> level, distance;
};

// Points on level = a + s * distance, with an optional ripple to keep the fit honest.
Points Line(int n, float spacing, float a, float s, float ripple = 0)
{
    Points p;
    for (int i = 0; i < n; ++i) {
        const float d = static_cast<float>(i) * spacing;
        p.distance.push_back(d);
        p.level.push_back(a + s * d + ripple * static_cast<float>(std::sin(i * 1.7)));
    }
    return p;
}

// Least squares by the centred formula, in long double, as an independent reference.
void ReferenceFit(const Points& p, int first, int last, long double& slope, long double& intercept)
{
    const int n = last - first + 1;
    long double mx = 0, my = 0;
    for (int i = first; i <= last; ++i) {
        mx += p.distance[i];
        my += p.level[i];
    }
    mx /= n;
    my /= n;
    long double sxy = 0, sxx = 0;
    for (int i = first; i <= last; ++i) {
        sxy += (p.distance[i] - mx) * (p.level[i] - my);
        sxx += (p.distance[i] - mx) * (p.distance[i] - mx);
    }
    slope = sxy / sxx;
    intercept = my - slope * mx;
}

TEST(FitLine, ThreePointsOnAFallingLine)
{
    const float level[] = {0.0f, -0.2f, -0.4f};
    const float distance[] = {0.0f, 1.0f, 2.0f};
    const LineFitResult f = FitLine(level, distance, 0, 2);
    EXPECT_NEAR(f.slope, -0.2f, 1e-6);
    EXPECT_NEAR(f.intercept, 0.0f, 1e-6);
}

struct FitCase {
    const char* name;
    int n;
    float spacing, a, s, ripple;
    int first, last;
};

class FitLineCases : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitLineCases, AgreesWithTheCentredFormula)
{
    const FitCase& c = GetParam();
    const Points p = Line(c.n, c.spacing, c.a, c.s, c.ripple);
    long double slope, intercept;
    ReferenceFit(p, c.first, c.last, slope, intercept);
    const LineFitResult f = FitLine(p.level.data(), p.distance.data(), c.first, c.last);
    EXPECT_NEAR(f.slope, static_cast<double>(slope), 1e-4) << c.name;
    EXPECT_NEAR(f.intercept, static_cast<double>(intercept), 1e-3) << c.name;
    if (c.ripple == 0) {
        EXPECT_NEAR(f.slope, c.s, 1e-4) << c.name;
        EXPECT_NEAR(f.intercept, c.a, 1e-3) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FitLineCases,
    ::testing::Values(FitCase{"two points", 2, 0.5f, -3.0f, -0.35f, 0, 0, 1},
                      FitCase{"clean fibre", 400, 0.01f, -2.0f, -0.2f, 0, 0, 399},
                      FitCase{"far sub-range", 4000, 0.005f, -1.0f, -0.33f, 0, 3000, 3500},
                      FitCase{"rippled", 300, 0.02f, -4.0f, -0.25f, 0.05f, 10, 290},
                      FitCase{"rising", 50, 0.1f, -20.0f, 0.4f, 0.01f, 0, 49}),
    [](const auto& info) {
        std::string s = info.param.name;
        for (char& ch : s)
            if (ch == ' ' || ch == '-') ch = '_';
        return s;
    });

TEST(FitLine, IgnoresPointsOutsideTheRange)
{
    Points p = Line(100, 0.1f, -1.0f, -0.3f);
    p.level[19] = 50.0f;
    p.level[81] = -80.0f;
    const LineFitResult f = FitLine(p.level.data(), p.distance.data(), 20, 80);
    EXPECT_NEAR(f.slope, -0.3f, 1e-4);
    EXPECT_NEAR(f.intercept, -1.0f, 1e-3);
}

struct DegenerateCase {
    const char* name;
    std::vector<float> level, distance;
    int first, last;
    float intercept;  // slope is always 0
};

class FitLineDegenerate : public ::testing::TestWithParam<DegenerateCase> {};

TEST_P(FitLineDegenerate, FlatLineInsteadOfDividingByZero)
{
    const DegenerateCase& c = GetParam();
    const LineFitResult f = FitLine(c.level.data(), c.distance.data(), c.first, c.last);
    EXPECT_TRUE(std::isfinite(f.slope) && std::isfinite(f.intercept)) << c.name;
    EXPECT_EQ(f.slope, 0.0f) << c.name;
    EXPECT_NEAR(f.intercept, c.intercept, 1e-6) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Degenerate, FitLineDegenerate,
    ::testing::Values(
        DegenerateCase{"single point", {-1.0f, -2.5f, -3.0f}, {0.0f, 1.0f, 2.0f}, 1, 1, -2.5f},
        DegenerateCase{"equal distances (mean level)", {-1.0f, -2.0f, -6.0f}, {3.0f, 3.0f, 3.0f}, 0, 2, -3.0f},
        DegenerateCase{"backwards range is empty", {-1.0f, -2.0f, -6.0f}, {0.0f, 1.0f, 2.0f}, 2, 0, 0.0f}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(LineLevelAt, SamePointGivesItsLevel)
{
    const Points p = Line(10, 1.0f, -1.0f, -0.2f, 0.3f);
    EXPECT_EQ(LineLevelAt(p.level.data(), p.distance.data(), 4, 4, 8), p.level[4]);
}

TEST(LineLevelAt, EvaluatesTheFittedLineAtAnyPointInEitherOrder)
{
    Points p = Line(200, 0.05f, -3.0f, -0.25f);
    p.level[150] += 7.0f;  // a reflection beyond the fitted stretch must not matter
    const float forward = LineLevelAt(p.level.data(), p.distance.data(), 10, 90, 150);
    const float backward = LineLevelAt(p.level.data(), p.distance.data(), 90, 10, 150);
    EXPECT_NEAR(forward, -3.0f - 0.25f * p.distance[150], 1e-3);
    EXPECT_EQ(forward, backward);
}

}  // namespace
}  // namespace fv
