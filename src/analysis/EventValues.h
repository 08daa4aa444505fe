#pragma once
// The values of an event list: launch level, losses, reflectances, attenuations and
// cumulative losses, and the recomputation after the user edited the list.

#include "document/TraceRecords.h"

namespace fv {

// Sets `loss` of events 1..count-1 from lines fitted before and after each event.
void EstimateEventLosses(const float* level, const float* distance, TraceEvent* events, int count,
                         float slopeK, int wavelengthNm);
// Sets event 0's level, every event's cumulativeLoss and the later events' level. Events
// below `storedBelow` (past the launch) are left alone: the caller has their values stored
// and puts those in their place.
void ComputeLaunchAndCumulative(const float* level, const float* distance, TraceEvent* events,
                                int count, int wavelengthNm, int storedBelow = 0);
// ComputeLaunchAndCumulative, then event 0 at distance 0 and the attenuations.
void ComputeEventValues(const float* level, const float* distance, TraceEvent* events, int count,
                        int wavelengthNm);

// Which offset table the reflectance uses.
enum class ReflectanceVariant {
    Detector,   // ReflectanceOffset by module code; peak limit is endIndex
    AfterEdit,  // vendorValue or RecomputeReflectanceOffset; peak limit is markers[2]
};
struct ReflectanceInputs {
    float backscatterDb = 0;
    int pulseWidthNs = 0;
    int wavelengthNm = 0;
    float rangeKm = 0;
    int moduleCode = 0;      // detector: '+', '1' or '7' select a table
    float vendorValue = 0;   // after edits
    ReflectanceVariant variant = ReflectanceVariant::AfterEdit;
};
// Sets the reflectance of events of type 0, 1 and 2 from their peak above the base.
void ComputeReflectances(const float* level, const float* distance, TraceEvent* events, int count,
                         int pointCount, const ReflectanceInputs& in);
float ReflectanceOffset(int wavelengthNm, int moduleCode, int pulseWidthNs);
float RecomputeReflectanceOffset(int wavelengthNm, int pulseWidthNs, float rangeKm);

struct SignalEnd {
    int endPoint = 0;
    int signalLost = 0;
    float distanceKm = 0;
};
// Where the trace sinks below `threshold` for good; points below 100 are never examined.
SignalEnd FindEndOfSignal(const float* level, const float* distance, int pointCount, float threshold);

struct SlopeResult {
    float slope = 0;
    float intercept = 0;
};
// The fibre slope over first..last by a Hough vote over four quarters. The range is kept
// within the pointCount points of the trace; an empty range gives slope 0, intercept 0.
SlopeResult QuarterSlope(const float* level, const float* distance, int first, int last,
                         float levelThreshold, int pointCount = kMaxPoints);

// Recomputes losses, values and reflectances of a slot's events after an edit.
void RecomputeEvents(TraceSlot& slot);

}  // namespace fv
