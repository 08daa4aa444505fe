#pragma once
// A widget that is a view of the document: it registers itself and is told of changes.

#include "document/CQUARLODoc.h"
#include "document/DocumentView.h"

#include <QWidget>

namespace fv {

class ViewWidget : public QWidget, public DocumentView {
    Q_OBJECT
public:
    ViewWidget(CQUARLODoc& doc, QWidget* parent = nullptr) : QWidget(parent), doc_(doc) { doc_.addView(this); }
    ~ViewWidget() override { doc_.removeView(this); }

    void onInitialUpdate() override { ++initialUpdates_; onUpdate(nullptr, kHintRedraw); }
    void onUpdate(DocumentView*, int hint) override { lastHint_ = hint; ++updates_; }

    CQUARLODoc& document() { return doc_; }
    int initialUpdates() const { return initialUpdates_; }
    int updates() const { return updates_; }
    int lastHint() const { return lastHint_; }

protected:
    CQUARLODoc& doc_;

private:
    int initialUpdates_ = 0, updates_ = 0, lastHint_ = -1;
};

}  // namespace fv
