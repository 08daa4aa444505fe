#pragma once
// Canvas painted with QPainter. On a QImage, pixels read back as the image stores them;
// on any other device (a printer) a pixel reads back as it was last set.

#include "platform/Canvas.h"

#include <QFont>
#include <QPainter>
#include <QPoint>

#include <vector>

class QImage;
class QPaintDevice;

namespace fv {

class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QPaintDevice& device);
    ~QtCanvas() override = default;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    QPainter& painter() { return painter_; }

    int width() const override;
    int height() const override;

    void setPen(const Pen& pen) override;
    void setBrush(const Brush& brush) override;
    void setRasterOp(RasterOp op) override;

    void drawLine(Point from, Point to) override;
    void drawPolyline(std::span<const Point> points) override;
    void drawRect(const Rect& r) override;
    void drawEllipse(const Rect& bounds) override;
    void fillRect(const Rect& r, Rgb colour) override;

    void setFont(const Font& font) override;
    void setTextColour(Rgb colour) override;
    void setTextBackground(Rgb colour, bool opaque) override;
    void drawText(int x, int y, std::string_view utf8) override;
    int textWidth(std::string_view utf8) const override;
    int textHeight() const override;

    void setPixel(int x, int y, Rgb colour) override;
    Rgb pixel(int x, int y) const override;

    void drawBitmap(int x, int y, const MonoBitmap& bitmap) override;

private:
    void applyPen();
    // Every other pixel of the line from a to b; `phase` carries the pattern across joined lines.
    void addAlternatePixels(Point a, Point b, bool skipFirst, int& phase);
    void flushAlternatePixels();

    QPaintDevice& device_;
    QImage* image_ = nullptr;  // the device, when it is an image
    QPainter painter_;
    Pen pen_;
    Brush brush_;
    QFont font_;
    Rgb textColour_;
    Rgb textBackground_{255, 255, 255};
    bool opaqueText_ = false;
    Point lastSetPosition_{-1, -1};
    Rgb lastSetColour_;
    std::vector<QPoint> points_;  // reused between calls
};

}  // namespace fv
