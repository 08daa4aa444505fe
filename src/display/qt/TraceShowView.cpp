#include "display/qt/TraceShowView.h"

#include "display/GraphPainter.h"
#include "display/GraphWindow.h"
#include "document/DocumentCommands.h"
#include "platform/QtCanvas.h"
#include "platform/QtPrompts.h"

#include <QGridLayout>
#include <QLoggingCategory>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>

Q_LOGGING_CATEGORY(lcTraceView, "fibrovue.traceview", QtWarningMsg)

namespace fv {

constexpr int kLayerSize = 2000;  // nothing of the graph lies beyond 2000 pixels

class GraphArea : public QWidget {
public:
    explicit GraphArea(CTraceShowView& view) : QWidget(&view), view_(view) {
        setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers everything: nothing to erase
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(50, 50);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QImage frame = view_.composeFrame();
        QPainter(this).drawImage(0, 0, frame);
        view_.syncScrollBars();
        if (view_.document().openCount > 0) Q_EMIT view_.traceFramePainted();
    }

private:
    CTraceShowView& view_;
};

CTraceShowView::CTraceShowView(CQUARLODoc& doc, QWidget* parent)
    : ViewWidget(doc, parent), area_(new GraphArea(*this)), hBar_(new QScrollBar(Qt::Horizontal, this)),
      vBar_(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("CTraceShowView");
    setFocusProxy(area_);  // the arrow keys go to the graph
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(area_, 0, 0);
    grid->addWidget(vBar_, 0, 1);
    grid->addWidget(hBar_, 1, 0);
    connect(hBar_, &QScrollBar::actionTriggered, this, [this](int a) { onScrollAction(false, a); });
    connect(vBar_, &QScrollBar::actionTriggered, this, [this](int a) { onScrollAction(true, a); });
}

QWidget* CTraceShowView::graphArea() const { return area_; }

void CTraceShowView::onInitialUpdate() {
    // Range 0..1000 with a page of 999 until a trace gives the bars their meaning.
    applyScrollBars(ScrollBars{{0, 1000, 999, 0}, {0, 1000, 999, 0}});
    ViewWidget::onInitialUpdate();
}

void CTraceShowView::applyScrollBars(const ScrollBars& bars) {
    // The bars take the range 0..max with a page p as maximum max - p + 1 and page step p.
    syncing_ = true;
    auto apply = [](QScrollBar* bar, const ScrollBarState& s) {
        bar->setRange(s.minimum, std::max(s.minimum, s.maximum - s.page + 1));
        bar->setPageStep(std::max(1, s.page));
        bar->setSingleStep(1);
        bar->setValue(s.position);
    };
    apply(vBar_, bars.vertical);
    apply(hBar_, bars.horizontal);
    syncing_ = false;
}

void CTraceShowView::syncScrollBars() {
    if (auto bars = fv::syncScrollBars(doc_)) applyScrollBars(*bars);
}

void CTraceShowView::onScrollAction(bool vertical, int action) {
    if (syncing_) return;
    ScrollAction a = ScrollAction::Other;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: a = vertical ? ScrollAction::LineUp : ScrollAction::LineLeft; break;
        case QAbstractSlider::SliderSingleStepAdd: a = vertical ? ScrollAction::LineDown : ScrollAction::LineRight; break;
        case QAbstractSlider::SliderPageStepSub: a = vertical ? ScrollAction::PageUp : ScrollAction::PageLeft; break;
        case QAbstractSlider::SliderPageStepAdd: a = vertical ? ScrollAction::PageDown : ScrollAction::PageRight; break;
        case QAbstractSlider::SliderMove: a = ScrollAction::Thumb; break;
        default: break;
    }
    QScrollBar* bar = vertical ? vBar_ : hBar_;
    const int page = bar->pageStep();
    const int maximum = bar->maximum() + page - 1;  // back to the program's range
    const int pos = bar->sliderPosition();
    const ScrollOutcome out = vertical ? applyVerticalScroll(doc_, a, pos, maximum, page, area_->height())
                                       : applyHorizontalScroll(doc_, a, pos, maximum, page, area_->width());
    if (out.sendHint0) doc_.updateAllViews(this, kHintRedraw);
    if (out.invalidate) area_->update();
    if (out.sendHint3002) doc_.updateAllViews(this, kHintScrolled);
}

void CTraceShowView::setFrameTitle() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->setWindowTitle(toQString(doc_.graphCaption));
}

QImage CTraceShowView::composeFrame() {
    const int W = area_->width(), H = area_->height();
    QImage frame(W, H, QImage::Format_RGB32);
    frame.fill(QColor(kWindowBackground.r, kWindowBackground.g, kWindowBackground.b));
    if (doc_.openCount == 0) {
        setFrameTitle();
        return frame;
    }
    if (backgroundLayer_.isNull()) backgroundLayer_ = QImage(kLayerSize, kLayerSize, QImage::Format_RGB32);
    if (redrawBackground) {
        QtCanvas canvas(backgroundLayer_);
        drawBackgroundLayer(doc_, canvas, std::min(W, kLayerSize), std::min(H, kLayerSize));
        setFrameTitle();
    }
    QPainter p(&frame);
    p.drawImage(0, 0, backgroundLayer_, 0, 0, std::min(W, kLayerSize), std::min(H, kLayerSize));
    // The overlay (markers and auxiliary points) is drawn here once it exists.
    return frame;
}

void CTraceShowView::onUpdate(DocumentView* sender, int hint) {
    ViewWidget::onUpdate(sender, hint);
    const GraphUpdateOutcome out = onGraphUpdate(doc_, hint, sender == nullptr);
    if (out.resetScrollBars) applyScrollBars(fullRangeScrollBars());
    if (out.recentred) qCDebug(lcTraceView, "\n\r....CMD_CURR_EVENT_UPDATE");
    area_->repaint();  // at once, not on the next event loop turn
}

bool CTraceShowView::runCommand(int id) {
    std::optional<ScrollBars> bars;
    if (id == kCmdShowWholeTrace) bars = showFullTrace(doc_);
    else if (id == kCmdZoomOut) bars = zoomOutOneStep(doc_);
    else return false;
    if (bars) {
        applyScrollBars(*bars);
        area_->update();
        doc_.updateAllViews(this, kHintRedraw);
    }
    return true;
}

bool CTraceShowView::handlesCommand(int id) const { return id == kCmdShowWholeTrace || id == kCmdZoomOut; }

}  // namespace fv
