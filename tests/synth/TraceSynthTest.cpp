#include "synth/TraceSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using fv::SynthOptions;
using fv::TraceSlot;

std::unique_ptr<TraceSlot> synth(const std::string& preset, int points = 0, uint64_t seed = 1) {
    auto slot = std::make_unique<TraceSlot>();
    const fv::SynthResult r = fv::synthesizeTrace(SynthOptions{preset, points, seed}, *slot);
    EXPECT_TRUE(r.ok) << preset << ": " << r.error;
    return slot;
}

bool sameEvent(const fv::TraceEvent& a, const fv::TraceEvent& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Least-squares line through level[from..to] against distance.
struct Line {
    double slope, intercept;
    double at(double x) const { return slope * x + intercept; }
};
Line fit(const TraceSlot& s, int from, int to) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int count = to - from + 1;
    for (int i = from; i <= to; ++i) {
        const double x = s.distance[i], y = s.level[i];
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx);
    return {slope, (sy - slope * sx) / count};
}

// What every synthesised slot must satisfy, whatever the preset and point count.
void expectWellFormed(const TraceSlot& s) {
    const int n = s.pointCount;
    ASSERT_GE(n, 2);
    EXPECT_EQ(s.params.pointCount, n);
    EXPECT_EQ(s.distance[0], 0.0f);
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(std::isfinite(s.level[i])) << i;
        ASSERT_LE(s.level[i], 0.0f) << i;
        ASSERT_GE(s.level[i], -65.535f) << i;
        if (i > 0) {
            ASSERT_GT(s.distance[i], s.distance[i - 1]) << i;
        }
    }
    // The points cover the acquisition range.
    EXPECT_NEAR(s.totalLengthKm, s.params.rangeKm, s.params.rangeKm * 1e-3);

    ASSERT_GE(s.eventCount, 2);
    EXPECT_EQ(s.events[0].type, fv::kEventStart);
    for (int k = 0; k < s.eventCount; ++k) {
        const fv::TraceEvent& e = s.events[k];
        SCOPED_TRACE("event " + std::to_string(k));
        EXPECT_EQ(e.number, k + 1);
        ASSERT_GE(e.pointIndex, 0);
        ASSERT_LT(e.pointIndex, n);
        if (k > 0) {
            EXPECT_GT(e.pointIndex, s.events[k - 1].pointIndex);
            EXPECT_GE(e.markers[0], s.events[k - 1].markers[3]) << "window overlaps the previous event's";
            EXPECT_LE(e.markers[0], e.markers[1]);
            EXPECT_LT(e.markers[1], e.pointIndex);
        }
        for (int m : e.markers) {
            EXPECT_GE(m, 0);
            EXPECT_LT(m, n);
        }
        EXPECT_LE(e.markers[1], e.markers[2]);
        EXPECT_LE(e.markers[2], e.markers[3]);
        EXPECT_EQ(e.endFlag == fv::kEndFlagFibreEnd, k == s.eventCount - 1);
        EXPECT_GE(e.distanceKm, s.distance[e.pointIndex]);
        EXPECT_LT(e.distanceKm, s.distance[e.pointIndex] + s.spacingKm);
        EXPECT_NEAR(e.cumulativeLoss, s.events[0].level - e.level, 1e-3);
    }
    EXPECT_EQ(s.events[s.eventCount - 1].type, fv::kEventReflective);
}

TEST(TraceSynth, SameOptionsGiveTheSameSlotEvenOverAnOlderTrace) {
    auto a = synth("demo", 0, 42);
    // The second slot held a trace with more events first: nothing of it may show through.
    auto b = synth("longhaul", 0, 9);
    ASSERT_GT(b->eventCount, a->eventCount);
    const fv::SynthResult r = fv::synthesizeTrace(SynthOptions{"demo", 0, 42}, *b);
    ASSERT_TRUE(r.ok);

    ASSERT_EQ(a->pointCount, b->pointCount);
    const size_t bytes = sizeof(float) * size_t(a->pointCount);
    EXPECT_EQ(std::memcmp(a->level, b->level, bytes), 0);
    EXPECT_EQ(std::memcmp(a->distance, b->distance, bytes), 0);
    ASSERT_EQ(a->eventCount, b->eventCount);
    for (int i = 0; i < fv::kMaxEvents; ++i) EXPECT_TRUE(sameEvent(a->events[i], b->events[i])) << "event " << i;
    EXPECT_EQ(std::memcmp(&a->params, &b->params, sizeof a->params), 0);
    EXPECT_EQ(std::memcmp(&a->gen, &b->gen, sizeof a->gen), 0);
    EXPECT_EQ(std::memcmp(&a->sup, &b->sup, sizeof a->sup), 0);
    EXPECT_EQ(std::memcmp(&a->vendor, &b->vendor, sizeof a->vendor), 0);
}

