// The trace graph's background layer, recorded: grid, traces, event symbols and the scales
// the drawing leaves in the document.
#include "display/EventSymbols.h"
#include "display/GraphPainter.h"
#include "document/CQUARLODoc.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedPrompts.h"
#include "synth/TraceSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fv {
namespace {

using test::CallKind;
using test::DrawCall;
using test::RecordingCanvas;

struct GraphDoc {
    test::ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc = CQUARLODoc::create(prompts);

    // A trace of n points `spacingKm` apart, levels from `level`, floor 0, made current.
    TraceSlot& open(int s, int n, float spacingKm, const std::function<float(int)>& level) {
        TraceSlot& t = doc->slots[s];
        t.pointCount = n;
        for (int j = 0; j < n; ++j) {
            t.distance[j] = float(j) * spacingKm;
            t.level[j] = level(j);
        }
        t.levelFloor = 0;
        t.verticalOffset = 0;
        t.spacingKm = spacingKm;
        t.totalLengthKm = double(n) * spacingKm;
        t.eventCount = 0;
        t.colour = kSlotColours[s];
        t.path = "trace" + std::to_string(s) + ".sor";
        t.inUse = 1;
        ++doc->openCount;
        doc->currentSlot = s;
        return t;
    }
    TraceSlot& openFlat(int s, int n, float spacingKm, float level) {
        return open(s, n, spacingKm, [level](int) { return level; });
    }
    void window(float kmPerDiv, float dbPerDiv, float startKm = 0, float startDb = 0) {
        doc->kmPerDiv = kmPerDiv;
        doc->dbPerDiv = dbPerDiv;
        doc->viewStartKm = startKm;
        doc->viewStartDb = startDb;
    }
};

std::vector<const DrawCall*> tracePolylines(const RecordingCanvas& c) { return c.ofKind(CallKind::Polyline); }

std::vector<std::pair<Point, Point>> gridLines(const RecordingCanvas& c) {
    std::vector<std::pair<Point, Point>> out;
    for (const DrawCall* l : c.ofKind(CallKind::Line)) {
        if (l->pen.style == PenStyle::Alternate) out.emplace_back(l->points[0], l->points[1]);
    }
    return out;
}

// Pixels of the recorded solid lines and polylines, both ends included. Any rasteriser
// will do for comparing two drawings, as long as both go through the same one.
std::set<std::pair<int, int>> rasterise(const RecordingCanvas& c) {
    std::set<std::pair<int, int>> px;
    auto line = [&](Point a, Point b) {
        const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
        const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
        int err = dx + dy, x = a.x, y = a.y;
        for (;;) {
            px.insert({x, y});
            if (x == b.x && y == b.y) break;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    };
    for (const DrawCall& call : c.calls) {
        if (call.pen.style != PenStyle::Solid) continue;
        if (call.kind == CallKind::Line) line(call.points[0], call.points[1]);
        if (call.kind == CallKind::Polyline) {
            for (size_t i = 1; i < call.points.size(); ++i) line(call.points[i - 1], call.points[i]);
        }
    }
    return px;
}

// W = 800 and 1 km per division give 80 pixels per km; 0.125 km between points is 10 pixels.
// H = 400 and 5 dB per division give 8 pixels per dB.
constexpr int kW = 800, kH = 400;

TEST(GraphPainter, GridLinesAtEveryTenthButNotAtZero) {
    const std::pair<int, int> sizes[] = {{800, 400}, {1001, 517}, {1920, 1080}, {13, 11}};
    for (auto [W, H] : sizes) {
        GraphDoc g;
        g.openFlat(0, 100, 0.125f, 10);
        g.window(1, 5);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, W, H);

        std::set<std::pair<std::pair<int, int>, std::pair<int, int>>> expected, seen;
        for (int k = 1; k <= 10; ++k) {
            expected.insert({{0, H * k / 10}, {W, H * k / 10}});
            expected.insert({{W * k / 10, 0}, {W * k / 10, H}});
        }
        for (const auto& [a, b] : gridLines(canvas)) seen.insert({{a.x, a.y}, {b.x, b.y}});
        EXPECT_EQ(seen, expected) << W << "x" << H;
        for (const DrawCall* l : canvas.ofKind(CallKind::Line)) {
            if (l->pen.style != PenStyle::Alternate) continue;
            EXPECT_EQ(l->pen.colour, kGridColour);
            EXPECT_EQ(l->pen.width, 1);
            const bool horizontal = l->points[0].y == l->points[1].y;
            EXPECT_NE(horizontal ? l->points[0].y : l->points[0].x, 0) << "no grid line on the top or left edge";
        }
    }
}

TEST(GraphPainter, NoTraceOpenLeavesTheLayerBlank) {
    const Rgb backgrounds[] = {{255, 255, 255}, {239, 239, 239}};
    for (Rgb bg : backgrounds) {
        GraphDoc g;
        g.window(5, 5);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH, BackgroundStyle{bg, TraceStroke::PerColumn});
        ASSERT_EQ(canvas.calls.size(), 1u);
        EXPECT_EQ(canvas.calls[0].kind, CallKind::FillRect);
        EXPECT_EQ(canvas.calls[0].rect, (Rect{0, 0, kW, kH}));
        EXPECT_EQ(canvas.calls[0].colour, bg);
    }
}

