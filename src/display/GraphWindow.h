#pragma once
// The trace graph's window arithmetic: the zoom step tables, the scales, zooming,
// scrolling and the reaction to update hints. The window itself lives in the document
// (kmPerDiv, dbPerDiv, viewStartKm, viewStartDb, their fixed-point twins and the zoomed
// flags) so that the graph, the overview and printing all read the same one. Nothing here
// draws; the view turns its events into these calls and paints from the results.

#include "document/CQUARLODoc.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace fv {

// --- zoom step tables: kmPerDivFixed values (cm per division), dbPerDivFixed (0.01 dB) ---
inline constexpr std::array<int32_t, 56> kKmStepsIn = {
    5000000, 4000000, 3000000, 2800000, 2500000, 2200000, 2000000, 1800000, 1500000, 1200000,
    1000000, 900000,  800000,  700000,  600000,  500000,  400000,  300000,  200000,  150000,
    100000,  90000,   80000,   70000,   60000,   50000,   40000,   30000,   20000,   15000,
    10000,   9000,    8000,    7000,    6000,    5000,    4000,    3000,    2000,    1500,
    1000,    900,     800,     700,     600,     500,     400,     300,     200,     150,
    100,     90,      80,      70,      60,      50};
inline constexpr std::array<int32_t, 17> kKmStepsOut = {
    5000000, 4000000, 2000000, 1000000, 500000, 200000, 100000, 50000, 20000,
    10000,   5000,    2000,    1000,    500,    200,    100,    50};
inline constexpr std::array<int32_t, 28> kDbStepsIn = {1000, 800, 600, 500, 400, 300, 200, 150, 100, 90,
                                                       80,   70,  60,  50,  40,  30,  20,  15,  10,  9,
                                                       8,    7,   6,   5,   4,   3,   2,   1};
inline constexpr std::array<int32_t, 12> kDbStepsOut = {1000, 800, 600, 500, 200, 100, 50, 20, 10, 5, 2, 1};

// The graph is always 10 x 10 divisions; the level band spans 50 dB above the floor.
inline constexpr int kDivisions = 10;
inline constexpr double kFullBandDb = 50.0;
inline constexpr double kFullDbPerDiv = 5.0;
inline constexpr int32_t kFullDbPerDivFixed = 500;

// The table scans, smallest entry first. A table without a matching entry gives its second
// entry, not its first: 4000000 for the distance tables, 800 for the level tables.
int32_t fitKmStep(double kmPerDiv);       // smallest kmStepsIn entry >= truncated(v x 100000)
int32_t widerKmStep(int32_t fixed);       // smallest kmStepsOut entry > fixed
int32_t fitDbStep(double dbPerDiv);       // smallest dbStepsIn entry >= truncated(v x 100)
int32_t widerDbStep(int32_t fixed);       // smallest dbStepsOut entry > fixed

// "Rounded" and "truncated" as the graph uses them, saturating at the int range and
// giving 0 for NaN, so that no pixel computation is undefined.
int roundedPixel(double v);    // floor(v + 0.5)
int truncatedPixel(double v);  // toward zero

// --- scroll bars, in the program's units: range minimum..maximum with a page ---
struct ScrollBarState {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};
struct ScrollBars {
    ScrollBarState vertical;
    ScrollBarState horizontal;
    friend bool operator==(const ScrollBars&, const ScrollBars&) = default;
};

inline constexpr int kScrollRange = 3000;
// Both bars when the whole window shows or no trace is open: 0..3000, page 2999.
ScrollBars fullRangeScrollBars();

// True when the document has a current trace whose window can be computed: a trace is open
// and the current trace has a positive, finite length.
bool hasGraphWindow(const CQUARLODoc& doc);

// Both bars derived from the window; nothing when no trace is open.
std::optional<ScrollBars> syncScrollBars(const CQUARLODoc& doc);

