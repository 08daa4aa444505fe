#pragma once
// The file-group tree view. For now it only follows the document's updates.

#include "platform/ViewWidget.h"

namespace fv {

class CFileTeam : public ViewWidget {
    Q_OBJECT
public:
    using ViewWidget::ViewWidget;
};

}  // namespace fv
