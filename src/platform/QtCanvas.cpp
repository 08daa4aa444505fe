#include "platform/QtCanvas.h"

#include "platform/QtPrompts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace fv {
namespace {

// Qt's raster code can return with the upper halves of the AVX registers in use. The plain
// SSE code that runs next, the per-point loops of the caller, then pays a state-transition
// penalty on every instruction: three times slower on the trace loops. Clearing the state
// after each call into Qt costs one instruction.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void zeroUpperHalves() { _mm256_zeroupper(); }

const bool kHasAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}();

void leaveQt() {
    if (kHasAvx) zeroUpperHalves();
}
#else
void leaveQt() {}
#endif

QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QPainter::CompositionMode compositionOf(RasterOp op) {
    return op == RasterOp::Invert ? QPainter::RasterOp_NotSourceXorDestination : QPainter::CompositionMode_SourceOver;
}

}  // namespace

QtCanvas::QtCanvas(QPaintDevice& device) : device_(device), painter_(&device) {
    if (device.devType() == QInternal::Image) image_ = static_cast<QImage*>(&device);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    font_.setFamily(QString::fromStdString(Font{}.family));
    font_.setPixelSize(Font{}.pixelHeight);
    painter_.setFont(font_);
    applyPen();
    setBrush(brush_);
}

int QtCanvas::width() const { return device_.width(); }
int QtCanvas::height() const { return device_.height(); }

void QtCanvas::applyPen() {
    if (pen_.style == PenStyle::None) {
        painter_.setPen(Qt::NoPen);
        return;
    }
    QPen p(toQColor(pen_.colour));
    if (pen_.width <= 1) {
        p.setWidth(1);
        p.setCosmetic(true);  // square caps: both end pixels are set
    } else {
        p.setWidth(pen_.width);
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
    }
    painter_.setPen(p);
}

void QtCanvas::setPen(const Pen& pen) {
    if (pen == pen_) return;
    pen_ = pen;
    applyPen();
}

void QtCanvas::setBrush(const Brush& brush) {
    brush_ = brush;
    if (brush.style == BrushStyle::None) painter_.setBrush(Qt::NoBrush);
    else painter_.setBrush(toQColor(brush.colour));
}

void QtCanvas::setRasterOp(RasterOp op) { painter_.setCompositionMode(compositionOf(op)); }

