#pragma once
// The marker readings or the measurement parameters view. For now it only follows the document's updates.

#include "platform/ViewWidget.h"

namespace fv {

class CParaView : public ViewWidget {
    Q_OBJECT
public:
    // serial 1 shows the marker readings, serial 2 the measurement parameters
    CParaView(CQUARLODoc& doc, int serial, QWidget* parent = nullptr) : ViewWidget(doc, parent), serial_(serial) {}
    int serial() const { return serial_; }

private:
    int serial_;
};

}  // namespace fv
