#include "document/CQUARLODoc.h"

#include "document/TextTable.h"
#include "document/Utf8Text.h"
#include "sorfile/SafeFileWrite.h"
#include "sorfile/bellcorefile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace fv {

namespace {
constexpr size_t kMaxPathChars = 499;

bool endsInSor(std::string_view name) {
    if (name.size() < 3) return false;
    std::string_view tail = name.substr(name.size() - 3);
    return tail == "sor" || tail == "SOR";
}
}  // namespace

std::unique_ptr<CQUARLODoc> CQUARLODoc::create(Prompts& prompts) {
    // Plain new: the point arrays stay untouched until a file is read into them.
    return std::unique_ptr<CQUARLODoc>(new CQUARLODoc(prompts));
}

CQUARLODoc::CQUARLODoc(Prompts& prompts) : prompts_(&prompts) {
    const Settings s = loadSettings();
    report = s.report;
    lengthUnit = s.lengthUnit;
    analysisSwitch = s.analysisSwitch;
    graphCaption = textOf(6);
    cleanedPath_.reserve(kMaxPathChars + 1);
    title.reserve(kMaxPathChars + 3);
    updateCaptions();
}

bool cleanTracePath(std::string_view raw, std::string& cleaned) {
    cleaned.assign(utf8Prefix(raw, kMaxPathChars));
    while (!cleaned.empty() && cleaned.back() == '"') cleaned.pop_back();
    size_t quote = cleaned.rfind('"');
    if (quote != std::string::npos) cleaned.erase(0, quote + 1);
    return raw.size() <= kMaxPathChars && !cleaned.empty();
}

int nearestEventByPoint(const TraceSlot& slot, int point) {
    int best = 0;
    long bestDistance = 1000000;
    for (int i = 0; i < slot.eventCount; ++i) {
        long d = std::labs(long(slot.events[i].pointIndex) - point);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

int computeModuleFlag(const SupParams& sup) {
    const size_t len = strnlen(sup.moduleId, sizeof sup.moduleId);
    if (len < 3) return 0;
    return std::atoi(sup.moduleId + len - 3) == 101 ? 1 : 0;
}

int CQUARLODoc::openTraceFile(std::string_view pathText) {
    lastOpenResult = OpenResult::Ok;
    if (pathText == "space") {  // the start-up sentinel for "no file"
        lastOpenResult = OpenResult::NoFile;
        return 0;
    }
    std::string& name = cleanedPath_;
    const bool usable = cleanTracePath(pathText, name);
    if (openCount >= kMaxSlots) {
        prompts().message(textOf(148), textOf(137));
        lastOpenResult = OpenResult::TooMany;
        return 0;
    }
    if (!usable || !endsInSor(name)) {
        prompts().message(name.empty() ? std::string(utf8Prefix(pathText, kMaxPathChars)) : name, textOf(147));
        lastOpenResult = OpenResult::NotTraceFile;
        return 0;
    }
    bool tooLarge = false;
    const long size = readWholeFile(name.c_str(), std::span<uint8_t>(fileBuffer, kFileBufferSize), tooLarge);
    if (size < 0) {
        prompts().message(name, textOf(136));
        lastOpenResult = OpenResult::CannotOpen;
        return 0;
    }

    fileLength = size_t(size);
    const int previous = currentSlot;
    int free = 0;
    while (free < kMaxSlots && slots[free].inUse) ++free;
    currentSlot = free;
    TraceSlot& s = slots[free];
    const int ok = decodeTraceFile(std::span<const uint8_t>(fileBuffer, size_t(size)), s);
    if (tooLarge) s.clipped |= kClipFileSize;
    s.moduleFlag = computeModuleFlag(s.sup);
    if (!ok) {
        currentSlot = previous;
        prompts().message(textOf(138), textOf(137));
        lastOpenResult = OpenResult::WrongFormat;
        return 0;
    }

    s.levelFloor = 5 * std::log10(0.00005) - 35;
    markerA = s.params.markerA;
    markerB = s.params.markerB;
    s.selectedEvent = nearestEventByPoint(s, markerA);
    resetMarkerSets();
    s.path = name;
    viewStartKm = 0;
    viewStartDb = 0;
    const int n = s.pointCount;
    s.spacingKm = double(s.distance[1]) - double(s.distance[0]);
    s.totalLengthKm = double(s.distance[n - 1]) + s.spacingKm;
    kmPerDiv = float(s.totalLengthKm / 10);
    kmPerDivFixed = int32_t(std::floor(double(kmPerDiv) * 100000 + 0.5));
    dbPerDiv = 5;
    dbPerDivFixed = 500;
    zoomedH = zoomedV = 0;
    s.colour = kSlotColours[free];
    s.verticalOffset = 0;
    s.modified = 0;
    std::fill(s.windowLog, s.windowLog + kWindowLogSize, 0);
    s.inUse = 1;
    ++openCount;
    return 1;
}

bool CQUARLODoc::saveTraceFile(TraceSlot& slot, const std::string& path, std::string& error) {
    const size_t size = encodeTraceFile(std::span<uint8_t>(fileBuffer, kFileBufferSize), slot, 0);
    if (size == 0) {
        error = path + ": the trace does not fit in a trace file";
        return false;
    }
    if (!writeFileSafely(path, std::span<const uint8_t>(fileBuffer, size), error)) return false;
    slot.modified = 0;
    return true;
}

void CQUARLODoc::resetMarkerSets() {
    const TraceSlot& t = currentTrace();
    const int n = t.pointCount;
    const int d = n / 10;
    const int markers[2] = {markerA, markerB};
    for (int m = 0; m < 2; ++m) {
        const int p = markers[m];
        markerSets[m][0] = std::max(p - d, 0);
        markerSets[m][1] = p;
        markerSets[m][2] = p;
        markerSets[m][3] = std::min(p + d, n - 1);
        markerSets[m][4] = std::min(p + d, n - 1);
    }
    std::memcpy(markerSetsSaved, markerSets, sizeof markerSets);
}

void CQUARLODoc::MapMarkersToTrace(int newSlot) {
    const TraceSlot& from = currentTrace();
    const TraceSlot& to = slots[newSlot];
    const int n = to.pointCount;
    auto map = [&](int marker) {
        const float d = from.distance[std::clamp(marker, 0, std::max(from.pointCount - 1, 0))];
        if (d >= to.distance[n - 1]) return n - 1;
        const double step = double(to.distance[1]) - double(to.distance[0]);
        // A negative distance cannot come from a file; the clamp keeps the invariant anyway.
        return std::clamp(int(std::floor(d / step + 0.5)), 0, n - 1);
    };
    markerA = map(markerA);
    markerB = map(markerB);
    auxMarkerMode = 0;
}

void CQUARLODoc::updateCaptions() {
    if (openCount > 0) {
        title = "[" + currentTrace().path + "]";
    } else {
        title = std::string("[") + textOf(141) + "]";
    }
}

void CQUARLODoc::addView(DocumentView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CQUARLODoc::removeView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CQUARLODoc::updateAllViews(DocumentView* sender, int hint) {
    // A view may unregister itself while being told; walk a copy.
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views)
        if (v != sender) v->onUpdate(sender, hint);
}

void CQUARLODoc::initialUpdateAllViews() {
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views) v->onInitialUpdate();
}

}  // namespace fv