void QtCanvas::addAlternatePixels(Point a, Point b, bool skipFirst, int& phase) {
    const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
    const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    int x = a.x, y = a.y;
    bool first = true;
    for (;;) {
        if (!(first && skipFirst)) {
            if (phase == 0) points_.emplace_back(x, y);
            phase ^= 1;
        }
        first = false;
        if (x == b.x && y == b.y) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void QtCanvas::flushAlternatePixels() {
    if (points_.empty()) return;
    const QPen saved = painter_.pen();
    QPen dot(toQColor(pen_.colour));
    dot.setWidth(1);
    dot.setCosmetic(true);
    painter_.setPen(dot);
    painter_.drawPoints(points_.data(), int(points_.size()));
    painter_.setPen(saved);
    points_.clear();
    leaveQt();
}

void QtCanvas::drawLine(Point from, Point to) {
    if (pen_.style == PenStyle::Alternate) {
        // Drawn pixel by pixel so that the pattern is exact on every device.
        int phase = 0;
        points_.clear();
        addAlternatePixels(from, to, false, phase);
        flushAlternatePixels();
        return;
    }
    painter_.drawLine(from.x, from.y, to.x, to.y);
    leaveQt();
}

void QtCanvas::drawPolyline(std::span<const Point> points) {
    if (points.empty()) return;
    points_.clear();
    if (pen_.style == PenStyle::Alternate) {
        int phase = 0;
        for (size_t i = 1; i < points.size(); ++i) addAlternatePixels(points[i - 1], points[i], i > 1, phase);
        flushAlternatePixels();
        return;
    }
    points_.reserve(points.size());
    for (const Point& p : points) points_.emplace_back(p.x, p.y);
    painter_.drawPolyline(points_.data(), int(points_.size()));
    points_.clear();
    leaveQt();
}

void QtCanvas::drawRect(const Rect& r) {
    if (r.width() <= 0 || r.height() <= 0) return;
    if (pen_.style == PenStyle::Alternate) {
        if (brush_.style == BrushStyle::Solid) fillRect(r, brush_.colour);
        const Point corners[5] = {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1},
                                  {r.left, r.bottom - 1}, {r.left, r.top}};
        drawPolyline(corners);
        return;
    }
    if (pen_.style == PenStyle::None) {
        if (brush_.style == BrushStyle::Solid) fillRect(r, brush_.colour);
        return;
    }
    // Qt strokes around the outline; keep the whole pen inside the rectangle.
    const double inset = std::max(pen_.width, 1) / 2.0;
    painter_.drawRect(QRectF(r.left + inset, r.top + inset, r.width() - 2 * inset, r.height() - 2 * inset));
    leaveQt();
}

void QtCanvas::drawEllipse(const Rect& bounds) {
    if (bounds.width() <= 0 || bounds.height() <= 0) return;
    const QPen saved = painter_.pen();
    if (pen_.style == PenStyle::Alternate) {
        QPen dotted = saved;
        dotted.setStyle(Qt::DotLine);
        painter_.setPen(dotted);
    }
    const double inset = pen_.style == PenStyle::None ? 0.0 : std::max(pen_.width, 1) / 2.0;
    painter_.drawEllipse(
        QRectF(bounds.left + inset, bounds.top + inset, bounds.width() - 2 * inset, bounds.height() - 2 * inset));
    painter_.setPen(saved);
    leaveQt();
}

void QtCanvas::fillRect(const Rect& r, Rgb colour) {
    if (r.width() <= 0 || r.height() <= 0) return;
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRect(r.left, r.top, r.width(), r.height()), toQColor(colour));
    painter_.setCompositionMode(mode);
    leaveQt();
}

void QtCanvas::setFont(const Font& font) {
    QFont f(QString::fromStdString(font.family));
    f.setPixelSize(std::max(font.pixelHeight, 1));
    f.setWeight(QFont::Weight(std::clamp(font.weight, 100, 900)));
    font_ = f;
    painter_.setFont(font_);
}

void QtCanvas::setTextColour(Rgb colour) { textColour_ = colour; }

void QtCanvas::setTextBackground(Rgb colour, bool opaque) {
    textBackground_ = colour;
    opaqueText_ = opaque;
}

void QtCanvas::drawText(int x, int y, std::string_view utf8) {
    const QString text = toQString(utf8);
    const QFontMetrics fm(font_, &device_);
    if (opaqueText_) fillRect({x, y, x + fm.horizontalAdvance(text), y + fm.height()}, textBackground_);
    const QPen saved = painter_.pen();
    painter_.setPen(toQColor(textColour_));
    painter_.drawText(x, y + fm.ascent(), text);
    painter_.setPen(saved);
    leaveQt();
}

int QtCanvas::textWidth(std::string_view utf8) const {
    return QFontMetrics(font_, &device_).horizontalAdvance(toQString(utf8));
}

int QtCanvas::textHeight() const { return QFontMetrics(font_, &device_).height(); }

void QtCanvas::setPixel(int x, int y, Rgb colour) {
    // Through the painter, so the image is never touched behind its back.
    fillRect({x, y, x + 1, y + 1}, colour);
    lastSetPosition_ = {x, y};
    lastSetColour_ = colour;
}

Rgb QtCanvas::pixel(int x, int y) const {
    if (!image_) return lastSetPosition_ == Point{x, y} ? lastSetColour_ : Rgb{255, 255, 255};
    if (!image_->valid(x, y)) return {};
    const QRgb p = image_->pixel(x, y);
    return Rgb{uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p))};
}

void QtCanvas::drawBitmap(int x, int y, const MonoBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0 || !bitmap.bits) return;
    QImage mono(bitmap.width, bitmap.height, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int row = 0; row < bitmap.height; ++row) {
        std::memcpy(mono.scanLine(row), bitmap.bits + row * bitmap.stride, size_t(bitmap.stride));
    }
    painter_.drawImage(x, y, mono);
    leaveQt();
}

}  // namespace fv
