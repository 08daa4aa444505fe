#include "platform/LockIndicators.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace fv {

std::optional<std::array<bool, 3>> readLockStates() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return std::nullopt;
    unsigned int state = 0;
    if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != Success) return std::nullopt;
    // The core keyboard's indicators: bit 0 caps lock, bit 1 num lock, bit 2 scroll lock.
    return std::array<bool, 3>{(state & 1u) != 0, (state & 2u) != 0, (state & 4u) != 0};
}

}  // namespace fv
