#pragma once
// The trace graph's background layer: the grid, every open trace and the current trace's
// event symbols, drawn on a Canvas. The overlay (markers, points) is drawn elsewhere.

#include "document/TraceRecords.h"
#include "platform/Canvas.h"

namespace fv {

class CQUARLODoc;

inline constexpr Rgb kGridColour{100, 100, 100};
inline constexpr Rgb kWindowBackground{255, 255, 255};

enum class TraceStroke {
    // Each run of points that falls into one pixel column is drawn as its top-to-bottom
    // span, plus the segments that join neighbouring columns, as one polyline: the pixels
    // of every segment at four vertices per column at most, so that a zoomed-out
    // 128000-point trace stays cheap.
    PerColumn,
    // One line per pair of neighbouring points, for comparison.
    PerSegment,
};

struct BackgroundStyle {
    Rgb background = kWindowBackground;
    TraceStroke stroke = TraceStroke::PerColumn;
};

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

// Redraws the layer for a client area of W x H pixels. Sets every open slot's
// displayColour, the current slot's pixelsPerKm and pixelsPerDb, and graphCaption.
void drawBackgroundLayer(CQUARLODoc& doc, Canvas& canvas, int W, int H, const BackgroundStyle& style = {});

// The traces alone, as the layer draws them: the other traces (unless onlyCurrent), then
// the current one two pixels thick.
void drawTraces(const CQUARLODoc& doc, Canvas& canvas, int W, int H, TraceStroke stroke);

}  // namespace fv
