#pragma once
// What the graph, the overview and the report pages draw on. The core paints through
// this interface only; QtCanvas paints with QPainter, tests record the calls.
//
// Coordinates are device pixels, y downwards. A line includes both of its end pixels;
// a rectangle covers left <= x < right, top <= y < bottom.

#include "document/TraceRecords.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fv {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle {
    Solid,
    Alternate,  // sets every other pixel along the line, starting with the first; 1 px only
    None,
};

struct Pen {
    Rgb colour;
    int width = 1;  // pixels; 1 is the cosmetic hairline
    PenStyle style = PenStyle::Solid;
    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle { Solid, None };

struct Brush {
    Rgb colour;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct Font {
    std::string family = "Arial";
    int pixelHeight = 12;
    int weight = 400;  // 100..900, 400 normal, 700 bold
    friend bool operator==(const Font&, const Font&) = default;
};

enum class RasterOp {
    Copy,
    Invert,  // not (source xor destination): drawing the same thing twice restores the image
};

// A 1-bit image: rows of `stride` bytes, the leftmost pixel in the highest bit, 1 = black.
struct MonoBitmap {
    int width = 0;
    int height = 0;
    int stride = 0;
    const uint8_t* bits = nullptr;

    bool black(int x, int y) const { return (bits[y * stride + x / 8] >> (7 - x % 8)) & 1; }
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    virtual void setPen(const Pen& pen) = 0;
    virtual void setBrush(const Brush& brush) = 0;
    virtual void setRasterOp(RasterOp op) = 0;

    // With the current pen.
    virtual void drawLine(Point from, Point to) = 0;
    virtual void drawPolyline(std::span<const Point> points) = 0;
    // Outlined with the pen inside the rectangle, filled with the brush.
    virtual void drawRect(const Rect& r) = 0;
    virtual void drawEllipse(const Rect& bounds) = 0;
    // Ignores pen, brush and raster op.
    virtual void fillRect(const Rect& r, Rgb colour) = 0;

    virtual void setFont(const Font& font) = 0;
    virtual void setTextColour(Rgb colour) = 0;
    // Opaque text first fills its cell with the background colour.
    virtual void setTextBackground(Rgb colour, bool opaque) = 0;
    // (x, y) is the top-left corner of the text cell.
    virtual void drawText(int x, int y, std::string_view utf8) = 0;
    virtual int textWidth(std::string_view utf8) const = 0;
    virtual int textHeight() const = 0;

    // setPixel stores a colour as the surface can hold it; pixel reads back what is stored.
    virtual void setPixel(int x, int y, Rgb colour) = 0;
    virtual Rgb pixel(int x, int y) const = 0;

    // Copies the bitmap black on white, white pixels included, top-left at (x, y).
    virtual void drawBitmap(int x, int y, const MonoBitmap& bitmap) = 0;
};

}  // namespace fv
