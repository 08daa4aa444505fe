#include "document/TraceRecords.h"

#include <algorithm>

namespace fv {

void TraceSlot::clearRecords() {
    pointCount = 0;
    std::fill(events, events + kMaxEvents, TraceEvent{});
    eventCount = 0;
    selectedEvent = 0;
    totalLengthKm = spacingKm = 0;
    gen = {};
    fxd = {};
    sup = {};
    vendor = {};
    params = {};
    moduleFlag = 0;
    modified = 0;
    clipped = kClipNone;
}

}  // namespace fv
