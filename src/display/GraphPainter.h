#pragma once
// The trace graph's background layer: the grid, every open trace and the current trace's
// event symbols, drawn on a Canvas. The overlay (markers, points) is drawn elsewhere.

#include "document/TraceRecords.h"
#include "display/GraphWindow.h"
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


// Redraws the layer for a client area of W x H pixels. Sets every open slot's
// displayColour, the current slot's pixelsPerKm and pixelsPerDb, and graphCaption.
void drawBackgroundLayer(CQUARLODoc& doc, Canvas& canvas, int W, int H, const BackgroundStyle& style = {});

// The traces alone, as the layer draws them: the other traces (unless onlyCurrent), then
// the current one two pixels thick.
void drawTraces(const CQUARLODoc& doc, Canvas& canvas, int W, int H, TraceStroke stroke);

}  // namespace fv
