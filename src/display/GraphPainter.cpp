#include "display/GraphPainter.h"

#include "display/EventSymbols.h"
#include "display/GraphWindow.h"
#include "document/CQUARLODoc.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace fv {
namespace {

// Far outside any layer, and keeps the conversion to int defined whatever a file holds.
constexpr double kCoordLimit = double(1 << 22);

int truncated(double v) {
    if (!(v > -kCoordLimit)) return -int(kCoordLimit);  // NaN lands here too
    if (!(v < kCoordLimit)) return int(kCoordLimit);
    return int(v);
}

// floor(v + 0.5) without a library call: this runs twice per point.
int rounded(double v) {
    const double t = v + 0.5;
    const int i = truncated(t);
    return double(i) > t ? i - 1 : i;
}

bool usableScales(const GraphMapping& m) {
    return std::isfinite(m.pixelsPerKm) && m.pixelsPerKm > 0 && std::isfinite(m.pixelsPerDb) && m.pixelsPerDb > 0;
}

// Feeds `emit` the pixels of a trace from its first visible point up to and including the
// first point beyond the right edge. The current trace sits one pixel higher (its second
// line is drawn one lower) and starts from a truncated x. False when the window starts
// after the trace's end.
template <class Emit>
bool tracePixels(const TraceSlot& t, const GraphMapping& m, int W, bool current, Emit&& emit) {
    const int n = std::min(t.pointCount, kMaxPoints);
    if (n < 1 || !(t.spacingKm > 0)) return false;
    const int first = std::max(0, truncated(m.viewStartKm / t.spacingKm));
    if (first > n - 1) return false;
    const int lift = current ? 1 : 0;
    const double x0 = m.x(t, first);
    emit(Point{current ? truncated(x0) : rounded(x0), truncated(m.y(t, first)) - lift});
    for (int j = first + 1; j < n; ++j) {
        const int x = rounded(m.x(t, j));
        emit(Point{x, rounded(m.y(t, j)) - lift});
        if (x > W) break;
    }
    return true;
}

struct RunSummary {
    float lo, hi;       // lowest and highest level
    bool ordered;       // distances never fall within the run
};

// Four running minima and maxima, so that the loop is not one long dependency chain.
RunSummary summariseRun(const TraceSlot& t, int from, int count) {
    const float* v = t.level + from;
    const float* d = t.distance + from;
    float lo[4] = {v[0], v[0], v[0], v[0]}, hi[4] = {v[0], v[0], v[0], v[0]};
    bool falls = false;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        for (int k = 0; k < 4; ++k) {
            lo[k] = std::min(lo[k], v[i + k]);
            hi[k] = std::max(hi[k], v[i + k]);
        }
    }
    for (; i < count; ++i) {
        lo[0] = std::min(lo[0], v[i]);
        hi[0] = std::max(hi[0], v[i]);
    }
    for (i = 1; i < count; ++i) falls |= d[i] < d[i - 1];
    return {std::min(std::min(lo[0], lo[1]), std::min(lo[2], lo[3])),
            std::max(std::max(hi[0], hi[1]), std::max(hi[2], hi[3])), !falls};
}

// Turns a run of points into a polyline with at most four vertices per pixel column: the
// run's entry, its two extremes and its exit. Within a column the segments of the run are
// vertical and connected, so they cover exactly the span between the extremes; the
// segments between columns are kept as they are.
class ColumnReducer {
public:
    explicit ColumnReducer(std::vector<Point>& out) : out_(out) {}

    void add(Point p) {
        ++count_;
        if (open_ && p.x == x_) {
            last_ = p.y;
            lo_ = std::min(lo_, p.y);
            hi_ = std::max(hi_, p.y);
            return;
        }
        flush();
        open_ = true;
        x_ = p.x;
        first_ = last_ = lo_ = hi_ = p.y;
    }

