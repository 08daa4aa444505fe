#pragma once
// The open dialog's preview: the selected trace file decoded into the dialog's own slot,
// its main parameters as text and its curve as a polyline. The dialog only shows them.

#include "document/TraceRecords.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fv {

struct PreviewInfo {
    bool previewValid = false;  // the slot holds a decoded file and the curve is drawn
    std::string infoText;       // lines ended by "\r\n"
};

// The parameter text of a decoded preview slot, or text 138 when decoding failed.
std::string previewInfoText(const TraceSlot& slot, bool decoded);

// The selection of the open dialog changed to `path`. Files not named ".sor" (any case),
// unreadable ones and ones larger than `buffer` show nothing and three blanks; the rest is
// decoded into `previewSlot` through `buffer` (the dialog's, kFileBufferSize bytes).
PreviewInfo previewSelection(std::string_view path, TraceSlot& previewSlot, std::span<uint8_t> buffer);

struct PreviewPoint {
    int x = 0, y = 0;
    friend bool operator==(const PreviewPoint&, const PreviewPoint&) = default;
};

// The preview curve in a frame of width x height pixels: 0 dB at the top, -50 dB at the
// bottom, all points across the width; drawn as one polyline in colour (0, 0, 200).
std::vector<PreviewPoint> previewPolyline(const TraceSlot& slot, int width, int height);
inline constexpr Rgb kPreviewPenColour{0, 0, 200};

}  // namespace fv
