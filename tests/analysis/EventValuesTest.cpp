#include "analysis/EventValues.h"

#include "support/FibreLine.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/LineFit.h"

namespace fv {
namespace {
using test::Fibre;
using test::Trace;

// A splice: every point from `from` on lies `db` lower.
void Drop(Trace& t, int from, float db)
{
    for (int i = from; i < t.n(); ++i)
        t.level[i] -= db;
}

TraceEvent Event(int type, int point, std::array<int, 5> m, const Trace& t)
{
    TraceEvent e;
    e.type = type;
    e.pointIndex = point;
    e.distanceKm = t.distance[point];
    for (int i = 0; i < 5; ++i)
        e.markers[i] = m[i];
    e.endIndex = m[2];
    return e;
}

// The reflectance of a peak h dB above its base.
double Reflectance(double h, double backscatter, int pulseNs, double offset)
{
    return 10 * std::log10(std::pow(10.0, 2 * h / 10) - 1) - (backscatter - 10 * std::log10(pulseNs)) + offset;
}

// ---------------------------------------------------------------- losses

struct LossCase {
    const char* name;
    float s;                 // fibre slope of the trace
    float k;                 // slope passed in
    int wavelengthNm;
    std::array<int, 4> m;    // m1..m4 of the event
    bool beforeFits, afterFits;  // whether each side keeps its own fitted slope
    float effectiveK;        // the slope that carries the other sides on
};

class EstimateEventLossesCases : public ::testing::TestWithParam<LossCase> {};

TEST_P(EstimateEventLossesCases, LossOfACleanStep)
{
    const LossCase& c = GetParam();
    constexpr float a = -3.0f, delta = 0.5f;
    Trace t = Fibre(2000, 0.01f, a, c.s);
    Drop(t, 1000, delta);
    TraceEvent ev[2] = {Event(0, 0, {0, 0, 0, 20, 20}, t),
                        Event(3, 1000, {c.m[0], c.m[1], c.m[2], c.m[3], c.m[3]}, t)};
    ev[0].loss = 123.0f;
    EstimateEventLosses(t.L(), t.D(), ev, 2, c.k, c.wavelengthNm);

    // Each side: its line through the marker, carried on to the middle of the step with
    // its own slope when the fit is trusted, with K otherwise.
    const double d2 = t.distance[c.m[1]], d3 = t.distance[c.m[2]];
    const double x = (d2 + d3) / 2;
    const double kb = c.beforeFits ? c.s : c.effectiveK;
    const double ka = c.afterFits ? c.s : c.effectiveK;
    const double before = a + c.s * d2 + kb * (x - d2);
    const double after = a - delta + c.s * d3 + ka * (x - d3);
    EXPECT_NEAR(ev[1].loss, before - after, 1e-3) << c.name;
    EXPECT_EQ(ev[0].loss, 123.0f) << "event 0 has no loss of its own";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, EstimateEventLossesCases,
    ::testing::Values(
        LossCase{"both lines fitted", -0.2f, -0.3f, 1550, {700, 990, 1010, 1300}, true, true, -0.3f},
        LossCase{"steep fibre falls back to K", -0.6f, -0.2f, 1550, {700, 990, 1010, 1300}, false, false, -0.2f},
        LossCase{"flat fibre falls back to K", -0.05f, -0.2f, 1310, {700, 990, 1010, 1300}, false, false, -0.2f},
        LossCase{"short sides use their marker level", -0.2f, -0.35f, 1550, {970, 990, 1010, 1012}, false, false, -0.35f},
        LossCase{"thirty points before are fitted", -0.2f, -0.5f, 1550, {960, 990, 1010, 1300}, true, true, -0.5f},
        LossCase{"twenty-nine are not", -0.2f, -0.5f, 1550, {961, 990, 1010, 1300}, false, true, -0.5f},
        LossCase{"three points after are fitted", -0.2f, -0.5f, 1550, {700, 990, 1010, 1013}, true, true, -0.5f},
        LossCase{"steep vote replaced at 1550", -0.3f, -0.9f, 1550, {970, 990, 1010, 1012}, false, false, -0.2f},
        LossCase{"steep vote replaced at 1625", -0.3f, 0.85f, 1625, {970, 990, 1010, 1012}, false, false, -0.2f},
        LossCase{"steep vote kept at 850", -0.3f, -0.9f, 850, {970, 990, 1010, 1012}, false, false, -0.9f},
        LossCase{"vote of 0.8 kept", -0.3f, -0.8f, 1310, {970, 990, 1010, 1012}, false, false, -0.8f}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// ---------------------------------------------------------------- launch level

TEST(ComputeLaunchAndCumulative, CloseSecondEventFitsFromPastTheLaunchDeadZone)
{
    // Two events 3 km apart. The dead zone of the launch reaches point 30, so a fit from
    // event 0's own fourth marker (20) would be pulled up; a tenth of the way on (43) it is
    // clean fibre.
    constexpr float a = -2.0f, s = -0.3f;
    Trace t = Fibre(1000, 0.01f, a, s);
    for (int i = 0; i <= 30; ++i)
        t.level[i] += 5.0f * (1.0f - static_cast<float>(i) / 30);
    ASSERT_GT(std::fabs(FitLine(t.L(), t.D(), 20, 290).intercept - a), 0.05f) << "fixture must show the fault";

    TraceEvent ev[2] = {Event(0, 0, {0, 0, 0, 20, 20}, t), Event(3, 300, {250, 290, 310, 350, 350}, t)};
    ev[0].attenuation = 9.0f;
    ComputeLaunchAndCumulative(t.L(), t.D(), ev, 2, 1550);

    EXPECT_NEAR(ev[0].level, a, 1e-3);
    EXPECT_EQ(ev[0].loss, 0.0f);
    EXPECT_EQ(ev[0].attenuation, 0.0f);
    EXPECT_EQ(ev[0].cumulativeLoss, 0.0f);
    EXPECT_NEAR(ev[1].attenuation, -s, 1e-4);
    EXPECT_NEAR(ev[1].cumulativeLoss, -s * t.distance[250], 1e-4);
    ev[1].level = 99.0f;  // what an earlier edit may have left there
    ComputeLaunchAndCumulative(t.L(), t.D(), ev, 2, 1550);
    EXPECT_FLOAT_EQ(ev[1].level, ev[0].level - ev[1].cumulativeLoss);
    const int markers[5] = {0, 0, 0, 20, 20};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ev[0].markers[i], markers[i]) << "stored markers stay as they were";
}

struct MoveCase {
    int m4, nextM1, fitFrom;
};

class LaunchFitStart : public ::testing::TestWithParam<MoveCase> {};

TEST_P(LaunchFitStart, MovesATenthOfTheWayTruncatingTowardZero)
{
    const MoveCase& c = GetParam();
    Trace t = Fibre(1000, 0.01f, -2.0f, -0.3f);
    for (int i = 0; i <= 40; ++i)  // makes every start point give its own fit
        t.level[i] += 0.02f * static_cast<float>((i * 7) % 5);
    TraceEvent ev[2] = {Event(0, 0, {0, 0, 0, c.m4, c.m4}, t), Event(3, 300, {c.nextM1, 290, 310, 350, 350}, t)};
    ComputeLaunchAndCumulative(t.L(), t.D(), ev, 2, 1550);
    const LineFitResult f = FitLine(t.L(), t.D(), c.fitFrom, 290);
    EXPECT_EQ(ev[0].level, f.intercept);
    EXPECT_EQ(ev[1].attenuation, -f.slope);
    EXPECT_EQ(ev[0].markers[3], c.m4);
}

INSTANTIATE_TEST_SUITE_P(Moves, LaunchFitStart,
                         ::testing::Values(MoveCase{20, 250, 43},   // +230/10
                                           MoveCase{20, 29, 20},    // +9/10 is 0
                                           MoveCase{20, 5, 19},     // -15/10 is -1, not -2
                                           MoveCase{35, 100, 41}));

struct LaunchCase {
    const char* name;
    int wavelengthNm;
    float s;              // fibre slope
    float defaultSlope;   // what the wavelength's default should be
    int m3, m4;           // event 0's fit range
    bool launchUsable, leadInUsable;
};

class LaunchAndLeadIn : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchAndLeadIn, UsesTheFitOnlyWhenItLooksLikeFibre)
{
    const LaunchCase& c = GetParam();
    constexpr float a = -2.0f;
    const Trace t = Fibre(2000, 0.01f, a, c.s);
    TraceEvent ev[2] = {Event(0, 0, {0, 0, c.m3, c.m4, c.m4}, t), Event(3, 1500, {1400, 1450, 1550, 1600, 1600}, t)};
    // Off the point's own distance, so that the default-slope path can be told apart.
    ev[1].distanceKm = t.distance[1500] + 0.02f;
    ComputeLaunchAndCumulative(t.L(), t.D(), ev, 2, c.wavelengthNm);

