#pragma once
// The plain records that hold one trace: its points, events, parameters in working
// units and the contents of the file's blocks. All storage is fixed-size so that the
// document can hold every trace preallocated; the limits below are the records' limits
// and the reader clips to them.

#include <cstdint>
#include <string>

namespace fv {

inline constexpr int kMaxPoints = 128000;
inline constexpr int kMaxEvents = 1000;
inline constexpr int kMaxPulseWidths = 10;
inline constexpr int kFileBufferSize = 524288;
inline constexpr int kMaxSlots = 10;
inline constexpr int kVendorEntries = 237;
inline constexpr int kVendorEventValues = 200;  // cumulative losses the "UserName" block holds
inline constexpr int kWindowLogSize = 1001;     // a count, then up to 200 entries of five

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The drawing colour of each slot, by slot index.
inline constexpr Rgb kSlotColours[kMaxSlots] = {
    {255, 0, 0}, {0, 128, 0},   {0, 0, 128},   {128, 128, 0}, {128, 0, 128},
    {128, 0, 0}, {0, 128, 128}, {0, 0, 255},   {255, 0, 255}, {128, 128, 128},
};

enum EventType : int32_t { kEventStart = 0, kEventEnd = 1, kEventReflective = 2, kEventNonReflective = 3 };
inline constexpr int32_t kEndFlagFibreEnd = 3;

struct TraceEvent {
    int32_t type = 0;            // EventType
    int32_t endFlag = 0;         // kEndFlagFibreEnd marks the fibre end whatever the type
    int32_t number = 0;          // 1-based
    float distanceKm = 0;
    float level = 0;             // dB
    float reflectance = 0;       // dB
    float loss = 0;              // insertion loss, dB
    float attenuation = 0;       // of the fibre before the event, dB/km
    float cumulativeLoss = 0;    // level of event 0 minus level of this event, dB
    int32_t markers[5] = {};     // auxiliary marker points, point indices
    int32_t time = 0;            // propagation time in the file's unit
    char comment[52] = {};
    int32_t pointIndex = 0;
    int32_t endIndex = 0;        // last point of the dead zone or step
    int32_t runStart = 0, runEnd = 0;
    float runPeak = 0;
    int32_t reserved = 0;
    int32_t runGap = 0, runWindow = 0;
};

struct TraceParams {
    float rangeKm = 0;
    int32_t pulseWidthNs = 0;
    int32_t wavelength = 0;      // tenths of a nanometre
    float backscatterDb = 0;
    int32_t averagingTimeS = 0;
    int32_t dataSpacing = 0;     // as stored in the file
    int32_t pointCount = 0;
    float reflThresholdDb = 0;
    float lossThresholdDb = 0;
    float endThresholdDb = 0;
    float ior = 0;
    uint32_t dateTime = 0;       // seconds since 1970
    float noiseFloorDb = 0;
    int32_t endToEndLoss = 0;    // 0.001 dB
    int32_t endToEndStart = 0, endToEndEnd = 0;
    int32_t orl = 0;             // 0.001 dB
    int32_t orlStart = 0, orlEnd = 0;
    float vendorValue = 0;
    int32_t vendorWords[6] = {};
    int32_t acqOffset = 0;
    int32_t markerA = 0, markerB = 0;  // point indices stored with the file
};

struct GenParams {
    char cableId[50] = {};
    char fiberId[50] = {};
    int16_t fiberType = 0;       // ITU number, e.g. 652
    int16_t wavelengthNm = 0;
    char origLocation[30] = {};
    char termLocation[30] = {};
    char cableCode[30] = {};
    int32_t userOffset = 0;
    int32_t userOffsetDistance = 0;
    char operatorName[50] = {};
    char comment[50] = {};
};

struct SupParams {
    char supplier[30] = {};
    char mainframeId[30] = {};
    char mainframeSerial[30] = {};
    char moduleId[30] = {};
    char moduleSerial[30] = {};
    char softwareRevision[30] = {};
    char other[30] = {};
};

struct FxdParams {
    uint32_t dateTime = 0;
    char units[2] = {};              // unit of the distance fields: "mt", "km", "mi", "ft"
    int16_t actualWavelength = 0;    // 0.1 nm
    int32_t acqOffset = 0;
    int32_t acqOffsetDistance = 0;
    int16_t pulseCount = 0;
    int16_t pulseWidth[kMaxPulseWidths] = {};     // ns
    int32_t dataSpacing[kMaxPulseWidths] = {};
    int32_t pointsPerPulse[kMaxPulseWidths] = {};
    int32_t groupIndex = 0;          // index of refraction x 100000
    int16_t backscatter = 0;         // 0.1 dB
    int32_t averages = 0;
    uint16_t averagingTime = 0;      // whole seconds in the record, 0.1 s in the file
    int32_t acqRange = 0;
    int32_t acqRangeDistance = 0;
    int32_t frontPanelOffset = 0;
    uint16_t noiseFloor = 0;         // 0.001 dB
    int16_t noiseFloorScale = 0;
    uint16_t powerOffset = 0;
    uint16_t lossThreshold = 0;      // 0.001 dB
    uint16_t reflThreshold = 0;
    uint16_t endThreshold = 0;
};

// The "UserName" block: [0] version, [1] identifier, [2] vendorValue x 1000,
// [3..8] vendorWords, [9] a count, [10]/[11] markers A and B (-1 when absent),
// [35] event count, [36] level of event 0 x 1000, [37..236] cumulative loss x 1000.
struct VendorBlock {
    int32_t v[kVendorEntries] = {};
};
inline constexpr int32_t kVendorIdentifier = 5204007;

// What the reader had to leave out because the records cannot hold it. A file read with
// any of these bits set is not what is on disk: saving asks first, batch edits skip it.
enum DecodeClip : uint32_t {
    kClipNone = 0,
    kClipFileSize = 1u << 0,     // file longer than the buffer
    kClipBlocks = 1u << 1,       // more map entries than are held, or blocks that do not fit the file
    kClipPoints = 1u << 2,
    kClipEvents = 1u << 3,
    kClipPulseWidths = 1u << 4,
    kClipStrings = 1u << 5,      // a string longer than its field or without its zero byte
    kClipTruncated = 1u << 6,    // a block ended before its fields did
};

struct TraceSlot {
    int32_t inUse = 0;
    int32_t pointCount = 0;
    float level[kMaxPoints];     // dB, 0 at the top; left uninitialised, written by the reader
    float distance[kMaxPoints];  // km from the first point
    int32_t eventCount = 0;
    int32_t selectedEvent = 0;
    TraceEvent events[kMaxEvents];
    int32_t printMarkerA = 0, printMarkerB = 0, printActiveMarker = 0;
    double totalLengthKm = 0;
    double spacingKm = 0;
    GenParams gen;
    FxdParams fxd;
    SupParams sup;
    VendorBlock vendor;
    TraceParams params;
    double levelFloor = 0;
    std::string path;
    double pixelsPerKm = 0, pixelsPerDb = 0;
    Rgb colour;
    Rgb displayColour;
    float verticalOffset = 0;

    // Analysis work area.
    float analysisWork[kMaxPoints];
    float detrended[kMaxPoints];   // level with the fibre slope removed
    float derivative[kMaxPoints];  // two-window difference
    float workLevel[kMaxPoints];
    int32_t moduleFlag = 0;        // 1 when the optical module identifier ends in "101"
    float analysisWork2[kMaxPoints];
    float fitSlope = 0;
    float fitIntercept = 0;
    int32_t windowLog[kWindowLogSize] = {};

    // Not in the file: edits since the last open or save, and what the reader clipped.
    int32_t modified = 0;
    uint32_t clipped = kClipNone;

    TraceSlot() { path.reserve(512); }
    TraceSlot(const TraceSlot&) = delete;
    TraceSlot& operator=(const TraceSlot&) = delete;

    // Forgets everything of a previous file except the big point arrays, which the next
    // decode overwrites up to its point count.
    void clearRecords();
};

}  // namespace fv