TEST(GraphPainter, EmptyOrSpacePathShowsTheGridOnly) {
    for (const char* path : {"", "space"}) {
        GraphDoc g;
        TraceSlot& t = g.openFlat(0, 100, 0.125f, 10);
        t.path = path;
        t.eventCount = 1;
        t.events[0].distanceKm = 1;
        g.window(1, 5);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);
        EXPECT_EQ(gridLines(canvas).size(), 20u) << '"' << path << '"';
        EXPECT_TRUE(tracePolylines(canvas).empty()) << '"' << path << '"';
        EXPECT_TRUE(canvas.ofKind(CallKind::Bitmap).empty()) << '"' << path << '"';
        EXPECT_EQ(t.pixelsPerKm, 0) << "scales are left as they were";
    }
}

TEST(GraphPainter, ScalesAreStoredInTheCurrentSlot) {
    struct Case {
        int W, H;
        float kmPerDiv, dbPerDiv;
        double pixelsPerKm, pixelsPerDb;
    };
    const Case cases[] = {
        {800, 400, 1, 5, 80, 8},
        {1920, 1080, 16, 5, 12, 21.6},
        {1000, 500, 0.5f, 0.25f, 200, 200},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        TraceSlot& other = g.openFlat(0, 100, 0.125f, 10);
        TraceSlot& current = g.openFlat(1, 100, 0.125f, 12);
        g.window(c.kmPerDiv, c.dbPerDiv);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, c.W, c.H);
        EXPECT_DOUBLE_EQ(current.pixelsPerKm, c.pixelsPerKm);
        EXPECT_DOUBLE_EQ(current.pixelsPerDb, c.pixelsPerDb);
        EXPECT_EQ(other.pixelsPerKm, 0);
        EXPECT_EQ(other.pixelsPerDb, 0);
    }
}

TEST(GraphPainter, CaptionFollowsTheWindow) {
    struct Case {
        int lengthUnit;
        float kmPerDiv, dbPerDiv;
        const char* path;
        std::string caption;
    };
    const std::string before = "unchanged";
    const Case cases[] = {
        {0, 2.5f, 5, "a.sor", "曲线图 2.5 km/格  5.00 dB/格"},
        {0, 5, 5, "a.sor", "曲线图 5 km/格  5.00 dB/格"},
        {2, float(12.3 * 1.609344), 0.5f, "a.sor", "曲线图 12 mi/格  0.50 dB/格"},
        {0, 2.5f, 5, "space", before},
        {0, 2.5f, 5, "", before},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        g.openFlat(0, 100, 0.125f, 10).path = c.path;
        g.window(c.kmPerDiv, c.dbPerDiv);
        g.doc->lengthUnit = c.lengthUnit;
        g.doc->graphCaption = before;
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);
        EXPECT_EQ(g.doc->graphCaption, c.caption) << c.kmPerDiv << " " << c.path;
    }
}

