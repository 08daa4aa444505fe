#pragma once
// The toolbar's icons: small drawings of our own, one per command.

#include <QIcon>

namespace fv {
QIcon toolIcon(int commandId);
}
