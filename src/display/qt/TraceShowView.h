#pragma once
// The trace graph: every open trace in one graph of 10 x 10 divisions, with both scroll
// bars. The expensive layer (grid, traces, symbols) is drawn off screen and reused while a
// pointer button is held; each paint composes it with the overlay and copies it at once.

#include "platform/CommandRouter.h"
#include "platform/ViewWidget.h"

#include <QImage>

class QScrollBar;

namespace fv {

struct ScrollBars;

class GraphArea;

class CTraceShowView : public ViewWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CTraceShowView(CQUARLODoc& doc, QWidget* parent = nullptr);

    void onInitialUpdate() override;
    void onUpdate(DocumentView* sender, int hint) override;

    bool runCommand(int id) override;
    bool handlesCommand(int id) const override;

    // Composes one frame of the graph for a client area of the graph's size.
    QImage composeFrame();
    QWidget* graphArea() const;
    QScrollBar* horizontalBar() const { return hBar_; }
    QScrollBar* verticalBar() const { return vBar_; }
    // 1 while each paint redraws the background layer first.
    bool redrawBackground = true;

Q_SIGNALS:
    // A frame with at least one trace reached the screen.
    void traceFramePainted();

private:
    friend class GraphArea;
    void applyScrollBars(const ScrollBars& bars);
    void syncScrollBars();
    void onScrollAction(bool vertical, int action);
    void setFrameTitle();

    GraphArea* area_;
    QScrollBar* hBar_;
    QScrollBar* vBar_;
    QImage backgroundLayer_;
    bool syncing_ = false;
};

}  // namespace fv