// --- commands ---
// The full window: zoom flags cleared, the scale a tenth of the trace, 5 dB per division,
// both starts at 0. Returns the bars to apply, or nothing (and no change) without a trace.
// The caller ends its drags, invalidates and sends hint 0.
std::optional<ScrollBars> showFullTrace(CQUARLODoc& doc);

// One step coarser, keeping the centre; when the next distance step is wider than a tenth
// of the trace the window becomes the whole trace. Returns the bars to apply, or nothing
// when neither zoom flag is set or no trace is open (then nothing changed). The caller
// invalidates and sends hint 0.
std::optional<ScrollBars> zoomOutOneStep(CQUARLODoc& doc);

// Zooms to a dragged rectangle (client pixels, any corner order) in a W x H client area.
// Returns true when the rectangle was large enough to be used (more than 10 pixels each
// way); the caller then applies syncScrollBars. It invalidates and sends hint 0 in either
// case. Does nothing for an empty client area or without a trace.
bool zoomToRect(CQUARLODoc& doc, int left, int top, int right, int bottom, int W, int H);

// --- scroll actions ---
// Vertical bars use LineUp..PageDown, horizontal bars LineLeft..PageRight; Thumb is the
// thumb being dragged. An action of the other bar counts as Other.
enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, LineLeft, LineRight, PageLeft, PageRight, Thumb, Other };

// What the view does after an action, in this order: hint 0, invalidation, hint 3002.
struct ScrollOutcome {
    bool sendHint0 = false;
    bool invalidate = false;
    bool sendHint3002 = false;
    friend bool operator==(const ScrollOutcome&, const ScrollOutcome&) = default;
};

// thumbPos, barMaximum and barPage are in the program's units (see ScrollBarState).
ScrollOutcome applyVerticalScroll(CQUARLODoc& doc, ScrollAction action, int thumbPos, int barMaximum, int barPage,
                                  int H);
ScrollOutcome applyHorizontalScroll(CQUARLODoc& doc, ScrollAction action, int thumbPos, int barMaximum,
                                    int barPage, int W);

// --- update hints ---
struct GraphUpdateOutcome {
    bool resetScrollBars = false;  // apply fullRangeScrollBars(): no trace is open
    bool recentred = false;        // the window moved to the selected event (debug line)
};
// The window part of the view's update handling. The caller repaints for every hint.
GraphUpdateOutcome onGraphUpdate(CQUARLODoc& doc, int hint, bool senderIsNone);

// --- caption and pixel mapping ---
// The child frame title, e.g. "曲线图 2.5 km/格  5.00 dB/格", in the given length unit.
std::string formatGraphCaption(int32_t lengthUnit, float kmPerDiv, float dbPerDiv);

struct PixelScales {
    double pixelsPerKm = 0;
    double pixelsPerDb = 0;
};
// Scales of a W x H client area for the document's window; 0 where a scale is not positive.
PixelScales pixelScales(const CQUARLODoc& doc, int W, int H);

// Pixel position of point j (0..pointCount - 1) of a trace, unrounded: the trace's own
// floor and offset in the shared window, y growing downward from the bottom edge at H.
// Where point j of a trace lands, in the shared window at the current trace's scales; the
// same arithmetic as pointX and pointY, inline because it runs for every point drawn.
struct GraphMapping {
    double pixelsPerKm = 0;
    double pixelsPerDb = 0;
    double viewStartKm = 0;
    double viewStartDb = 0;
    int height = 0;

    double x(const TraceSlot& t, int j) const { return (double(t.distance[j]) - viewStartKm) * pixelsPerKm; }
    double y(const TraceSlot& t, int j) const { return yOfLevel(t, t.level[j]); }
    // Falls as the level rises, never the other way round, rounding included.
    double yOfLevel(const TraceSlot& t, float level) const {
        return height - (double(level) - t.levelFloor - viewStartDb + double(t.verticalOffset)) * pixelsPerDb;
    }
};

GraphMapping graphMapping(const CQUARLODoc& doc, int W, int H);

int pointAtX(const TraceSlot& slot, const CQUARLODoc& doc, double x);

}  // namespace fv
