#include "app/MyOpenDlg.h"

#include "platform/QtPrompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>

namespace fv {

PreviewArea::PreviewArea(const TraceSlot& slot, const bool& valid, QWidget* parent)
    : QWidget(parent), slot_(slot), valid_(valid) {
    setObjectName("1022");
    setMinimumSize(200, 110);
}

void PreviewArea::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one go, like the graph.
    QImage layer(size(), QImage::Format_RGB32);
    layer.fill(palette().color(QPalette::Window));
    if (valid_) {
        QPainter p(&layer);
        p.setPen(QPen(QColor(kPreviewPenColour.r, kPreviewPenColour.g, kPreviewPenColour.b), 1));
        const auto points = previewPolyline(slot_, width(), height());
        for (size_t i = 1; i < points.size(); ++i)
            p.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    QPainter(this).drawImage(0, 0, layer);
}

CMyOpenDlg::CMyOpenDlg(QWidget* parent) : QFileDialog(parent) {
    setObjectName("133");
    // The preview sits inside the dialog, so the platform's own dialog cannot be used.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ReadOnly, true);
    previewArea_ = new PreviewArea(*previewSlot_, previewValid_, this);
    info_ = new QPlainTextEdit(this);
    info_->setObjectName("1009");
    info_->setReadOnly(true);
    info_->setMinimumSize(260, 110);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        auto* row = new QHBoxLayout;
        row->addWidget(previewArea_, 1);
        row->addWidget(info_, 1);
        grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
    }
    connect(this, &QFileDialog::currentChanged, this, &CMyOpenDlg::onSelectionChanged);
}

CMyOpenDlg::~CMyOpenDlg() = default;

void CMyOpenDlg::onSelectionChanged(const QString& path) {
    const PreviewInfo info = previewSelection(toStdString(path), *previewSlot_, buffer_);
    previewValid_ = info.previewValid;
    infoText_ = toQString(info.infoText);
    info_->setPlainText(QString(infoText_).replace("\r\n", "\n"));
    previewArea_->update();
}

}  // namespace fv