TEST(GraphPainter, DisplayColourIsWhatTheSurfaceStores) {
    GraphDoc g;
    g.openFlat(0, 100, 0.125f, 10);
    g.openFlat(2, 100, 0.125f, 10);
    g.openFlat(3, 100, 0.125f, 10);
    g.window(1, 5);
    g.doc->slots[5].colour = {1, 2, 3};  // not open
    RecordingCanvas canvas;
    // A surface of five bits per channel.
    canvas.store = [](Rgb c) { return Rgb{uint8_t(c.r & 0xF8), uint8_t(c.g & 0xF8), uint8_t(c.b & 0xF8)}; };
    drawBackgroundLayer(*g.doc, canvas, kW, kH);
    for (int s : {0, 2, 3}) {
        const Rgb c = kSlotColours[s];
        EXPECT_EQ(g.doc->slots[s].displayColour, (Rgb{uint8_t(c.r & 0xF8), uint8_t(c.g & 0xF8), uint8_t(c.b & 0xF8)}))
            << "slot " << s;
    }
    EXPECT_EQ(g.doc->slots[5].displayColour, Rgb{});
    for (const DrawCall* p : canvas.ofKind(CallKind::SetPixel)) EXPECT_EQ(p->points[0], (Point{50, 50}));
    // The probe pixels are painted over by the background.
    ASSERT_FALSE(canvas.calls.empty());
    const auto firstFill = std::find_if(canvas.calls.begin(), canvas.calls.end(),
                                        [](const DrawCall& c) { return c.kind == CallKind::FillRect; });
    ASSERT_NE(firstFill, canvas.calls.end());
    EXPECT_EQ(std::count_if(firstFill, canvas.calls.end(), [](const DrawCall& c) { return c.kind == CallKind::SetPixel; }),
              0);
}

TEST(GraphPainter, OtherTracesFirstThenTheCurrentOneTwice) {
    for (int onlyCurrent : {0, 1}) {
        GraphDoc g;
        g.openFlat(0, 100, 0.125f, 10);
        g.openFlat(4, 100, 0.125f, 20);
        g.openFlat(2, 100, 0.125f, 15);  // current
        g.window(1, 5);
        g.doc->onlyCurrent = onlyCurrent;
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);

        std::vector<Rgb> colours;
        for (const DrawCall* p : tracePolylines(canvas)) colours.push_back(p->pen.colour);
        std::vector<Rgb> expected;
        if (!onlyCurrent) expected = {kSlotColours[0], kSlotColours[4]};
        expected.push_back(kSlotColours[2]);
        expected.push_back(kSlotColours[2]);
        EXPECT_EQ(colours, expected) << "onlyCurrent " << onlyCurrent;

        const auto lines = tracePolylines(canvas);
        ASSERT_GE(lines.size(), 2u);
        const DrawCall& upper = *lines[lines.size() - 2];
        const DrawCall& lower = *lines.back();
        ASSERT_EQ(upper.points.size(), lower.points.size());
        for (size_t i = 0; i < upper.points.size(); ++i) {
            EXPECT_EQ(lower.points[i], (Point{upper.points[i].x, upper.points[i].y + 1}));
        }
        // Level 15 dB at 8 px per dB: y = 400 - 120, the upper line one higher.
        EXPECT_EQ(upper.points[1], (Point{10, 279}));
        for (const DrawCall* p : tracePolylines(canvas)) EXPECT_EQ(p->pen.width, 1);
    }
}

TEST(GraphPainter, PerSegmentDrawsTheCurrentTraceAsTwoOffsetLines) {
    GraphDoc g;
    g.open(0, 6, 0.125f, [](int j) { return float(10 + j); });
    g.window(1, 5);
    RecordingCanvas canvas;
    drawTraces(*g.doc, canvas, kW, kH, TraceStroke::PerSegment);
    const auto lines = canvas.ofKind(CallKind::Line);
    ASSERT_EQ(lines.size(), 10u);
    for (int j = 1; j <= 5; ++j) {
        const Point a{10 * (j - 1), 400 - 8 * (10 + j - 1) - 1}, b{10 * j, 400 - 8 * (10 + j) - 1};
        EXPECT_EQ(lines[2 * (j - 1)]->points, (std::vector<Point>{a, b})) << j;
        EXPECT_EQ(lines[2 * (j - 1) + 1]->points, (std::vector<Point>{{a.x, a.y + 1}, {b.x, b.y + 1}})) << j;
    }
}

