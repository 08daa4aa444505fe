#include "document/OpenPreview.h"

#include "document/TextTable.h"
#include "sorfile/SafeFileWrite.h"
#include "sorfile/bellcorefile.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace fv {

namespace {

constexpr float kPreviewFloorDb = -50;

bool namedSor(std::string_view path) {
    if (path.size() < 3) return false;
    char tail[4] = {};
    for (int i = 0; i < 3; ++i)
        tail[i] = char(std::tolower(static_cast<unsigned char>(path[path.size() - 3 + size_t(i)])));
    return std::string_view(tail, 3) == "sor";
}

void appendLine(std::string& text, const char* label, const char* value) {
    text += label;
    text += value;
    text += "\r\n";
}

}  // namespace

std::string previewInfoText(const TraceSlot& slot, bool decoded) {
    if (!decoded) return textOf(138);
    const TraceParams& p = slot.params;
    std::string text;
    char value[96];

    appendLine(text, textOf(25), ":");
    // Times below 10 s are no measurement time; they show as a blank line of the same width.
    const time_t when = time_t(p.dateTime);
    struct tm utc {};
    if (p.dateTime >= 10 && gmtime_r(&when, &utc)) {
        std::snprintf(value, sizeof value, "        %04d-%02d-%02d  %02d:%02d:%02d", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    } else {
        std::snprintf(value, sizeof value, "%38s", "");
    }
    appendLine(text, "", value);

    // In single precision, so that 0.7 km reads 700 m and not 699 m.
    if (p.rangeKm >= 0.8f) std::snprintf(value, sizeof value, ":%1.1f km", double(p.rangeKm));
    else std::snprintf(value, sizeof value, ":%d m", int(p.rangeKm * 1000.0f));
    appendLine(text, textOf(14), value);

    const int pulse = p.pulseWidthNs;
    if (pulse > 999 && pulse % 1000 != 0) std::snprintf(value, sizeof value, ":%1.1f us ", pulse / 1000.0);
    else if (pulse > 999) std::snprintf(value, sizeof value, ":%d us ", pulse / 1000);
    else std::snprintf(value, sizeof value, ":%d ns ", pulse);
    appendLine(text, textOf(15), value);

    std::snprintf(value, sizeof value, ":%d nm ", p.wavelength / 10);
    appendLine(text, textOf(16), value);
    std::snprintf(value, sizeof value, ":%d ", slot.eventCount);
    appendLine(text, textOf(29), value);
    std::snprintf(value, sizeof value, ":%d s", p.averagingTimeS);
    appendLine(text, textOf(19), value);
    return text;
}

PreviewInfo previewSelection(std::string_view path, TraceSlot& previewSlot, std::span<uint8_t> buffer) {
    PreviewInfo info;
    info.infoText = "   ";
    if (!namedSor(path)) return info;
    const std::string name(path);
    bool tooLarge = false;
    const long size = readWholeFile(name.c_str(), buffer, tooLarge);
    // A file larger than the buffer is not previewed rather than shown cut short.
    if (size < 0 || tooLarge) return info;

    const bool decoded = decodeTraceFile(buffer.first(size_t(size)), previewSlot) == 1;
    if (decoded) {
        if (previewSlot.params.dateTime < 10) previewSlot.params.dateTime = 0;
        previewSlot.levelFloor = kPreviewFloorDb;
    }
    info.previewValid = decoded;
    info.infoText = previewInfoText(previewSlot, decoded);
    return info;
}

std::vector<PreviewPoint> previewPolyline(const TraceSlot& slot, int width, int height) {
    std::vector<PreviewPoint> points;
    const int n = slot.pointCount;
    if (n < 2 || width <= 0 || height <= 0) return points;
    points.reserve(size_t(n));
    const double floor = -kPreviewFloorDb;
    // x = i * W / n in whole numbers: exact, and below W for every point, so the curve
    // never runs past the right edge.
    for (int i = 0; i < n; ++i) {
        const int x = int(int64_t(i) * width / n);
        const int y = int(height - (double(slot.level[i]) + floor) * height / floor);
        points.push_back({x, y});
    }
    return points;
}

}  // namespace fv
