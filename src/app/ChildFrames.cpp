#include "app/ChildFrames.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

namespace fv {

ChildFrame::ChildFrame(QWidget* view, std::function<QString()> caption, QWidget* parent)
    : QMdiSubWindow(parent), caption_(std::move(caption)) {
    setWidget(view);
    setAttribute(Qt::WA_DeleteOnClose, false);
    updateTitle();
}

void ChildFrame::removeCloseButton() {
    // No close button; the system menu keeps a greyed Close.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    if (QMenu* menu = systemMenu()) {
        for (QAction* a : menu->actions())
            if (a->shortcut() == QKeySequence::Close || a->text().contains("Close", Qt::CaseInsensitive) ||
                a->text().contains("关闭"))
                a->setEnabled(false);
    }
}

void ChildFrame::updateTitle() {
    if (caption_) setWindowTitle(caption_());
}

void ChildFrame::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace fv