TEST(GraphPainter, FirstPixelFromTheWindowStart) {
    // Level 10.0625 dB lands on y = 319.5: truncated 319, rounded 320.
    struct Case {
        float viewStartKm;
        Point otherFirst, currentFirst;  // other: x rounded, y truncated; current: both truncated, lifted 1
        Point second;                    // the next point, rounded
    };
    const Case cases[] = {
        {0.0f, {0, 319}, {0, 318}, {10, 320}},
        {1.0f, {0, 319}, {0, 318}, {10, 320}},    // first = 8
        {1.06f, {-5, 319}, {-4, 318}, {5, 320}},  // first = truncated(8.48) = 8 at x = -4.8
    };
    for (const Case& c : cases) {
        GraphDoc g;
        g.openFlat(0, 200, 0.125f, 10.0625f);
        g.openFlat(1, 200, 0.125f, 10.0625f);
        g.window(1, 5, c.viewStartKm);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);
        const auto lines = tracePolylines(canvas);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0]->points[0], c.otherFirst) << c.viewStartKm;
        EXPECT_EQ(lines[0]->points[1], c.second) << c.viewStartKm;
        EXPECT_EQ(lines[1]->points[0], c.currentFirst) << c.viewStartKm;
        EXPECT_EQ(lines[1]->points[1], (Point{c.second.x, c.second.y - 1})) << c.viewStartKm;
    }
}

TEST(GraphPainter, StopsAfterTheFirstPointBeyondTheRightEdge) {
    struct Case {
        float viewStartKm;
        int points;
        int lastX;     // the last x drawn
        int vertices;  // one per point drawn
    };
    const Case cases[] = {
        {0, 200, 810, 82},       // 800 is on the edge, 810 the first beyond it
        {0.0625f, 200, 805, 82},  // points at 10 j - 5
        {0.125f, 200, 810, 82},   // starts at point 1
        {0, 50, 490, 50},         // ends inside the window: drawn to its last point
        {0, 81, 800, 81},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        // A slope, so that no two points share a pixel and every point is a vertex.
        g.open(0, c.points, 0.125f, [](int j) { return 40 - 0.125f * float(j); });
        g.window(1, 5, c.viewStartKm);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);
        const auto lines = tracePolylines(canvas);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0]->points.back().x, c.lastX) << c.viewStartKm << " " << c.points;
        EXPECT_EQ(int(lines[0]->points.size()), c.vertices) << c.viewStartKm << " " << c.points;
    }
}

TEST(GraphPainter, TraceStartingAfterTheWindowIsSkipped) {
    struct Case {
        int shortPoints;
        bool drawn;
    };
    // The window starts at 3 km, point 24.
    const Case cases[] = {{20, false}, {24, false}, {26, true}, {200, true}};
    for (const Case& c : cases) {
        GraphDoc g;
        g.openFlat(0, c.shortPoints, 0.125f, 10);
        g.openFlat(1, 400, 0.125f, 12);
        g.window(1, 5, 3.0f);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, kW, kH);
        const auto lines = tracePolylines(canvas);
        const bool shortDrawn = std::any_of(lines.begin(), lines.end(),
                                            [](const DrawCall* p) { return p->pen.colour == kSlotColours[0]; });
        EXPECT_EQ(shortDrawn, c.drawn) << c.shortPoints;
        EXPECT_EQ(lines.back()->pen.colour, kSlotColours[1]);
    }
}

TEST(GraphPainter, OneColumnOfPointsStillLeavesItsPixel) {
    GraphDoc g;
    g.openFlat(0, 50, 0.0001f, 10);  // 50 points within 0.4 px
    g.window(1, 5);
    RecordingCanvas perColumn, perSegment;
    drawTraces(*g.doc, perColumn, kW, kH, TraceStroke::PerColumn);
    drawTraces(*g.doc, perSegment, kW, kH, TraceStroke::PerSegment);
    EXPECT_EQ(rasterise(perColumn), rasterise(perSegment));
    EXPECT_EQ(rasterise(perColumn), (std::set<std::pair<int, int>>{{0, 319}, {0, 320}}));
}