TEST(TraceSynth, DifferentSeedsGiveDifferentTraces) {
    auto a = synth("demo", 0, 1);
    auto b = synth("demo", 0, 2);
    ASSERT_EQ(a->pointCount, b->pointCount);
    int differing = 0;
    for (int i = 0; i < a->pointCount; ++i) differing += a->level[i] != b->level[i];
    EXPECT_GT(differing, a->pointCount / 10);
    bool eventsDiffer = false;
    for (int i = 1; i < a->eventCount; ++i)
        eventsDiffer |= a->events[i].pointIndex != b->events[i].pointIndex || a->events[i].loss != b->events[i].loss;
    EXPECT_TRUE(eventsDiffer);
    EXPECT_NE(a->params.dateTime, b->params.dateTime);
}

struct PresetCase {
    const char* name;
    int points;
    int wavelength;  // tenths of a nanometre
    double minEndKm, maxEndKm;
    int minEvents, maxEvents;
};

class TraceSynthPreset : public ::testing::TestWithParam<PresetCase> {};

TEST_P(TraceSynthPreset, IsAPlausibleTraceWithConsistentEvents) {
    const PresetCase& c = GetParam();
    auto slot = synth(c.name, 0, 3);
    const TraceSlot& s = *slot;
    const int n = s.pointCount;
    ASSERT_EQ(n, c.points);
    EXPECT_EQ(s.params.wavelength, c.wavelength);
    EXPECT_EQ(s.gen.wavelengthNm * 10, c.wavelength);

    expectWellFormed(s);
    ASSERT_GE(s.eventCount, c.minEvents);
    ASSERT_LE(s.eventCount, c.maxEvents);
    const fv::TraceEvent& end = s.events[s.eventCount - 1];
    EXPECT_EQ(end.type, fv::kEventReflective);
    EXPECT_GE(end.distanceKm, c.minEndKm);
    EXPECT_LE(end.distanceKm, c.maxEndKm);

    // Launch: a peak above the backscatter, which starts within the usual levels.
    const fv::TraceEvent& start = s.events[0];
    const double backscatter = s.level[start.markers[2]];
    EXPECT_GE(backscatter, -15.5);
    EXPECT_LE(backscatter, -5.0);
    EXPECT_GT(s.level[start.markers[4]], backscatter + 1.0);

    // Past the end only noise around the floor.
    double sum = 0, sumSq = 0;
    const int count = end.markers[3] - end.markers[2] + 1;
    ASSERT_GT(count, 20);
    for (int i = end.markers[2]; i <= end.markers[3]; ++i) sum += s.level[i], sumSq += double(s.level[i]) * s.level[i];
    const double mean = sum / count, spread = std::sqrt(sumSq / count - mean * mean);
    EXPECT_NEAR(mean, s.params.noiseFloorDb, 1.5);
    EXPECT_GT(spread, 0.2);
    EXPECT_GE(s.params.noiseFloorDb, -56.0f);
    EXPECT_LE(s.params.noiseFloorDb, -50.0f);
}