    // A run of points in column x: its first and last y and its extremes.
    void addRun(int x, int first, int lo, int hi, int last, int points) {
        count_ += points;
        if (open_ && x == x_) {
            last_ = last;
            lo_ = std::min(lo_, lo);
            hi_ = std::max(hi_, hi);
            return;
        }
        flush();
        open_ = true;
        x_ = x;
        first_ = first;
        lo_ = lo;
        hi_ = hi;
        last_ = last;
    }

    void flush() {
        if (!open_) return;
        put(first_);
        if (last_ >= first_) {
            put(lo_);
            put(hi_);
        } else {
            put(hi_);
            put(lo_);
        }
        put(last_);
        open_ = false;
    }

    int count() const { return count_; }

private:
    void put(int y) {
        const Point p{x_, y};
        if (out_.empty() || !(out_.back() == p)) out_.push_back(p);
    }

    std::vector<Point>& out_;
    bool open_ = false;
    int count_ = 0;
    int x_ = 0, first_ = 0, last_ = 0, lo_ = 0, hi_ = 0;
};

// The same pixels as tracePixels fed to a ColumnReducer, without mapping every point. The
// points of one column form an index run, found by searching on x; its extremes come
// from the highest and the lowest level, since y falls as the level rises. Only the ends
// of a run and the probes are mapped. A run whose distances are out of order (not from any
// real file) is fed point by point, which is what the search assumed away.
bool reduceTrace(const TraceSlot& t, const GraphMapping& m, int W, bool current, ColumnReducer& reducer) {
    const int n = std::min(t.pointCount, kMaxPoints);
    if (n < 1 || !(t.spacingKm > 0)) return false;
    const int first = std::max(0, truncated(m.viewStartKm / t.spacingKm));
    if (first > n - 1) return false;
    const int lift = current ? 1 : 0;
    auto xAt = [&](int j) { return rounded(m.x(t, j)); };
    auto yAt = [&](int j) { return rounded(m.y(t, j)) - lift; };
    const double x0 = m.x(t, first);
    reducer.add(Point{current ? truncated(x0) : rounded(x0), truncated(m.y(t, first)) - lift});

    // The previous run's length predicts the next one; the first guess is the spacing's.
    int guess = std::max(1, truncated(1.0 / (t.spacingKm * m.pixelsPerKm)));
    int j = first + 1;
    while (j < n) {
        const int x = xAt(j);
        if (x > W) {
            reducer.add({x, yAt(j)});
            break;
        }
        // Narrow [inside, beyond) down to the run's last point and the point after it.
        int inside = j, beyond = n;
        auto probe = [&](int k) {
            if (k > inside && k < beyond) (xAt(k) > x ? beyond : inside) = k;
        };
        probe(j + guess - 1);
        probe(j + guess);
        for (int step = 1; beyond == n && inside + step < n; step *= 2) probe(inside + step);
        while (beyond - inside > 1) probe(inside + (beyond - inside) / 2);
        const int end = beyond;
        guess = end - j;

        if (end - j == 1) {
            reducer.add({x, yAt(j)});
        } else if (const RunSummary r = summariseRun(t, j, end - j); r.ordered) {
            reducer.addRun(x, yAt(j), rounded(m.yOfLevel(t, r.hi)) - lift, rounded(m.yOfLevel(t, r.lo)) - lift,
                           yAt(end - 1), end - j);
        } else {
            for (int i = j; i < end; ++i) {
                const Point p{xAt(i), yAt(i)};
                reducer.add(p);
                if (p.x > W) return true;
            }
        }
        j = end;
    }
    return true;
}

void strokePolyline(Canvas& canvas, std::vector<Point>& path, int pointCount, int shift) {
    if (shift != 0) {
        for (Point& p : path) p.y += shift;
    }
    if (path.size() >= 2) {
        canvas.drawPolyline(path);
    } else if (path.size() == 1 && pointCount >= 2) {
        // Every point fell on one pixel; the segments would still have set it.
        canvas.drawLine(path[0], path[0]);
    }
}