TEST(GraphPainter, ColumnReductionSetsTheSamePixelsAsEverySegment) {
    struct Case {
        const char* preset;
        float kmPerDiv, dbPerDiv, startKm, startDb;
        int W, H;
        bool disordered;  // some distances swapped with their neighbour's
    };
    const Case cases[] = {
        {"demo", 4.0f, 5, 0, 0, 800, 400, false},          // 40 points per column
        {"demo", 0.01f, 0.5f, 10, 20, 800, 400, false},    // 10 pixels per point
        {"longhaul", 16.0f, 5, 0, 0, 1920, 1080, false},
        {"short", 0.05f, 1, 1.2f, 25, 1000, 600, false},
        {"demo", 4.0f, 5, 0, 0, 800, 400, true},
        {"demo", 0.01f, 0.5f, 10, 20, 800, 400, true},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        for (int s : {0, 1}) {
            TraceSlot& t = g.doc->slots[s];
            SynthOptions o;
            o.preset = c.preset;
            o.seed = uint64_t(s + 1);
            ASSERT_TRUE(synthesizeTrace(o, t).ok);
            t.levelFloor = 5 * std::log10(0.00005) - 35;
            t.spacingKm = double(t.distance[1]) - double(t.distance[0]);
            t.totalLengthKm = double(t.distance[t.pointCount - 1]) + t.spacingKm;
            t.colour = kSlotColours[s];
            t.path = "synth.sor";
            t.inUse = 1;
            ++g.doc->openCount;
            if (c.disordered) {
                for (int j = 1; j + 1 < t.pointCount; j += 97) std::swap(t.distance[j], t.distance[j + 1]);
                // A point far back in a later column, and one far ahead.
                t.distance[t.pointCount / 3] = t.distance[t.pointCount / 4];
                t.distance[t.pointCount / 5] = t.distance[t.pointCount / 2];
            }
        }
        g.doc->slots[1].verticalOffset = 3.5f;
        g.doc->currentSlot = 0;
        g.window(c.kmPerDiv, c.dbPerDiv, c.startKm, c.startDb);

        RecordingCanvas perColumn, perSegment;
        drawTraces(*g.doc, perColumn, c.W, c.H, TraceStroke::PerColumn);
        drawTraces(*g.doc, perSegment, c.W, c.H, TraceStroke::PerSegment);
        const auto reduced = rasterise(perColumn);
        EXPECT_FALSE(reduced.empty());
        EXPECT_EQ(reduced, rasterise(perSegment)) << c.preset << " " << c.kmPerDiv << " " << c.disordered;
        for (const DrawCall* p : tracePolylines(perColumn)) {
            // Beyond the right edge lies at most the one point that stops the trace.
            EXPECT_LE(p->points.size(), size_t(4 * (c.W + 2) + 4)) << c.preset << " " << c.kmPerDiv;
        }
    }
}

struct SymbolCase {
    float viewStartKm;
    float distanceKm;
    bool drawn;
    int x;
};

TEST(GraphPainter, EventSymbolPlacement) {
    // W = 640 over 10 km: 64 px per km; left = 64 * (d - start) - 6.
    const SymbolCase cases[] = {
        {0, 0, true, -3},             // left -6: on the window start
        {2, 2, true, -3},
        {0, -0.015625f, false, 0},    // left -7
        {0, 0.03125f, true, -3},      // left -4
        {0, 0.046875f, true, -3},     // left -3
        {0, 0.0625f, true, -2},
        {0, 5, true, 314},
        {0, 10.09375f, true, 640},    // left on the right edge
        {0, 10.109375f, false, 0},    // one pixel beyond it
        {2, 12.09375f, true, 640},
    };
    for (const SymbolCase& c : cases) {
        GraphDoc g;
        TraceSlot& t = g.openFlat(0, 200, 0.125f, 10);
        t.eventCount = 1;
        t.events[0].type = kEventReflective;
        t.events[0].distanceKm = c.distanceKm;
        g.window(1, 5, c.viewStartKm);
        RecordingCanvas canvas;
        drawBackgroundLayer(*g.doc, canvas, 640, 400);
        const auto symbols = canvas.ofKind(CallKind::Bitmap);
        ASSERT_EQ(symbols.size(), c.drawn ? 1u : 0u) << c.distanceKm;
        if (c.drawn) {
            EXPECT_EQ(symbols[0]->points[0], (Point{c.x, 384})) << c.distanceKm;
            EXPECT_EQ(symbols[0]->bitmap, &eventSymbolBitmap(EventSymbol::Reflective));
        }
    }
}

