#pragma once
// Synthetic OTDR traces with known events, for the "synth" command, round-trip tests,
// benchmarks and the fuzz corpus. The same options always give the same slot contents.

#include "document/TraceRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fv {

// One event as placed by the synthesiser: what a detector should find.
struct SynthEvent {
    int type;            // EventType
    int endFlag;         // kEndFlagFibreEnd for the fibre end
    int pointIndex;
    float distanceKm;
    float lossDb;        // positive for a drop, negative for a gainer, 0 at start and end
    float reflectanceDb; // 0 for non-reflective events
};

struct SynthOptions {
    std::string preset = "demo";
    int points = 0;      // 0 = the preset's own count
    uint64_t seed = 1;
};

struct SynthResult {
    bool ok = false;
    std::string error;
    std::vector<SynthEvent> truth;
};

std::vector<std::string> synthPresetNames();

// Fills `slot` (points, distances, events, parameters and block records) so that the
// writer can encode it. `inUse` and `path` are left alone. On failure the slot is untouched.
SynthResult synthesizeTrace(const SynthOptions& options, TraceSlot& slot);

}  // namespace fv
