#pragma once
// The file-open dialog with a preview of the selected trace: its curve and a summary.

#include "document/OpenPreview.h"
#include "document/TraceRecords.h"

#include <QFileDialog>
#include <QWidget>
#include <memory>
#include <vector>

class QPlainTextEdit;

namespace fv {

class PreviewArea : public QWidget {
    Q_OBJECT
public:
    PreviewArea(const TraceSlot& slot, const bool& valid, QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(254, 146); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const TraceSlot& slot_;
    const bool& valid_;
};

class CMyOpenDlg : public QFileDialog {
    Q_OBJECT
public:
    explicit CMyOpenDlg(QWidget* parent = nullptr);
    ~CMyOpenDlg() override;

    // Previews `path` as if it had been selected.
    void onSelectionChanged(const QString& path);
    const QString& infoText() const { return infoText_; }
    bool previewValid() const { return previewValid_; }
    PreviewArea* previewArea() const { return previewArea_; }

private:
    std::unique_ptr<TraceSlot> previewSlot_ = std::make_unique<TraceSlot>();
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kFileBufferSize);
    bool previewValid_ = false;
    QString infoText_;
    PreviewArea* previewArea_;
    QPlainTextEdit* info_;
};

}  // namespace fv
