#pragma once
// The one document: every open trace, the buffer through which files are read and
// written, the settings and the zoom, marker and mode state that all views share.

#include "document/DocumentView.h"
#include "document/Prompts.h"
#include "document/Settings.h"
#include "document/TraceRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fv {

class MarkerDialogs;  // the two modeless marker dialogs, owned by the main frame

// How the last openTraceFile ended, for callers that must tell failures apart.
enum class OpenResult { Ok, NoFile, TooMany, NotTraceFile, CannotOpen, WrongFormat };

class CQUARLODoc {
public:
    // Allocates the document once. Its big arrays are left as the allocator gives them,
    // so start-up touches no more memory than it uses.
    static std::unique_ptr<CQUARLODoc> create(Prompts& prompts);

    CQUARLODoc(const CQUARLODoc&) = delete;
    CQUARLODoc& operator=(const CQUARLODoc&) = delete;

    // --- document state ---
    std::string portName;
    int32_t lengthUnit = 0;  // 0 metre/kilometre, 1 foot, 2 mile
    ReportFlags report;
    uint8_t pointerDown = 0;
    std::string uploadSourceDir;
    std::string graphCaption;
    uint8_t fileBuffer[kFileBufferSize];
    size_t fileLength = 0;  // bytes of the last file read into fileBuffer
    std::string uploadDir;
    int32_t currentSlot = 0;
    int32_t openCount = 0;
    int32_t onlyCurrent = 0;
    TraceSlot slots[kMaxSlots];
    TraceSlot scratch;
    TraceSlot* printSlot = nullptr;
    int32_t dragSlot = 0;
    float kmPerDiv = 0;
    float dbPerDiv = 5;
    float viewStartKm = 0;
    float viewStartDb = 0;
    int32_t kmPerDivFixed = 0;
    int32_t dbPerDivFixed = 500;
    uint8_t zoomedH = 0, zoomedV = 0;
    int32_t activeMarker = 0;  // 0 = A, 1 = B
    int32_t markerA = 0, markerB = 0;
    int32_t markerSets[2][5] = {};
    int32_t markerSetsSaved[2][5] = {};
    int32_t editEvent = 0;
    MarkerDialogs* reflDialog = nullptr;
    MarkerDialogs* spliceDialog = nullptr;
    int32_t markerSetSource = 0;
    int32_t auxMarkerMode = 0;  // 0 none, 1 four-point, 2 three-point

    // Process-wide switch that enables the event detector's scan command; off by default.
    int32_t analysisSwitch = 0;
    // Document title; the main window shows the same text.
    std::string title;
    OpenResult lastOpenResult = OpenResult::Ok;

    // --- slots ---
    TraceSlot& slot(int index) { return slots[index]; }
    TraceSlot& currentTrace() { return slots[currentSlot]; }
    const TraceSlot& currentTrace() const { return slots[currentSlot]; }

    // --- routines ---
    // Opens a trace file into the lowest free slot and makes it current; 1 on success.
    // Reports its failures through the prompts.
    int openTraceFile(std::string_view pathText);
    // Encodes a slot through fileBuffer and writes it safely to `path` (temporary file and
    // rename). The slot's params carry the markers to store. On success the slot is no
    // longer modified; on failure `error` names the path and the file is left as it was.
    bool saveTraceFile(TraceSlot& slot, const std::string& path, std::string& error);
    void resetMarkerSets();
    void MapMarkersToTrace(int newSlot);
    void updateCaptions();

    // --- views ---
    void addView(DocumentView* view);
    void removeView(DocumentView* view);
    void updateAllViews(DocumentView* sender, int hint);
    void initialUpdateAllViews();

    Prompts& prompts() { return *prompts_; }
    void setPrompts(Prompts& p) { prompts_ = &p; }

private:
    explicit CQUARLODoc(Prompts& prompts);
    Prompts* prompts_;
    std::vector<DocumentView*> views_;
    std::string cleanedPath_;  // reserved once, so that opening a file allocates nothing
};

// The first event whose point index is nearest to `point`; ties keep the earlier event.
int nearestEventByPoint(const TraceSlot& slot, int point);

// Cleans a path as given on a command line or by a caller: at most 499 characters, trailing
// double quotes removed, then only what follows the last remaining double quote.
// Returns false when no file name can come of it (over-long or only quotes).
bool cleanTracePath(std::string_view raw, std::string& cleaned);

// 1 when the last three characters of the optical module identifier read as 101.
int computeModuleFlag(const SupParams& sup);

}  // namespace fv
