#include "display/GraphWindow.h"

#include "document/DocumentView.h"
#include "document/Formatters.h"
#include "document/TextTable.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace fv {
namespace {

constexpr double kFixedPerKm = 100000.0;  // kmPerDivFixed is centimetres per division
constexpr double kFixedPerDb = 100.0;

// Conversion to int that cannot be undefined: NaN gives 0, the rest saturates.
int saturate(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

template <size_t N>
int32_t scanUp(const std::array<int32_t, N>& table, bool (*satisfies)(int32_t entry, int64_t n), int64_t n) {
    for (size_t i = N; i-- > 0;)
        if (satisfies(table[i], n)) return table[i];
    return table[1];
}

bool atLeast(int32_t entry, int64_t n) { return entry >= n; }
bool above(int32_t entry, int64_t n) { return entry > n; }

double traceLength(const CQUARLODoc& doc) {
    const double L = doc.currentTrace().totalLengthKm;
    return std::isfinite(L) && L > 0 ? L : 0.0;
}

bool positiveFinite(double v) { return std::isfinite(v) && v > 0; }

// A window start moved to a new place: not below 0, and its span ending at `limit` at most.
// The last lower bound also catches a span slightly wider than the limit by rounding.
double placeStart(double start, double span, double limit) {
    start = std::max(start, 0.0);
    if (span + start > limit) start = limit - span;
    return std::max(start, 0.0);
}

// A start moved by a scroll step toward the end: at most `highest`, never negative.
double capStart(double start, double highest) { return std::max(std::min(start, highest), 0.0); }

ScrollOutcome otherScroll() { return {false, false, true}; }
ScrollOutcome movedScroll() { return {false, true, true}; }

// A dragged thumb is used only when the bar can actually move.
bool thumbUsable(int barMaximum, int barPage) {
    return barMaximum != barPage && barMaximum != barPage + 1 && barMaximum > 0;
}

std::string numberText(const char* format, double v) {
    if (!std::isfinite(v)) return "--.---";
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string integerText(double v) {
    if (!std::isfinite(v)) return "--.---";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", saturate(v));
    return buf;
}

}  // namespace

int32_t fitKmStep(double kmPerDiv) { return scanUp(kKmStepsIn, atLeast, saturate(kmPerDiv * kFixedPerKm)); }
int32_t widerKmStep(int32_t fixed) { return scanUp(kKmStepsOut, above, fixed); }
int32_t fitDbStep(double dbPerDiv) { return scanUp(kDbStepsIn, atLeast, saturate(dbPerDiv * kFixedPerDb)); }
int32_t widerDbStep(int32_t fixed) { return scanUp(kDbStepsOut, above, fixed); }

int roundedPixel(double v) { return saturate(std::floor(v + 0.5)); }
int truncatedPixel(double v) { return saturate(v); }

ScrollBars fullRangeScrollBars() {
    const ScrollBarState bar{0, kScrollRange, kScrollRange - 1, 0};
    return {bar, bar};
}

bool hasGraphWindow(const CQUARLODoc& doc) { return doc.openCount > 0 && traceLength(doc) > 0; }

std::optional<ScrollBars> syncScrollBars(const CQUARLODoc& doc) {
    if (!hasGraphWindow(doc)) return std::nullopt;
    const double L = traceLength(doc);
    ScrollBars bars;
    ScrollBarState& v = bars.vertical;
    v.minimum = 0;
    v.maximum = kScrollRange;
    v.page = saturate(doc.dbPerDiv / kFullDbPerDiv * kScrollRange);
    // The bar's top is the top of the 50 dB band.
    v.position = saturate((kFullBandDb - doc.viewStartDb) / kFullBandDb * kScrollRange - v.page);
    ScrollBarState& h = bars.horizontal;
    h.minimum = 0;
    h.maximum = kScrollRange;
    h.page = saturate(doc.kmPerDiv / (L / kDivisions) * kScrollRange);
    h.position = saturate(doc.viewStartKm / L * kScrollRange);
    return bars;
}

std::optional<ScrollBars> showFullTrace(CQUARLODoc& doc) {
    if (!hasGraphWindow(doc)) return std::nullopt;
    const double L = traceLength(doc);
    doc.zoomedH = 0;
    doc.zoomedV = 0;
    doc.kmPerDiv = static_cast<float>(L / kDivisions);
    doc.kmPerDivFixed = roundedPixel(doc.kmPerDiv * kFixedPerKm);
    doc.dbPerDiv = static_cast<float>(kFullDbPerDiv);
    doc.dbPerDivFixed = kFullDbPerDivFixed;
    doc.viewStartKm = 0;
    doc.viewStartDb = 0;
    return fullRangeScrollBars();
}

std::optional<ScrollBars> zoomOutOneStep(CQUARLODoc& doc) {
    if (!hasGraphWindow(doc) || (doc.zoomedH != 1 && doc.zoomedV != 1)) return std::nullopt;
    const double L = traceLength(doc);

    if (doc.zoomedH == 1) {
        const int32_t f = widerKmStep(doc.kmPerDivFixed);
        doc.kmPerDivFixed = f;
        const double k = f / kFixedPerKm;
        if (L / kDivisions < k) {
            doc.kmPerDiv = static_cast<float>(L / kDivisions);
            doc.viewStartKm = 0;
            doc.zoomedH = 0;
        } else {
            const double centreStart = 5.0 * doc.kmPerDiv + doc.viewStartKm - 5.0 * k;
            doc.kmPerDiv = static_cast<float>(k);
            doc.viewStartKm = static_cast<float>(placeStart(centreStart, kDivisions * k, L));
        }
    }

    // Vertical whatever zoomedV says: the flag only clears once the full scale is reached.
    if (doc.dbPerDivFixed >= kFullDbPerDivFixed) {
        doc.zoomedV = 0;
    } else {
        const int32_t g = widerDbStep(doc.dbPerDivFixed);
        doc.dbPerDivFixed = g;
        const double d = g / kFixedPerDb;
        const double centreStart = 5.0 * doc.dbPerDiv + doc.viewStartDb - 5.0 * d;
        doc.dbPerDiv = static_cast<float>(d);
        doc.viewStartDb = static_cast<float>(placeStart(centreStart, kDivisions * d, kFullBandDb));
    }
    return syncScrollBars(doc);
}

bool zoomToRect(CQUARLODoc& doc, int left, int top, int right, int bottom, int W, int H) {
    if (!hasGraphWindow(doc) || W <= 0 || H <= 0) return false;
    if (!positiveFinite(doc.kmPerDiv) || !positiveFinite(doc.dbPerDiv)) return false;
    const double L = traceLength(doc);

    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    top = std::max(top, 0);
    bottom = std::min(bottom, H);
    left = std::max(left, 0);
    right = std::min(right, W);
    // Differences in double: corners far outside the client area must not overflow.
    const double width = static_cast<double>(right) - left;
    const double height = static_cast<double>(bottom) - top;
    if (width <= 10 || height <= 10) return false;

    const int32_t f = fitKmStep((width + 1) * doc.kmPerDiv / W);
    doc.kmPerDivFixed = f;
    const double k = f / kFixedPerKm;
    if (L / kDivisions > k) {
        const double centre =
            doc.viewStartKm + kDivisions * static_cast<double>(doc.kmPerDiv) * ((left + right) / 2.0) / W;
        doc.kmPerDiv = static_cast<float>(k);
        doc.viewStartKm = static_cast<float>(placeStart(centre - 5.0 * k, kDivisions * k, L));
        doc.zoomedH = 1;
    }

    const int32_t g = fitDbStep(height * doc.dbPerDiv / H);
    if (g < doc.dbPerDivFixed) {
        doc.dbPerDivFixed = g;
        const double d = g / kFixedPerDb;
        const double centre =
            doc.viewStartDb + kDivisions * static_cast<double>(doc.dbPerDiv) * (H - (top + bottom) / 2.0) / H;
        doc.dbPerDiv = static_cast<float>(d);
        doc.viewStartDb = static_cast<float>(placeStart(centre - 5.0 * d, kDivisions * d, kFullBandDb));
        doc.zoomedV = 1;
    }
    return true;
}

ScrollOutcome applyVerticalScroll(CQUARLODoc& doc, ScrollAction action, int thumbPos, int barMaximum, int barPage,
                                  int H) {
    const double db = doc.dbPerDiv;
    if (!positiveFinite(db)) return otherScroll();
    const double start = doc.viewStartDb;
    const double highest = kFullBandDb - kDivisions * db;
    double next = start;
    switch (action) {
    case ScrollAction::LineUp:
    case ScrollAction::LineDown: {
        if (H <= 0) return otherScroll();
        const double pixel = kDivisions * db / H;
        next = action == ScrollAction::LineUp ? capStart(start + pixel, highest) : std::max(start - pixel, 0.0);
        break;
    }
    case ScrollAction::PageUp: next = capStart(start + 2 * db, highest); break;
    case ScrollAction::PageDown: next = std::max(start - 2 * db, 0.0); break;
    case ScrollAction::Thumb:
        if (!thumbUsable(barMaximum, barPage)) return otherScroll();
        // Set from the thumb as it stands, so that the band follows the bar exactly.
        next = (1.0 - (static_cast<double>(thumbPos) + barPage) / barMaximum) * kFullBandDb;
        break;
    default: return otherScroll();
    }
    doc.viewStartDb = static_cast<float>(next);
    return movedScroll();
}

ScrollOutcome applyHorizontalScroll(CQUARLODoc& doc, ScrollAction action, int thumbPos, int barMaximum,
                                    int barPage, int W) {
    const double km = doc.kmPerDiv;
    if (!positiveFinite(km)) return otherScroll();
    const double L = traceLength(doc);
    const double start = doc.viewStartKm;
    const double highest = L - kDivisions * km;
    double next = start;
    switch (action) {
    case ScrollAction::LineLeft:
    case ScrollAction::LineRight: {
        if (W <= 0) return otherScroll();
        const double pixel = kDivisions * km / W;
        next = action == ScrollAction::LineRight ? capStart(start + pixel, highest) : std::max(start - pixel, 0.0);
        break;
    }
    case ScrollAction::PageLeft: next = std::max(start - 2 * km, 0.0); break;
    case ScrollAction::PageRight: next = capStart(start + 2 * km, highest); break;
    case ScrollAction::Thumb:
        if (!thumbUsable(barMaximum, barPage)) return otherScroll();
        doc.viewStartKm = static_cast<float>(capStart(static_cast<double>(thumbPos) / barMaximum * L, highest));
        return {true, true, true};
    default: return otherScroll();
    }
    doc.viewStartKm = static_cast<float>(next);
    return movedScroll();
}

GraphUpdateOutcome onGraphUpdate(CQUARLODoc& doc, int hint, bool senderIsNone) {
    GraphUpdateOutcome out;
    const double L = traceLength(doc);
    if (senderIsNone || hint == kHintTracesChanged) {
        if (doc.openCount == 0) {
            out.resetScrollBars = true;
        } else if (L > 0) {
            if (doc.viewStartKm + kDivisions * static_cast<double>(doc.kmPerDiv) > L)
                doc.kmPerDiv = static_cast<float>(L / kDivisions);
            doc.zoomedH = 1;
        }
    }
    if (hint == kHintEventPicked && doc.zoomedH == 1 && hasGraphWindow(doc)) {
        const TraceSlot& t = doc.currentTrace();
        if (t.selectedEvent < 0 || t.selectedEvent >= std::min(t.eventCount, kMaxEvents)) return out;
        const double d = t.events[t.selectedEvent].distanceKm;
        const double km = doc.kmPerDiv;
        const double start = doc.viewStartKm;
        // Only an event in the first or last division, or outside the window, moves it.
        if (start + km > d || d > start + 9 * km) {
            double s = d - 5 * km;
            s = std::min(s, L - kDivisions * km);
            s = std::max(s, 0.0);
            doc.viewStartKm = static_cast<float>(s);
            out.recentred = true;
        }
    }
    return out;
}

std::string formatGraphCaption(int32_t lengthUnit, float kmPerDiv, float dbPerDiv) {
    const double k = kmPerDiv;
    std::string value;
    const char* unit = "km";
    switch (lengthUnit) {
    case 1: {
        const double f = kmToFeet(k);
        unit = f > 10000 ? "kft" : "ft";
        if (f > 100000) {
            value = numberText("%1.1f", f / 1000);
        } else if (f > 10000) {
            value = numberText("%1.2f", f / 1000);
        } else {
            value = numberText("%1.1f", f);
        }
        break;
    }
    case 2: {
        const double m = kmToMiles(k);
        value = m > 10 ? integerText(m) : numberText("%1.4f", m);
        unit = "mi";
        break;
    }
    default:
        if (k >= 5) {
            value = integerText(k);
        } else if (k >= 1) {
            value = numberText("%1.1f", k);
        } else {
            unit = "m";
            value = k * 1000 >= 0.9 ? integerText(k * 1000) : numberText("%1.1f", k * 1000);
        }
        break;
    }
    const std::string graph = textOf(6);
    const std::string div = textOf(1);
    return graph + " " + value + " " + unit + "/" + div + "  " + numberText("%1.2f", dbPerDiv) + " dB/" + div;
}

PixelScales pixelScales(const CQUARLODoc& doc, int W, int H) {
    PixelScales s;
    if (positiveFinite(doc.kmPerDiv)) s.pixelsPerKm = W / (kDivisions * static_cast<double>(doc.kmPerDiv));
    if (positiveFinite(doc.dbPerDiv)) s.pixelsPerDb = H / (kDivisions * static_cast<double>(doc.dbPerDiv));
    return s;
}

GraphMapping graphMapping(const CQUARLODoc& doc, int W, int H) {
    const PixelScales scales = pixelScales(doc, W, H);
    GraphMapping m;
    m.pixelsPerKm = scales.pixelsPerKm;
    m.pixelsPerDb = scales.pixelsPerDb;
    m.viewStartKm = doc.viewStartKm;
    m.viewStartDb = doc.viewStartDb;
    m.height = H;
    return m;
}

int pointAtX(const TraceSlot& slot, const CQUARLODoc& doc, double x) {
    const int n = std::min(slot.pointCount, kMaxPoints);
    if (n < 2) return 0;
    const double step = static_cast<double>(slot.distance[1]) - slot.distance[0];
    if (!positiveFinite(slot.pixelsPerKm) || !positiveFinite(step)) return 0;
    const int p = roundedPixel((x / slot.pixelsPerKm + doc.viewStartKm) / step);
    return std::clamp(p, 0, n - 1);
}

}  // namespace fv
