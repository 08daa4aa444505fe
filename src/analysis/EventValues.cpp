#include "analysis/EventValues.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/LineFit.h"

// Event marker and point indices are taken as lying within the trace (the reader clamps
// them); their order is not trusted, so every fit range is checked before it is used.

namespace fv {

namespace {

float DefaultSlope(int wavelengthNm)
{
    switch (wavelengthNm) {
    case 850: return -3.0f;
    case 1300: return -0.5f;
    case 1310: return -0.325f;
    default: return -0.19f;
    }
}

// A lead-in fit is trusted only when it is at least as steep as no fibre and not more
// than twice as steep as the fibre type's usual attenuation.
bool SlopeUsable(float slope, float defaultSlope)
{
    return slope > 2 * defaultSlope && slope <= 0;
}

// One side of the step: the line fitted over from..to when there are more than minGap
// points between them and its slope looks like fibre; otherwise the level at `edge` (on the
// fitted line, or of the trace when too short to fit) carried on to x with slope K.
float SideLevel(const float* level, const float* distance, int from, int to, int minGap,
                int edge, float x, float k)
{
    if (to - from > minGap) {
        const LineFitResult f = FitLine(level, distance, from, to);
        const float s = f.slope;
        if (s > -0.5f && s < -0.1f)
            return f.intercept + s * x;
        return (s * distance[edge] + f.intercept) + k * (x - distance[edge]);
    }
    return level[edge] + k * (x - distance[edge]);
}

}  // namespace

void EstimateEventLosses(const float* level, const float* distance, TraceEvent* events, int count,
                         float slopeK, int wavelengthNm)
{
    float k = slopeK;
    const bool telecom = wavelengthNm == 1310 || wavelengthNm == 1490 || wavelengthNm == 1550 ||
                         wavelengthNm == 1625;
    if (telecom && std::fabs(k) > 0.8f)
        k = -0.2f;  // a vote that steep is not the fibre

    for (int i = 1; i < count; ++i) {
        TraceEvent& ev = events[i];
        const int m1 = ev.markers[0], m2 = ev.markers[1], m3 = ev.markers[2], m4 = ev.markers[3];
        const float x = (distance[m2] + distance[m3]) / 2;
        // The lead-in needs 30 points to be fitted; after the step three will do.
        const float before = SideLevel(level, distance, m1, m2, 29, m2, x, k);
        const float after = SideLevel(level, distance, m3, m4, 2, m3, x, k);
        ev.loss = before - after;
    }
}

void ComputeLaunchAndCumulative(const float* level, const float* distance, TraceEvent* events,
                                int count, int wavelengthNm, int storedBelow)
{
    if (count <= 0)
        return;
    const float s = DefaultSlope(wavelengthNm);
    TraceEvent& e0 = events[0];
    int loopStart = 1;

    if (count >= 2) {
        TraceEvent& e1 = events[1];
        const float d = distance[e1.markers[1]] - distance[e0.markers[3]];
        if (d > 0.1f && d < 5.0f) {
            // Close to the launch the lead-in is short: fit from a little past event 0 up to
            // event 1. The moved end point serves the fit only; the stored markers stay.
            const int m4 = e0.markers[3] + (e1.markers[0] - e0.markers[3]) / 10;
            int a = m4, b = e1.markers[1];
            if (b < a)
                std::swap(a, b);
            const LineFitResult f = FitLine(level, distance, a, b);
            e0.level = f.intercept;
            e0.loss = 0;
            e0.attenuation = 0;
            e0.cumulativeLoss = 0;
            e1.cumulativeLoss = -f.slope * distance[e1.markers[0]];
            e1.attenuation = -f.slope;
            // Keep the event's level consistent with its cumulative loss; otherwise it would
            // stay at whatever the reader or an earlier edit left there.
            e1.level = e0.level - e1.cumulativeLoss;
            loopStart = 2;
        } else {
            const int m3 = e0.markers[2], m4 = e0.markers[3];
            bool usable = false;
            LineFitResult f;
            if (m3 < m4) {
                f = FitLine(level, distance, m3, m4);
                usable = m3 > 10 && SlopeUsable(f.slope, s);
            }
            const float launch = usable ? f.slope * distance[0] + f.intercept
                                        : level[m3] - s * distance[m3];
            e0.level = launch;
        }
    }

    e0.cumulativeLoss = 0;
    e0.loss = 0;
    const float launch = e0.level;

    for (int i = std::max(loopStart, storedBelow); i < count; ++i) {
        TraceEvent& ev = events[i];
        const int m1 = ev.markers[0], m2 = ev.markers[1];
        float l = 0;
        bool usable = false;
        if (m1 < m2) {
            const LineFitResult f = FitLine(level, distance, m1, m2);
            if (SlopeUsable(f.slope, s)) {
                usable = true;
                l = f.slope * distance[ev.pointIndex] + f.intercept;
            }
        }
        if (!usable)
            l = level[m2] + s * (ev.distanceKm - distance[m2]);
        ev.cumulativeLoss = launch - l;
        ev.level = l;
    }
}

void ComputeEventValues(const float* level, const float* distance, TraceEvent* events, int count,
                        int wavelengthNm)
{
    ComputeLaunchAndCumulative(level, distance, events, count, wavelengthNm);
    if (count <= 0)
        return;
    events[0].distanceKm = 0;
    for (int i = 1; i < count; ++i) {
        const TraceEvent& prev = events[i - 1];
        TraceEvent& ev = events[i];
        const float span = distance[ev.pointIndex] - distance[prev.pointIndex];
        // Two events at one point have no fibre between them.
        ev.attenuation = span != 0
            ? (ev.cumulativeLoss - prev.cumulativeLoss - prev.loss) / span
            : 0.0f;
    }
}

void ComputeReflectances(const float* level, const float* distance, TraceEvent* events, int count,
                         int pointCount, const ReflectanceInputs& in)
{
    if (pointCount <= 0)
        return;
    const bool detector = in.variant == ReflectanceVariant::Detector;
    auto limitOf = [&](const TraceEvent& ev) { return detector ? ev.endIndex : ev.markers[2]; };

    float offset = 0;
    if (detector)
        offset = ReflectanceOffset(in.wavelengthNm, in.moduleCode, in.pulseWidthNs);
    else if (in.vendorValue <= 1000)
        offset = in.vendorValue;
    else
        offset = RecomputeReflectanceOffset(in.wavelengthNm, in.pulseWidthNs, in.rangeKm);
    // A pulse width of 0 would make the pulse term infinite; leave the term out then.
    const double pulseDb = in.pulseWidthNs > 0 ? 10 * std::log10(static_cast<double>(in.pulseWidthNs)) : 0;

    for (int i = 0; i < count; ++i) {
        TraceEvent& ev = events[i];
        if (ev.type != kEventStart && ev.type != kEventEnd && ev.type != kEventReflective)
            continue;
        const int p = std::clamp(ev.pointIndex, 0, pointCount - 1);

        const int limit = std::min(limitOf(ev), pointCount);
        float peak = level[p];
        int peakPoint = p;
        for (int j = p + 1; j < limit; ++j) {
            if (level[j] > peak) {
                peak = level[j];
                peakPoint = j;
            }
        }

        float base;
        if (i == 0) {
            base = ev.level;
        } else {
            base = level[p];
            const int prevLimit = limitOf(events[i - 1]);
            if (p - prevLimit + 1 > 10) {
                const int first = std::max(prevLimit + 1, 0);
                const int last = p - 2;
                if (last > first) {
                    const LineFitResult f = FitLine(level, distance, first, last);
                    base = f.slope * distance[peakPoint] + f.intercept;
                }
            }
        }

        const float h = std::fabs(peak - base);
        if (h <= 0.001f) {
            ev.reflectance = -69;
            continue;
        }
        const double rise = 10 * std::log10(std::pow(10.0, 2.0 * h / 10) - 1);
        ev.reflectance = static_cast<float>(rise - (in.backscatterDb - pulseDb) + offset);
    }
}

float ReflectanceOffset(int wavelengthNm, int moduleCode, int pulseWidthNs)
{
    // Columns: 5, 10, 30, 100, 300, 1000 ns, any other pulse.
    static constexpr float k1310[3][7] = {
        {5.5f, 2.6f, 0.9f, 0.6f, 0.4f, 0.0f, 0.0f},
        {0.0f, 0.0f, 7.3f, 3.0f, 0.8f, 0.5f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.0f, 3.75f, 1.0f, 0.0f},
    };
    static constexpr float kOther[3][7] = {
        {5.19f, 2.9f, 1.0f, 0.5f, 0.3f, 0.0f, 0.0f},
        {0.4f, 0.4f, 7.3f, 3.1f, 0.8f, 0.5f, 0.4f},
        {0.0f, 0.0f, 0.0f, 0.0f, 3.75f, 1.1f, 0.0f},
    };
    int row;
    switch (moduleCode) {
    case '+': row = 0; break;
    case '1': row = 1; break;
    case '7': row = 2; break;
    default: return 0;
    }
    int col;
    switch (pulseWidthNs) {
    case 5: col = 0; break;
    case 10: col = 1; break;
    case 30: col = 2; break;
    case 100: col = 3; break;
    case 300: col = 4; break;
    case 1000: col = 5; break;
    default: col = 6; break;
    }
    return wavelengthNm == 1310 ? k1310[row][col] : kOther[row][col];
}

float RecomputeReflectanceOffset(int wavelengthNm, int pulseWidthNs, float rangeKm)
{
    const int pw = pulseWidthNs;
    auto near = [rangeKm](double v) { return std::fabs(static_cast<double>(rangeKm) - v) < 0.1; };

    if (wavelengthNm == 850) {
        if (pw == 12) return 3.7f;
        if (pw == 30) return -0.84f;
        return -1.2f;
    }
    if (wavelengthNm == 1300) {
        if (pw == 12) return 3.4f;
        if (pw == 30 || pw == 100) return -1.2f;
        if (pw == 275) return -1.4f;
        if (pw == 1000) return -1.0f;
        return 0;
    }
    // The first range that matches decides, even when it lists nothing for the pulse.
    if (wavelengthNm == 1310) {
        if (near(0.3) || near(1.3) || near(2.5)) {
            switch (pw) {
            case 5: return 6.92f;
            case 10: return 4.22f;
            case 12: return 3.22f;
            case 30: return -0.02f;
            case 100: return -0.25f;
            default: return -0.27f;
            }
        }
        if (near(5)) {
            switch (pw) {
            case 5: return 6.8f;
            case 10: return 4.3f;
            case 12: case 30: return 2.8f;
            case 100: return -0.44f;
            default: return 0;
            }
        }
        if (near(10))
            return pw == 30 || pw == 100 ? 2.93f : 0.0f;
        if (near(20)) {
            switch (pw) {
            case 30: return 7.66f;
            case 100: return 3.1f;
            case 275: case 300: return 1.0f;
            default: return 0;
            }
        }
        if (near(40)) {
            switch (pw) {
            case 30: return 8.0f;
            case 100: return 3.5f;
            case 275: case 300: return 1.4f;
            default: return 0;
            }
        }
        if (near(80)) {
            switch (pw) {
            case 275: case 300: return 4.39f;
            case 1000: return 0.8f;
            default: return 0;
            }
        }
        return 0;
    }
    if (near(0.3) || near(1.3) || near(2.5)) {
        switch (pw) {
        case 5: return 7.5f;
        case 10: case 12: return 3.7f;
        case 30: return -0.84f;
        default: return -1.2f;
        }
    }
    if (near(5)) {
        switch (pw) {
        case 5: return 7.5f;
        case 10: return 3.7f;
        case 12: return 8.64f;
        case 30: return 1.4f;
        case 100: return -1.0f;
        default: return 0;
        }
    }
    if (near(10)) {
        switch (pw) {
        case 30: return 1.0f;
        case 100: return 1.7f;
        case 275: case 300: return -0.4f;
        default: return 0;
        }
    }
    if (near(20) || near(40)) {
        switch (pw) {
        case 30: return 6.4f;
        case 100: return 1.7f;
        case 275: case 300: return -0.6f;
        default: return 0;
        }
    }
    if (near(80))
        return pw == 275 || pw == 300 ? 3.65f : 0.0f;
    return 0;
}

void RecomputeEvents(TraceSlot& slot)
{
    const int n = std::clamp(slot.pointCount, 0, kMaxPoints);
    const int count = std::clamp(slot.eventCount, 0, kMaxEvents);
    if (n <= 0)
        return;
    // The noise level the end search and the slope vote work against, in single precision.
    const float threshold = 5.0f * std::log10(0.002f) - 35.0f + 0.2f;
    const SignalEnd end = FindEndOfSignal(slot.level, slot.distance, n, threshold);
    const SlopeResult k = QuarterSlope(slot.level, slot.distance, 0, end.endPoint, threshold, n);
    const int wavelengthNm = slot.params.wavelength / 10;

    EstimateEventLosses(slot.level, slot.distance, slot.events, count, k.slope, wavelengthNm);
    ComputeEventValues(slot.level, slot.distance, slot.events, count, wavelengthNm);

    ReflectanceInputs in;
    in.backscatterDb = slot.params.backscatterDb;
    in.pulseWidthNs = slot.params.pulseWidthNs;
    in.wavelengthNm = wavelengthNm;
    in.rangeKm = slot.params.rangeKm;
    in.vendorValue = slot.params.vendorValue;
    in.variant = ReflectanceVariant::AfterEdit;
    ComputeReflectances(slot.level, slot.distance, slot.events, count, n, in);
}

}  // namespace fv