// The trace shows what the event table says: fitted lines either side of each event step by
// its loss, slope by the attenuation, and peaks rise as high as their reflectance.
TEST_P(TraceSynthPreset, TraceMatchesTheEventTable) {
    auto slot = std::make_unique<TraceSlot>();
    const fv::SynthResult result = fv::synthesizeTrace(SynthOptions{GetParam().name, 0, 11}, *slot);
    ASSERT_TRUE(result.ok) << result.error;
    const TraceSlot& s = *slot;
    const std::vector<fv::SynthEvent>& truth = result.truth;
    ASSERT_EQ(int(truth.size()), s.eventCount);
    for (int k = 0; k < s.eventCount; ++k) {
        const fv::SynthEvent& t = truth[size_t(k)];
        const fv::TraceEvent& e = s.events[k];
        EXPECT_EQ(t.type, e.type);
        EXPECT_EQ(t.endFlag, e.endFlag);
        EXPECT_EQ(t.pointIndex, e.pointIndex);
        EXPECT_EQ(t.distanceKm, e.distanceKm);
        EXPECT_EQ(t.lossDb, e.loss);
        EXPECT_EQ(t.reflectanceDb, e.reflectance);
    }
    const double offset = s.params.backscatterDb - 10 * std::log10(double(s.params.pulseWidthNs));
    for (int k = 1; k + 1 < s.eventCount; ++k) {
        const fv::TraceEvent& e = s.events[k];
        const Line before = fit(s, e.markers[0], e.markers[1]);
        EXPECT_EQ(e.markers[1], e.pointIndex - 1);
        EXPECT_NEAR(s.level[e.markers[1]], e.level, 0.01) << "event " << k;
        const Line after = fit(s, e.markers[2], e.markers[3]);
        const double x = s.distance[e.pointIndex];
        EXPECT_NEAR(before.at(x) - after.at(x), e.loss, 0.01) << "event " << k;
        EXPECT_NEAR(before.at(x), e.level, 0.03) << "event " << k;
        EXPECT_NEAR(-after.slope, s.events[k + 1].attenuation, 0.02) << "event " << k;
        if (e.type == fv::kEventNonReflective) {
            EXPECT_EQ(e.reflectance, 0.0f);
            EXPECT_EQ(e.markers[4], 0);
            EXPECT_GE(std::fabs(e.loss), 0.05f) << "a step the loss threshold would miss";
        } else {
            const double h = s.level[e.markers[4]] - before.at(x);
            const double measured = 10 * std::log10(std::pow(10.0, 2 * h / 10) - 1) - offset;
            EXPECT_NEAR(measured, e.reflectance, 0.5) << "event " << k;
            EXPECT_GE(e.reflectance, -55.0f);
            EXPECT_LE(e.reflectance, -40.0f);
            EXPECT_GE(e.loss, 0.2f);
            EXPECT_LE(e.loss, 0.6f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, TraceSynthPreset,
                         ::testing::Values(PresetCase{"demo", 32000, 15500, 24.9, 25.5, 7, 9},
                                           PresetCase{"short", 16000, 13100, 3.0, 3.3, 4, 6},
                                           PresetCase{"longhaul", 128000, 15500, 100.0, 120.0, 28, 32}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TraceSynth, PointCountOverrideKeepsTheFibreLength) {
    auto full = synth("demo");
    const double endKm = full->events[full->eventCount - 1].distanceKm;
    struct Case {
        const char* preset;
        int points;
    };
    for (Case c : {Case{"demo", 5000}, Case{"demo", 128000}, Case{"demo", 200}, Case{"demo", 10},
                   Case{"short", 2}, Case{"longhaul", 1000}, Case{"longhaul", 37}}) {
        auto s = synth(c.preset, c.points);
        SCOPED_TRACE(std::string(c.preset) + " " + std::to_string(c.points));
        ASSERT_EQ(s->pointCount, c.points);
        expectWellFormed(*s);
        const fv::TraceEvent& end = s->events[s->eventCount - 1];
        if (std::string(c.preset) == "demo") {
            EXPECT_NEAR(end.distanceKm, endKm, full->spacingKm + s->spacingKm);
        }
    }
}

TEST(TraceSynth, RejectsUnknownPresetsAndPointCountsWithoutTouchingTheSlot) {
    struct Case {
        const char* preset;
        int points;
    };
    auto slot = std::make_unique<TraceSlot>();
    slot->pointCount = 77;
    slot->level[0] = -1.5f;
    for (Case c : {Case{"nope", 0}, Case{"", 0}, Case{"demo", 1}, Case{"demo", -5}, Case{"short", 128001},
                   Case{"demo", 3}, Case{"longhaul", 30}}) {
        const fv::SynthResult r = fv::synthesizeTrace(SynthOptions{c.preset, c.points, 1}, *slot);
        EXPECT_FALSE(r.ok) << c.preset << " " << c.points;
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(r.truth.empty());
    }
    EXPECT_EQ(slot->pointCount, 77);
    EXPECT_EQ(slot->level[0], -1.5f);
    for (const std::string& name : fv::synthPresetNames()) EXPECT_TRUE(fv::synthesizeTrace(SynthOptions{name, 0, 1}, *slot).ok);
}

}  // namespace
