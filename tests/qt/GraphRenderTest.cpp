// The graph's background layer painted by QPainter into an image: colours, thickness and
// order of the traces, the dotted grid, the event symbols, and the column-reduced trace
// drawing against one line per segment.
#include "display/EventSymbols.h"
#include "display/GraphPainter.h"
#include "document/CQUARLODoc.h"
#include "platform/QtCanvas.h"
#include "support/ScriptedPrompts.h"
#include "synth/TraceSynth.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace fv {
namespace {

constexpr Rgb kWhite{255, 255, 255};

struct GraphDoc {
    test::ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc = CQUARLODoc::create(prompts);

    void finishOpen(int s) {
        TraceSlot& t = doc->slots[s];
        t.spacingKm = double(t.distance[1]) - double(t.distance[0]);
        t.totalLengthKm = double(t.distance[t.pointCount - 1]) + t.spacingKm;
        t.colour = kSlotColours[s];
        t.verticalOffset = 0;
        t.path = "trace" + std::to_string(s) + ".sor";
        t.inUse = 1;
        ++doc->openCount;
        doc->currentSlot = s;
    }
    // A hand-made trace, floor 0: n points 0.125 km apart.
    TraceSlot& open(int s, int n, const std::function<float(int)>& level) {
        TraceSlot& t = doc->slots[s];
        t.pointCount = n;
        for (int j = 0; j < n; ++j) {
            t.distance[j] = 0.125f * float(j);
            t.level[j] = level(j);
        }
        t.levelFloor = 0;
        t.eventCount = 0;
        finishOpen(s);
        return t;
    }
    TraceSlot& openSynth(int s, const char* preset, uint64_t seed) {
        TraceSlot& t = doc->slots[s];
        SynthOptions o;
        o.preset = preset;
        o.seed = seed;
        EXPECT_TRUE(synthesizeTrace(o, t).ok);
        t.levelFloor = 5 * std::log10(0.00005) - 35;
        finishOpen(s);
        doc->kmPerDiv = float(t.totalLengthKm / 10);
        doc->dbPerDiv = 5;
        doc->viewStartKm = doc->viewStartDb = 0;
        return t;
    }
    void window(float kmPerDiv, float dbPerDiv, float startKm = 0, float startDb = 0) {
        doc->kmPerDiv = kmPerDiv;
        doc->dbPerDiv = dbPerDiv;
        doc->viewStartKm = startKm;
        doc->viewStartDb = startDb;
    }
};

// The layer is bigger than the client area, as in the view.
QImage paint(CQUARLODoc& doc, int W, int H, TraceStroke stroke = TraceStroke::PerColumn,
             QImage::Format format = QImage::Format_RGB32) {
    QImage image(2000, 2000, format);
    image.fill(Qt::black);
    QtCanvas canvas(image);
    drawBackgroundLayer(doc, canvas, W, H, BackgroundStyle{kWhite, stroke});
    return image;
}

Rgb at(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return Rgb{uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p))};
}

// W = 800 over 10 km and H = 400 over 50 dB: 80 px per km (10 per point), 8 px per dB.
constexpr int kW = 800, kH = 400;

TEST(GraphRender, CurrentTraceIsTwoPixelsThickAndOnTop) {
    GraphDoc g;
    // Other trace: a slope from y = 200 down to y = 240 and beyond; current: flat at y = 220.
    g.open(3, 200, [](int j) { return 25 - 0.0625f * float(j); });
    g.open(6, 200, [](int) { return 22.5f; });
    g.window(1, 5);
    const QImage image = paint(*g.doc, kW, kH);
    const Rgb other = kSlotColours[3], current = kSlotColours[6];

    for (int x : {5, 123, 455, 799}) {
        if (x % 80 == 0) continue;
        EXPECT_EQ(at(image, x, 219), current) << x;
        EXPECT_EQ(at(image, x, 220), current) << x;
        EXPECT_EQ(at(image, x, 218), kWhite) << x;
        EXPECT_EQ(at(image, x, 221), kWhite) << x;
    }
    // The other trace is one pixel thick: at x = 10 j it passes y = 200 + j / 2.
    for (int j : {3, 13, 71}) {
        const int x = 10 * j, y = 200 + (j + 1) / 2;
        EXPECT_EQ(at(image, x, y), other) << j;
        EXPECT_NE(at(image, x, y - 2), other) << j;
        EXPECT_NE(at(image, x, y + 2), other) << j;
    }
    // Where they cross, the current trace covers the other one.
    for (int x = 0; x < kW; ++x) {
        EXPECT_NE(at(image, x, 219), other) << x;
        EXPECT_NE(at(image, x, 220), other) << x;
    }
    EXPECT_EQ(g.doc->slots[3].displayColour, other);
    EXPECT_EQ(g.doc->slots[6].displayColour, current);
}