    const double launch = c.launchUsable ? a : t.level[c.m3] - c.defaultSlope * t.distance[c.m3];
    EXPECT_NEAR(ev[0].level, launch, 2e-3) << c.name;
    const double lead = c.leadInUsable ? a + c.s * t.distance[1500]
                                       : t.level[1450] + c.defaultSlope * (ev[1].distanceKm - t.distance[1450]);
    EXPECT_NEAR(ev[1].level, lead, 2e-3) << c.name;
    EXPECT_NEAR(ev[1].cumulativeLoss, ev[0].level - ev[1].level, 1e-4) << c.name;
    EXPECT_EQ(ev[0].cumulativeLoss, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Fits, LaunchAndLeadIn,
    ::testing::Values(
        LaunchCase{"1550 fitted -0.3 is used", 1550, -0.3f, -0.19f, 20, 60, true, true},
        LaunchCase{"1550 fitted -0.5 is not", 1550, -0.5f, -0.19f, 20, 60, false, false},
        LaunchCase{"launch fit must start past point 10", 1550, -0.3f, -0.19f, 10, 60, false, true},
        LaunchCase{"point 11 will do", 1550, -0.3f, -0.19f, 11, 60, true, true},
        LaunchCase{"rising fit is not used", 1550, 0.1f, -0.19f, 20, 60, false, false},
        LaunchCase{"flat fit is used", 1625, 0.0f, -0.19f, 20, 60, true, true},
        LaunchCase{"backwards launch range", 1550, -0.3f, -0.19f, 60, 20, false, true},
        LaunchCase{"1310 takes -0.6", 1310, -0.6f, -0.325f, 20, 60, true, true},
        LaunchCase{"1310 refuses -0.7", 1310, -0.7f, -0.325f, 20, 60, false, false},
        LaunchCase{"1300 takes -0.9", 1300, -0.9f, -0.5f, 20, 60, true, true},
        LaunchCase{"1300 refuses -1.1", 1300, -1.1f, -0.5f, 20, 60, false, false},
        LaunchCase{"850 takes -5", 850, -5.0f, -3.0f, 20, 60, true, true},
        LaunchCase{"850 refuses -7", 850, -7.0f, -3.0f, 20, 60, false, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ComputeLaunchAndCumulative, SecondEventWithinAHundredMetresUsesTheLaunchFit)
{
    const Trace t = Fibre(2000, 0.01f, -2.0f, -0.3f);
    // d = distance[65] - distance[60] = 0.05 km: too close for the long fit.
    TraceEvent ev[2] = {Event(0, 0, {0, 0, 20, 60, 60}, t), Event(2, 70, {62, 65, 75, 90, 90}, t)};
    ComputeLaunchAndCumulative(t.L(), t.D(), ev, 2, 1550);
    EXPECT_NEAR(ev[0].level, -2.0f, 1e-3);
    EXPECT_NEAR(ev[1].level, -2.0f - 0.3f * t.distance[70], 1e-3);
}

TEST(ComputeLaunchAndCumulative, SingleEventKeepsItsLevel)
{
    const Trace t = Fibre(200, 0.01f, -2.0f, -0.3f);
    TraceEvent ev = Event(0, 0, {0, 0, 20, 60, 60}, t);
    ev.level = -7.5f;
    ev.loss = 1.0f;
    ev.cumulativeLoss = 2.0f;
    ComputeLaunchAndCumulative(t.L(), t.D(), &ev, 1, 1550);
    EXPECT_EQ(ev.level, -7.5f);
    EXPECT_EQ(ev.loss, 0.0f);
    EXPECT_EQ(ev.cumulativeLoss, 0.0f);
}

// ---------------------------------------------------------------- event values

TEST(ComputeEventValues, AttenuationOfTheFibreBetweenSplices)
{
    constexpr float a = -3.0f, s = -0.25f, d1 = 0.4f, d2 = 0.7f;
    Trace t = Fibre(3000, 0.01f, a, s);
    Drop(t, 1000, d1);
    Drop(t, 2000, d2);
    TraceEvent ev[3] = {Event(0, 0, {0, 0, 20, 200, 200}, t),
                        Event(3, 1000, {700, 990, 1010, 1300, 1300}, t),
                        Event(3, 2000, {1700, 1990, 2010, 2300, 2300}, t)};
    ev[0].distanceKm = 0.3f;
    EstimateEventLosses(t.L(), t.D(), ev, 3, s, 1550);
    ComputeEventValues(t.L(), t.D(), ev, 3, 1550);

    EXPECT_EQ(ev[0].distanceKm, 0.0f);
    EXPECT_NEAR(ev[0].level, a, 1e-3);
    EXPECT_NEAR(ev[1].loss, d1, 1e-3);
    EXPECT_NEAR(ev[2].loss, d2, 1e-3);
    EXPECT_NEAR(ev[1].cumulativeLoss, -s * t.distance[1000], 1e-3);
    EXPECT_NEAR(ev[2].cumulativeLoss, -s * t.distance[2000] + d1, 1e-3);
    EXPECT_NEAR(ev[1].attenuation, -s, 1e-4);
    EXPECT_NEAR(ev[2].attenuation, -s, 1e-4);
}

TEST(ComputeEventValues, EventsAtOnePointHaveNoAttenuation)
{
    const Trace t = Fibre(3000, 0.01f, -3.0f, -0.25f);
    TraceEvent ev[3] = {Event(0, 0, {0, 0, 20, 200, 200}, t),
                        Event(3, 1000, {700, 990, 1010, 1300, 1300}, t),
                        Event(3, 1000, {700, 990, 1010, 1300, 1300}, t)};
    ComputeEventValues(t.L(), t.D(), ev, 3, 1550);
    EXPECT_EQ(ev[2].attenuation, 0.0f);
    EXPECT_NEAR(ev[1].attenuation, 0.25f, 1e-4);
}

class DisorderedMarkers : public ::testing::TestWithParam<std::array<int, 5>> {};

TEST_P(DisorderedMarkers, GiveFiniteValues)
{
    const std::array<int, 5> m = GetParam();
    Trace t = Fibre(500, 0.01f, -3.0f, -0.25f);
    TraceEvent ev[3] = {Event(0, 0, m, t), Event(2, 250, m, t), Event(1, 499, m, t)};
    ev[1].pointIndex = m[4];
    ev[1].distanceKm = t.distance[m[4]];
    ReflectanceInputs in;
    in.backscatterDb = 80;
    in.pulseWidthNs = 100;
    in.wavelengthNm = 1550;
    in.rangeKm = 5;
    EstimateEventLosses(t.L(), t.D(), ev, 3, -0.2f, 1550);
    ComputeEventValues(t.L(), t.D(), ev, 3, 1550);
    ComputeReflectances(t.L(), t.D(), ev, 3, t.n(), in);
    in.variant = ReflectanceVariant::Detector;
    ComputeReflectances(t.L(), t.D(), ev, 3, t.n(), in);
    for (const TraceEvent& e : ev)
        for (float v : {e.level, e.loss, e.attenuation, e.cumulativeLoss, e.reflectance, e.distanceKm})
            EXPECT_TRUE(std::isfinite(v));
}

INSTANTIATE_TEST_SUITE_P(Markers, DisorderedMarkers,
                         ::testing::Values(std::array<int, 5>{300, 200, 100, 50, 250},
                                           std::array<int, 5>{250, 250, 250, 250, 250},
                                           std::array<int, 5>{0, 499, 499, 0, 0},
                                           std::array<int, 5>{499, 0, 0, 499, 499},
                                           std::array<int, 5>{10, 400, 120, 120, 0}));

// ---------------------------------------------------------------- reflectance

ReflectanceInputs DetectorInputs()
{
    ReflectanceInputs in;
    in.backscatterDb = 80;
    in.pulseWidthNs = 100;
    in.wavelengthNm = 1310;
    in.rangeKm = 20;
    in.moduleCode = '+';
    in.variant = ReflectanceVariant::Detector;
    return in;
}

TEST(ComputeReflectances, PeakThreeDecibelsAboveTheLaunch)
{
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    for (int i = 10; i <= 30; ++i)
        t.level[i] = -7.0f - 0.1f * static_cast<float>(std::abs(i - 20));
    TraceEvent ev = Event(0, 0, {0, 0, 60, 80, 80}, t);
    ev.level = -10.0f;
    ev.endIndex = 50;
    ComputeReflectances(t.L(), t.D(), &ev, 1, t.n(), DetectorInputs());
    EXPECT_NEAR(ev.reflectance, Reflectance(3.0, 80, 100, 0.6), 1e-3);
    EXPECT_NEAR(ev.reflectance, -54.66, 0.01);
}

class NoRise : public ::testing::TestWithParam<float> {};

TEST_P(NoRise, ReflectanceFloor)
{
    const float rise = GetParam();
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    t.level[25] += rise;
    TraceEvent ev = Event(0, 0, {0, 0, 60, 80, 80}, t);
    ev.level = -10.0f;
    ev.endIndex = 50;
    ComputeReflectances(t.L(), t.D(), &ev, 1, t.n(), DetectorInputs());
    if (rise <= 0.001f)
        EXPECT_EQ(ev.reflectance, -69.0f);
    else
        EXPECT_NEAR(ev.reflectance, Reflectance(t.level[25] + 10.0, 80, 100, 0.6), 1e-2);
}

INSTANTIATE_TEST_SUITE_P(Rises, NoRise, ::testing::Values(0.0f, 0.0005f, 0.01f, 1.0f));

struct BaseCase {
    const char* name;
    ReflectanceVariant variant;
    int prevLimit;
    bool fitted;  // base from the fibre before the event rather than the event's own point
};

class ReflectanceBase : public ::testing::TestWithParam<BaseCase> {};

TEST_P(ReflectanceBase, FromTheFibreBeforeWhenThereIsEnoughOfIt)
{
    const BaseCase& c = GetParam();
    constexpr float a = -3.0f, s = -0.25f, height = 4.0f;
    Trace t = Fibre(1000, 0.01f, a, s);
    t.level[505] += height;
    TraceEvent ev[2] = {Event(0, 0, {0, 0, 0, 20, 20}, t), Event(2, 500, {400, 450, 520, 600, 600}, t)};
    ev[0].level = a;
    // The other variant's limits are nonsense so that using them would show.
    if (c.variant == ReflectanceVariant::Detector) {
        ev[0].endIndex = c.prevLimit;
        ev[0].markers[2] = 499;
        ev[1].endIndex = 520;
        ev[1].markers[2] = 501;
    } else {
        ev[0].markers[2] = c.prevLimit;
        ev[0].endIndex = 499;
        ev[1].markers[2] = 520;
        ev[1].endIndex = 501;
    }
    ReflectanceInputs in = DetectorInputs();
    in.variant = c.variant;
    in.vendorValue = 0.6f;  // same offset as the detector's table for 1310 nm, 100 ns, '+'
    ComputeReflectances(t.L(), t.D(), ev, 2, t.n(), in);
    const double h = c.fitted ? height : height + s * (t.distance[505] - t.distance[500]);
    EXPECT_NEAR(ev[1].reflectance, Reflectance(h, 80, 100, 0.6), 2e-3) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ReflectanceBase,
    ::testing::Values(BaseCase{"long gap", ReflectanceVariant::Detector, 10, true},
                      BaseCase{"short gap", ReflectanceVariant::Detector, 495, false},
                      BaseCase{"ten points are not enough", ReflectanceVariant::Detector, 491, false},
                      BaseCase{"eleven are", ReflectanceVariant::Detector, 490, true},
                      BaseCase{"after edits: long gap", ReflectanceVariant::AfterEdit, 10, true},
                      BaseCase{"after edits: short gap", ReflectanceVariant::AfterEdit, 495, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ComputeReflectances, PeakLimitIsExcludedAndKeptInsideTheTrace)
{
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    t.level[109] = -9.0f;
    t.level[110] = -5.0f;
    t.level[199] = -4.0f;
    TraceEvent ev[3] = {Event(0, 0, {0, 0, 0, 5, 5}, t), Event(2, 100, {90, 95, 110, 120, 120}, t),
                        Event(1, 150, {140, 145, 150, 160, 160}, t)};
    ev[0].level = -10.0f;
    ev[0].endIndex = 5;
    ev[1].endIndex = 110;
    ev[2].endIndex = 1000000;  // beyond the trace
    ComputeReflectances(t.L(), t.D(), ev, 3, t.n(), DetectorInputs());
    EXPECT_NEAR(ev[1].reflectance, Reflectance(1.0, 80, 100, 0.6), 1e-3);
    EXPECT_NEAR(ev[2].reflectance, Reflectance(6.0, 80, 100, 0.6), 1e-3);
}

TEST(ComputeReflectances, NonReflectiveEventsKeepTheirValue)
{
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    t.level[105] = -8.0f;
    TraceEvent ev[2] = {Event(0, 0, {0, 0, 0, 5, 5}, t), Event(3, 100, {90, 95, 110, 120, 120}, t)};
    ev[0].level = -10.0f;
    ev[1].reflectance = -33.0f;
    ComputeReflectances(t.L(), t.D(), ev, 2, t.n(), DetectorInputs());
    EXPECT_EQ(ev[1].reflectance, -33.0f);
    ev[1].type = kEventReflective;
    ComputeReflectances(t.L(), t.D(), ev, 2, t.n(), DetectorInputs());
    EXPECT_NEAR(ev[1].reflectance, Reflectance(2.0, 80, 100, 0.6), 1e-3);
}

struct OffsetChoice {
    ReflectanceVariant variant;
    int module;
    float vendorValue;
    float offset;  // the table entry the choice should land on
};

class ReflectanceOffsetChoice : public ::testing::TestWithParam<OffsetChoice> {};

TEST_P(ReflectanceOffsetChoice, PicksTheRightOffset)
{
    const OffsetChoice& c = GetParam();
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    t.level[20] = -8.0f;
    TraceEvent ev = Event(0, 0, {0, 0, 50, 60, 60}, t);
    ev.level = -10.0f;
    ev.endIndex = 50;
    ReflectanceInputs in = DetectorInputs();
    in.variant = c.variant;
    in.moduleCode = c.module;
    in.vendorValue = c.vendorValue;
    ComputeReflectances(t.L(), t.D(), &ev, 1, t.n(), in);
    EXPECT_NEAR(ev.reflectance, Reflectance(2.0, 80, 100, c.offset), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, ReflectanceOffsetChoice,
    ::testing::Values(OffsetChoice{ReflectanceVariant::Detector, '+', 2000, 0.6f},
                      OffsetChoice{ReflectanceVariant::Detector, '1', 2000, 3.0f},
                      OffsetChoice{ReflectanceVariant::Detector, 'x', 2000, 0.0f},
                      OffsetChoice{ReflectanceVariant::AfterEdit, '+', 2.5f, 2.5f},
                      OffsetChoice{ReflectanceVariant::AfterEdit, '+', 1000.0f, 1000.0f},
                      // 1310 nm, 100 ns, near 20 km
                      OffsetChoice{ReflectanceVariant::AfterEdit, '+', 1000.5f, 3.1f}));

TEST(ComputeReflectances, ZeroPulseWidthStaysFinite)
{
    Trace t = Fibre(200, 0.01f, -10.0f, 0.0f);
    t.level[20] = -8.0f;
    TraceEvent ev = Event(0, 0, {0, 0, 50, 60, 60}, t);
    ev.level = -10.0f;
    ReflectanceInputs in = DetectorInputs();
    in.pulseWidthNs = 0;
    in.variant = ReflectanceVariant::AfterEdit;
    ComputeReflectances(t.L(), t.D(), &ev, 1, t.n(), in);
    EXPECT_TRUE(std::isfinite(ev.reflectance));
}

struct ModuleOffsetRow {
    int wavelengthNm, module, pulseNs;
    float offset;
};

class ReflectanceOffsetTable : public ::testing::TestWithParam<ModuleOffsetRow> {};

TEST_P(ReflectanceOffsetTable, Entry)
{
    const ModuleOffsetRow& r = GetParam();
    EXPECT_FLOAT_EQ(ReflectanceOffset(r.wavelengthNm, r.module, r.pulseNs), r.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReflectanceOffsetTable,
    ::testing::Values(ModuleOffsetRow{1310, '+', 5, 5.5f}, ModuleOffsetRow{1310, '+', 1000, 0.0f},
                      ModuleOffsetRow{1310, '+', 20, 0.0f}, ModuleOffsetRow{1310, '1', 30, 7.3f},
                      ModuleOffsetRow{1310, '1', 1000, 0.5f}, ModuleOffsetRow{1310, '1', 10, 0.0f},
                      ModuleOffsetRow{1310, '7', 300, 3.75f}, ModuleOffsetRow{1310, '7', 1000, 1.0f},
                      ModuleOffsetRow{1550, '+', 5, 5.19f}, ModuleOffsetRow{1550, '+', 100, 0.5f},
                      ModuleOffsetRow{1550, '1', 5, 0.4f}, ModuleOffsetRow{1550, '1', 20, 0.4f},
                      ModuleOffsetRow{1625, '1', 100, 3.1f}, ModuleOffsetRow{1625, '7', 1000, 1.1f},
                      ModuleOffsetRow{1300, '7', 300, 3.75f}, ModuleOffsetRow{1310, 'x', 100, 0.0f},
                      ModuleOffsetRow{1550, 0, 5, 0.0f}));

struct RangeOffsetRow {
    int wavelengthNm, pulseNs;
    float rangeKm;
    float offset;
};

class RecomputeReflectanceOffsetTable : public ::testing::TestWithParam<RangeOffsetRow> {};

TEST_P(RecomputeReflectanceOffsetTable, Entry)
{
    const RangeOffsetRow& r = GetParam();
    EXPECT_FLOAT_EQ(RecomputeReflectanceOffset(r.wavelengthNm, r.pulseNs, r.rangeKm), r.offset)
        << r.wavelengthNm << " nm, " << r.pulseNs << " ns, " << r.rangeKm << " km";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecomputeReflectanceOffsetTable,
    ::testing::Values(
        // 850 and 1300 nm: the range plays no part.
        RangeOffsetRow{850, 12, 77.0f, 3.7f}, RangeOffsetRow{850, 30, 0.0f, -0.84f},
        RangeOffsetRow{850, 1000, 5.0f, -1.2f}, RangeOffsetRow{1300, 12, 3.0f, 3.4f},
        RangeOffsetRow{1300, 100, 20.0f, -1.2f}, RangeOffsetRow{1300, 275, 0.3f, -1.4f},
        RangeOffsetRow{1300, 1000, 80.0f, -1.0f}, RangeOffsetRow{1300, 300, 80.0f, 0.0f},
        // 1310 nm by range.
        RangeOffsetRow{1310, 5, 0.35f, 6.92f}, RangeOffsetRow{1310, 10, 1.25f, 4.22f},
        RangeOffsetRow{1310, 12, 2.5f, 3.22f}, RangeOffsetRow{1310, 50, 2.45f, -0.27f},
        RangeOffsetRow{1310, 5, 0.45f, 0.0f},  // 0.15 km off: not near 0.3
        RangeOffsetRow{1310, 30, 5.05f, 2.8f},
        RangeOffsetRow{1310, 50, 5.0f, 0.0f},  // the matching range decides: no fall-through
        RangeOffsetRow{1310, 100, 10.0f, 2.93f}, RangeOffsetRow{1310, 275, 20.0f, 1.0f},
        RangeOffsetRow{1310, 30, 40.0f, 8.0f}, RangeOffsetRow{1310, 300, 39.95f, 1.4f},
        RangeOffsetRow{1310, 1000, 80.0f, 0.8f}, RangeOffsetRow{1310, 30, 15.0f, 0.0f},
        // Other wavelengths.
        RangeOffsetRow{1550, 12, 1.3f, 3.7f}, RangeOffsetRow{1490, 50, 0.3f, -1.2f},
        RangeOffsetRow{1550, 12, 5.0f, 8.64f}, RangeOffsetRow{1550, 1000, 5.0f, 0.0f},
        RangeOffsetRow{1550, 300, 10.0f, -0.4f}, RangeOffsetRow{1625, 30, 20.0f, 6.4f},
        RangeOffsetRow{1550, 100, 40.0f, 1.7f}, RangeOffsetRow{1550, 275, 80.05f, 3.65f},
        RangeOffsetRow{1550, 100, 80.0f, 0.0f}, RangeOffsetRow{1550, 30, 60.0f, 0.0f}));

// ---------------------------------------------------------------- recomputation of a slot

struct SlotCase {
    float vendorValue;
    float offset;  // the offset the reflectance should carry
};

class RecomputeEventsSlot : public ::testing::TestWithParam<SlotCase> {};

TEST_P(RecomputeEventsSlot, RecomputesAnEditedEventList)
{
    const SlotCase& c = GetParam();
    constexpr int n = 4000;
    constexpr float spacing = 0.005f, a = -5.05f, s = -0.2f, splice = 0.5f, peak = 3.0f;
    auto slot = std::make_unique<TraceSlot>();
    slot->pointCount = n;
    for (int i = 0; i < n; ++i) {
        slot->distance[i] = static_cast<float>(i) * spacing;
        slot->level[i] = a + s * slot->distance[i] - (i >= 1500 ? splice : 0.0f);
    }
    slot->level[2500] += peak;
    for (int i = 3200; i < n; ++i)
        slot->level[i] = -60.0f;  // the fibre's end sinks into the noise
    slot->params.wavelength = 15500;
    slot->params.backscatterDb = 79.5f;
    slot->params.pulseWidthNs = 300;
    slot->params.rangeKm = 20.0f;
    slot->params.vendorValue = c.vendorValue;

    auto ev = [&](int type, int point, std::array<int, 5> m) {
        TraceEvent e;
        e.type = type;
        e.pointIndex = point;
        e.distanceKm = slot->distance[point];
        for (int i = 0; i < 5; ++i)
            e.markers[i] = m[i];
        return e;
    };
    slot->eventCount = 4;
    slot->events[0] = ev(0, 0, {0, 0, 20, 200, 200});
    // Both sides too short to fit: the loss rests on the slope found by the vote.
    slot->events[1] = ev(3, 1500, {1380, 1400, 1600, 1602, 1602});
    slot->events[2] = ev(2, 2500, {2300, 2490, 2510, 2700, 2700});
    slot->events[3] = ev(1, 3200, {3100, 3190, 3210, 3300, 3300});
    slot->events[0].distanceKm = 0.1f;

    RecomputeEvents(*slot);
    const TraceEvent* e = slot->events;

    EXPECT_EQ(e[0].distanceKm, 0.0f);
    EXPECT_NEAR(e[0].level, a, 1e-3);
    const int markers0[5] = {0, 0, 20, 200, 200};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(e[0].markers[i], markers0[i]);
    // The vote's slope is within 0.01 of the fibre's; across the 1 km between m2 and m3 that
    // moves the loss by at most 0.01 dB.
    EXPECT_NEAR(e[1].loss, splice, 0.011);
    EXPECT_NEAR(e[1].attenuation, -s, 1e-3);
    EXPECT_NEAR(e[2].attenuation, -s, 0.003);
    EXPECT_NEAR(e[2].cumulativeLoss, -s * slot->distance[2500] + splice, 2e-3);
    EXPECT_NEAR(e[2].reflectance, Reflectance(peak, 79.5, 300, c.offset), 2e-3);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(std::isfinite(e[i].reflectance) && std::isfinite(e[i].loss)) << i;
}

INSTANTIATE_TEST_SUITE_P(Offsets, RecomputeEventsSlot,
                         ::testing::Values(SlotCase{1.5f, 1.5f},
                                           // 1550 nm, 300 ns, near 20 km
                                           SlotCase{2000.0f, -0.6f}));

}  // namespace
}  // namespace fv
