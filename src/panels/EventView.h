#pragma once
// The event table view. For now it only follows the document's updates.

#include "platform/ViewWidget.h"

namespace fv {

class CEventView : public ViewWidget {
    Q_OBJECT
public:
    using ViewWidget::ViewWidget;
};

}  // namespace fv