TEST(GraphRender, DisplayColourIsTheColourTheLayerHolds) {
    GraphDoc g;
    for (int s = 0; s < kMaxSlots; ++s) g.open(s, 100, [](int) { return 20.0f; });
    g.window(1, 5);
    int changed = 0;
    paint(*g.doc, kW, kH, TraceStroke::PerColumn, QImage::Format_RGB16);
    for (int s = 0; s < kMaxSlots; ++s) {
        const Rgb c = kSlotColours[s];
        QImage probe(1, 1, QImage::Format_RGB16);
        probe.setPixelColor(0, 0, QColor(c.r, c.g, c.b));
        EXPECT_EQ(g.doc->slots[s].displayColour, at(probe, 0, 0)) << s;
        if (!(g.doc->slots[s].displayColour == c)) ++changed;
    }
    EXPECT_GT(changed, 0) << "16-bit pixels cannot hold every slot colour";
}

TEST(GraphRender, GridIsEveryOtherPixelInGrey) {
    const std::pair<int, int> sizes[] = {{800, 400}, {803, 397}, {1920, 1080}};
    for (auto [W, H] : sizes) {
        GraphDoc g;
        g.open(0, 100, [](int) { return 20.0f; }).path = "space";  // the grid alone
        g.window(1, 5);
        const QImage image = paint(*g.doc, W, H);
        auto onGrid = [&](int x, int y) {
            for (int k = 1; k <= 10; ++k) {
                if (y == H * k / 10 && x % 2 == 0 && x <= W) return true;
                if (x == W * k / 10 && y % 2 == 0 && y <= H) return true;
            }
            return false;
        };
        int wrong = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const Rgb want = onGrid(x, y) ? kGridColour : kWhite;
                if (!(at(image, x, y) == want) && ++wrong < 5) ADD_FAILURE() << W << "x" << H << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(wrong, 0) << W << "x" << H;
    }
}

TEST(GraphRender, EventSymbolsArePaintedOpaquely) {
    struct Case {
        float distanceKm;
        int type;
        float loss;
        int left;  // where the symbol's left column lands
    };
    // Over 640 px and 10 km the left edge is 64 d - 6; left -6 is drawn at -3.
    const Case cases[] = {
        {2.0f, kEventReflective, 0, 122},   // its white box covers the grid line at x = 128
        {0, kEventStart, 0, -3},
        {5.0f, kEventNonReflective, 0.3f, 314},
        {7.5f, kEventNonReflective, -0.2f, 474},
        {9.0f, kEventEnd, 0, 570},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        TraceSlot& t = g.open(0, 100, [](int) { return 30.0f; });
        t.eventCount = 1;
        t.events[0].type = c.type;
        t.events[0].loss = c.loss;
        t.events[0].distanceKm = c.distanceKm;
        g.window(1, 5);
        const int W = 640, H = 400;
        const QImage image = paint(*g.doc, W, H);
        const MonoBitmap& b = eventSymbolBitmap(symbolForEvent(t.events[0]));
        int wrong = 0, black = 0;
        for (int y = 0; y < b.height; ++y) {
            for (int x = 0; x < b.width; ++x) {
                if (c.left + x < 0) continue;
                const Rgb want = b.black(x, y) ? Rgb{0, 0, 0} : kWhite;
                if (!(at(image, c.left + x, H - 16 + y) == want)) ++wrong;
                if (b.black(x, y)) ++black;
            }
        }
        EXPECT_EQ(wrong, 0) << c.distanceKm;
        EXPECT_GT(black, 0);
        // Nothing of it spills left of its box.
        if (c.left > 0) {
            EXPECT_NE(at(image, c.left - 1, H - 16 + 5), (Rgb{0, 0, 0})) << c.distanceKm;
        }
    }
}

TEST(GraphRender, TwoSyntheticTracesMakeAPicture) {
    GraphDoc g;
    g.openSynth(1, "demo", 7);
    g.openSynth(0, "demo", 1);
    g.doc->slots[1].verticalOffset = -6;  // apart, so both can be seen
    const QImage image = paint(*g.doc, 1000, 600);
    const QImage client = image.copy(0, 0, 1000, 600);
    const std::string path = std::string(FIBROVUE_BUILD_DIR) + "/graph_two_traces.png";
    EXPECT_TRUE(client.save(QString::fromStdString(path)));
    int seen[2] = {0, 0};
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 1000; ++x) {
            const Rgb p = at(client, x, y);
            for (int s : {0, 1}) seen[s] += p == kSlotColours[s];
        }
    }
    EXPECT_GT(seen[0], 1000);  // a 2 px line across 1000 px and then some
    EXPECT_GT(seen[1], 500);
}

struct Difference {
    long painted = 0;  // pixels not background in either image
    long differing = 0;
};