void drawTrace(const TraceSlot& t, const GraphMapping& m, Canvas& canvas, int W, bool current,
               TraceStroke stroke, std::vector<Point>& path) {
    canvas.setPen(Pen{t.colour, 1, PenStyle::Solid});
    if (stroke == TraceStroke::PerSegment) {
        bool started = false;
        Point prev;
        tracePixels(t, m, W, current, [&](Point p) {
            if (started) {
                canvas.drawLine(prev, p);
                if (current) canvas.drawLine({prev.x, prev.y + 1}, {p.x, p.y + 1});
            }
            prev = p;
            started = true;
        });
        return;
    }
    path.clear();
    ColumnReducer reducer(path);
    if (!reduceTrace(t, m, W, current, reducer)) return;
    reducer.flush();
    strokePolyline(canvas, path, reducer.count(), 0);
    if (current) strokePolyline(canvas, path, reducer.count(), 1);
}

void drawGrid(Canvas& canvas, int W, int H) {
    canvas.setPen(Pen{kGridColour, 1, PenStyle::Alternate});
    for (int k = 1; k <= 10; ++k) {
        const int y = H * k / 10;
        const int x = W * k / 10;
        canvas.drawLine({0, y}, {W, y});
        canvas.drawLine({x, 0}, {x, H});
    }
}

void drawEventSymbols(const TraceSlot& t, const CQUARLODoc& doc, Canvas& canvas, int W, int H) {
    const double windowKm = 10.0 * double(doc.kmPerDiv);
    const int count = std::clamp(t.eventCount, 0, kMaxEvents);
    for (int i = 0; i < count; ++i) {
        const TraceEvent& e = t.events[i];
        // The symbols are centred on the event, give or take their own width.
        const int left = truncated((double(e.distanceKm) - double(doc.viewStartKm)) / windowKm * W - 6);
        if (left < -6 || left > W) continue;
        canvas.drawBitmap(std::max(left, -3), H - 16, eventSymbolBitmap(symbolForEvent(e)));
    }
}

}  // namespace


void drawTraces(const CQUARLODoc& doc, Canvas& canvas, int W, int H, TraceStroke stroke) {
    const GraphMapping m = graphMapping(doc, W, H);
    if (!usableScales(m) || doc.currentSlot < 0 || doc.currentSlot >= kMaxSlots) return;
    canvas.setRasterOp(RasterOp::Copy);
    std::vector<Point> path;
    path.reserve(size_t(4 * std::max(W, 0) + 16));
    if (!doc.onlyCurrent) {
        for (int s = 0; s < kMaxSlots; ++s) {
            if (s == doc.currentSlot || !doc.slots[s].inUse) continue;
            drawTrace(doc.slots[s], m, canvas, W, false, stroke, path);
        }
    }
    const TraceSlot& c = doc.currentTrace();
    if (c.inUse) drawTrace(c, m, canvas, W, true, stroke, path);
}

void drawBackgroundLayer(CQUARLODoc& doc, Canvas& canvas, int W, int H, const BackgroundStyle& style) {
    canvas.setRasterOp(RasterOp::Copy);
    // Trace picking compares screen pixels with what the surface really stores.
    for (TraceSlot& s : doc.slots) {
        if (!s.inUse) continue;
        canvas.setPixel(50, 50, s.colour);
        s.displayColour = canvas.pixel(50, 50);
    }
    canvas.fillRect({0, 0, W, H}, style.background);
    if (doc.openCount <= 0 || doc.currentSlot < 0 || doc.currentSlot >= kMaxSlots) return;

    drawGrid(canvas, W, H);
    TraceSlot& c = doc.currentTrace();
    if (c.path.empty() || c.path == "space") return;

    const GraphMapping m = graphMapping(doc, W, H);
    c.pixelsPerKm = m.pixelsPerKm;
    c.pixelsPerDb = m.pixelsPerDb;
    doc.graphCaption = formatGraphCaption(doc.lengthUnit, doc.kmPerDiv, doc.dbPerDiv);
    if (!usableScales(m)) return;

    drawTraces(doc, canvas, W, H, style.stroke);
    drawEventSymbols(c, doc, canvas, W, H);
}

}  // namespace fv
