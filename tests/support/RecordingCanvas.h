#pragma once
// A Canvas that records what is drawn, for tests of the core's painting. Pixels set with
// setPixel read back through `store`, which stands for the surface's colour depth.

#include "platform/Canvas.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fv::test {

enum class CallKind { Line, Polyline, Rect, Ellipse, FillRect, Text, SetPixel, Bitmap };

struct DrawCall {
    CallKind kind;
    Pen pen;
    Brush brush;
    RasterOp op = RasterOp::Copy;
    std::vector<Point> points;   // Line: from, to; Polyline: the vertices; Text, Bitmap, SetPixel: position
    Rect rect;                   // Rect, Ellipse, FillRect
    Rgb colour;                  // FillRect, SetPixel, Text
    std::string text;
    Font font;
    const MonoBitmap* bitmap = nullptr;
};

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(int width = 2000, int height = 2000) : width_(width), height_(height) {}

    std::vector<DrawCall> calls;
    std::function<Rgb(Rgb)> store = [](Rgb c) { return c; };

    int width() const override { return width_; }
    int height() const override { return height_; }

    void setPen(const Pen& pen) override { pen_ = pen; }
    void setBrush(const Brush& brush) override { brush_ = brush; }
    void setRasterOp(RasterOp op) override { op_ = op; }

    void drawLine(Point from, Point to) override { record(CallKind::Line).points = {from, to}; }
    void drawPolyline(std::span<const Point> points) override {
        record(CallKind::Polyline).points.assign(points.begin(), points.end());
    }
    void drawRect(const Rect& r) override { record(CallKind::Rect).rect = r; }
    void drawEllipse(const Rect& bounds) override { record(CallKind::Ellipse).rect = bounds; }
    void fillRect(const Rect& r, Rgb colour) override {
        DrawCall& c = record(CallKind::FillRect);
        c.rect = r;
        c.colour = colour;
    }

    void setFont(const Font& font) override { font_ = font; }
    void setTextColour(Rgb colour) override { textColour_ = colour; }
    void setTextBackground(Rgb, bool) override {}
    void drawText(int x, int y, std::string_view utf8) override {
        DrawCall& c = record(CallKind::Text);
        c.points = {{x, y}};
        c.text = std::string(utf8);
        c.colour = textColour_;
        c.font = font_;
    }
    // Every character as wide as half the font's height, so layouts can be worked out by hand.
    int textWidth(std::string_view utf8) const override { return int(utf8.size()) * font_.pixelHeight / 2; }
    int textHeight() const override { return font_.pixelHeight; }

    void setPixel(int x, int y, Rgb colour) override {
        DrawCall& c = record(CallKind::SetPixel);
        c.points = {{x, y}};
        c.colour = colour;
        pixels_[{x, y}] = store(colour);
    }
    Rgb pixel(int x, int y) const override {
        const auto it = pixels_.find({x, y});
        return it == pixels_.end() ? Rgb{255, 255, 255} : it->second;
    }

    void drawBitmap(int x, int y, const MonoBitmap& bitmap) override {
        DrawCall& c = record(CallKind::Bitmap);
        c.points = {{x, y}};
        c.bitmap = &bitmap;
    }

    std::vector<const DrawCall*> ofKind(CallKind kind) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : calls) {
            if (c.kind == kind) out.push_back(&c);
        }
        return out;
    }

private:
    DrawCall& record(CallKind kind) {
        DrawCall c{kind, pen_, brush_, op_, {}, {}, {}, {}, font_, nullptr};
        calls.push_back(std::move(c));
        return calls.back();
    }

    int width_, height_;
    Pen pen_;
    Brush brush_;
    RasterOp op_ = RasterOp::Copy;
    Font font_;
    Rgb textColour_;
    std::map<std::pair<int, int>, Rgb> pixels_;
};

}  // namespace fv::test
