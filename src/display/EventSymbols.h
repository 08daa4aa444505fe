#pragma once
// The small black-on-white symbols under the graph that mark the current trace's events.

#include "document/TraceRecords.h"
#include "platform/Canvas.h"

namespace fv {

enum class EventSymbol { End, Start, Reflective, LossStep, GainStep };

// The fibre end wins over the type; unknown types show as a loss.
EventSymbol symbolForEvent(const TraceEvent& event);

// End 9 x 11, start and reflective 10 x 11, loss and gain steps 11 x 14.
const MonoBitmap& eventSymbolBitmap(EventSymbol symbol);

}  // namespace fv