Difference compare(const QImage& a, const QImage& b, int W, int H) {
    Difference d;
    const QRgb bg = qRgb(255, 255, 255);
    for (int y = 0; y <= H; ++y) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x <= W + 1; ++x) {
            const QRgb pa = ra[x] | 0xff000000u, pb = rb[x] | 0xff000000u;
            if (pa == bg && pb == bg) continue;
            ++d.painted;
            if (pa != pb) ++d.differing;
        }
    }
    return d;
}

TEST(GraphRender, ColumnReducedTracesLookLikeEverySegmentDrawn) {
    struct Case {
        const char* name;
        const char* preset;
        int traces;
        float kmPerDiv;  // 0: the whole trace
        float dbPerDiv;
        float centreKm;
        int W, H;
    };
    const Case cases[] = {
        {"longhaul zoomed out", "longhaul", 3, 0, 5, 0, 1920, 1080},
        {"longhaul zoomed in", "longhaul", 2, 0.5f, 0.5f, 31.5f, 1920, 1080},
        {"demo at 10 m per division", "demo", 2, 0.01f, 0.2f, 12.0f, 1200, 800},
        {"demo zoomed out", "demo", 4, 0, 5, 0, 1000, 600},
    };
    for (const Case& c : cases) {
        GraphDoc g;
        for (int s = c.traces - 1; s >= 0; --s) g.openSynth(s, c.preset, uint64_t(11 * s + 1));
        g.doc->slots[1].verticalOffset = 2.0f;
        if (c.kmPerDiv > 0) {
            // The window centred on the current trace at centreKm.
            const TraceSlot& t = g.doc->currentTrace();
            const int j = int(c.centreKm / t.spacingKm);
            const float level = float(t.level[j] - t.levelFloor);
            g.window(c.kmPerDiv, c.dbPerDiv, c.centreKm - 5 * c.kmPerDiv, level - 5 * c.dbPerDiv);
        }
        const QImage reduced = paint(*g.doc, c.W, c.H, TraceStroke::PerColumn);
        const QImage everySegment = paint(*g.doc, c.W, c.H, TraceStroke::PerSegment);
        const Difference d = compare(reduced, everySegment, c.W, c.H);
        const double share = double(d.differing) / double(d.painted);
        std::printf("[ %-25s ] %ld of %ld painted pixels differ (%.4f %%)\n", c.name, d.differing, d.painted,
                    100 * share);
        EXPECT_GT(d.painted, 4 * c.W) << c.name;  // grid and traces are there
        EXPECT_LE(share, 0.01) << c.name;
    }
}

TEST(GraphRender, InvertModeUndoesItself) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    {
        QtCanvas canvas(image);
        canvas.setRasterOp(RasterOp::Invert);
        canvas.setPen(Pen{{0, 0, 0}, 1, PenStyle::Solid});
        canvas.drawLine({2, 5}, {30, 5});
    }
    EXPECT_EQ(at(image, 10, 5), (Rgb{245, 55, 225}));
    EXPECT_EQ(at(image, 10, 6), (Rgb{10, 200, 30}));
    {
        QtCanvas canvas(image);
        canvas.setRasterOp(RasterOp::Invert);
        canvas.setPen(Pen{{0, 0, 0}, 1, PenStyle::Solid});
        canvas.drawLine({2, 5}, {30, 5});
    }
    for (int x = 0; x < 40; ++x) EXPECT_EQ(at(image, x, 5), (Rgb{10, 200, 30})) << x;
}

TEST(GraphRender, TextIsMeasuredAndPaintedInItsCell) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    int shortWidth = 0, longWidth = 0, height = 0;
    {
        QtCanvas canvas(image);
        canvas.setFont(Font{"Arial", 16, 700});
        shortWidth = canvas.textWidth("A");
        longWidth = canvas.textWidth("AAAA");
        height = canvas.textHeight();
        canvas.setTextColour({0, 64, 128});
        canvas.setTextBackground({255, 255, 0}, true);
        canvas.drawText(10, 20, "AB");
    }
    EXPECT_GT(shortWidth, 0);
    EXPECT_GT(longWidth, 3 * shortWidth);
    EXPECT_GE(height, 16);
    EXPECT_EQ(at(image, 10, 20), (Rgb{255, 255, 0})) << "the opaque cell starts at the given corner";
    EXPECT_EQ(at(image, 9, 20), kWhite);
    EXPECT_EQ(at(image, 10, 19), kWhite);
    int ink = 0;
    for (int y = 20; y < 20 + height; ++y) {
        for (int x = 10; x < 10 + longWidth; ++x) ink += at(image, x, y) == Rgb{0, 64, 128};
    }
    EXPECT_GT(ink, 10);
}

}  // namespace
}  // namespace fv