TEST(GraphPainter, EventSymbolsFollowTheTracesInEventOrder) {
    GraphDoc g;
    TraceSlot& t = g.openFlat(0, 200, 0.125f, 10);
    const float at[] = {1, 3, 2};
    t.eventCount = 3;
    for (int i = 0; i < 3; ++i) t.events[i].distanceKm = at[i];
    g.window(1, 5);
    RecordingCanvas canvas;
    drawBackgroundLayer(*g.doc, canvas, kW, kH);
    std::vector<int> xs;
    bool tracesSeen = false, symbolBeforeTrace = false;
    for (const DrawCall& c : canvas.calls) {
        if (c.kind == CallKind::Polyline) {
            tracesSeen = true;
            if (!xs.empty()) symbolBeforeTrace = true;
        }
        if (c.kind == CallKind::Bitmap) xs.push_back(c.points[0].x);
    }
    EXPECT_TRUE(tracesSeen);
    EXPECT_FALSE(symbolBeforeTrace);
    EXPECT_EQ(xs, (std::vector<int>{74, 234, 154}));
}

TEST(GraphPainter, SymbolChoice) {
    struct Case {
        int type, endFlag;
        float loss;
        EventSymbol symbol;
    };
    const Case cases[] = {
        {kEventStart, 0, 0, EventSymbol::Start},
        {kEventEnd, 0, 0, EventSymbol::End},
        {kEventReflective, 0, 0.5f, EventSymbol::Reflective},
        {kEventNonReflective, 0, 0.2f, EventSymbol::LossStep},
        {kEventNonReflective, 0, 0, EventSymbol::GainStep},
        {kEventNonReflective, 0, -0.1f, EventSymbol::GainStep},
        {7, 0, -0.1f, EventSymbol::LossStep},
        {-1, 0, 0, EventSymbol::LossStep},
        {kEventStart, kEndFlagFibreEnd, 0, EventSymbol::End},
        {kEventReflective, kEndFlagFibreEnd, 0, EventSymbol::End},
        {kEventNonReflective, kEndFlagFibreEnd, 0.3f, EventSymbol::End},
    };
    for (const Case& c : cases) {
        TraceEvent e;
        e.type = c.type;
        e.endFlag = c.endFlag;
        e.loss = c.loss;
        EXPECT_EQ(symbolForEvent(e), c.symbol) << c.type << " " << c.endFlag << " " << c.loss;
    }
}

// The row of the topmost black pixel in a column, or -1.
int topBlack(const MonoBitmap& b, int x) {
    for (int y = 0; y < b.height; ++y) {
        if (b.black(x, y)) return y;
    }
    return -1;
}

TEST(GraphPainter, SymbolShapes) {
    struct Case {
        EventSymbol symbol;
        int width, height;
    };
    const Case cases[] = {
        {EventSymbol::End, 9, 11},      {EventSymbol::Start, 10, 11},    {EventSymbol::Reflective, 10, 11},
        {EventSymbol::LossStep, 11, 14}, {EventSymbol::GainStep, 11, 14},
    };
    for (const Case& c : cases) {
        const MonoBitmap& b = eventSymbolBitmap(c.symbol);
        EXPECT_EQ(b.width, c.width);
        EXPECT_EQ(b.height, c.height);
        EXPECT_GE(b.stride * 8, b.width);
    }
    const MonoBitmap& loss = eventSymbolBitmap(EventSymbol::LossStep);
    const MonoBitmap& gain = eventSymbolBitmap(EventSymbol::GainStep);
    EXPECT_LT(topBlack(loss, 0), topBlack(loss, 10)) << "a loss steps down";
    EXPECT_GT(topBlack(gain, 0), topBlack(gain, 10)) << "a gain steps up";
    const MonoBitmap& refl = eventSymbolBitmap(EventSymbol::Reflective);
    EXPECT_LT(topBlack(refl, 4), topBlack(refl, 0)) << "the peak stands above the level before it";
    EXPECT_LT(topBlack(refl, 0), topBlack(refl, 9)) << "the level after the peak is lower";
    // The bars: full height, the stroke on their left for the end, on their right for the start.
    const MonoBitmap& end = eventSymbolBitmap(EventSymbol::End);
    const MonoBitmap& start = eventSymbolBitmap(EventSymbol::Start);
    EXPECT_TRUE(end.black(6, 0) && end.black(6, 10) && end.black(0, 5) && !end.black(8, 5));
    EXPECT_TRUE(start.black(1, 0) && start.black(1, 10) && start.black(9, 5) && !start.black(0, 5));
}

}  // namespace
}  // namespace fv
