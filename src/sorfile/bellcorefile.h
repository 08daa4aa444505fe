#pragma once
// Reading and writing Bellcore SR-4731 issue 2 trace files.

#include "document/TraceRecords.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace fv {

inline constexpr int kMaxMapBlocks = 20;  // the map itself included
inline constexpr int kBlockNameSize = 20; // at most 19 characters

struct SorBlock {
    char name[kBlockNameSize] = {};
    int16_t version = 0;
    int32_t size = 0;
    int64_t offset = 0;  // computed start in the file
};

struct SorMap {
    int16_t version = 0;
    int32_t size = 0;
    int16_t listedCount = 0;  // as the file says, the map included
    int count = 0;            // entries held (the map is not among them)
    SorBlock blocks[kMaxMapBlocks - 1];
};

// Decodes a whole file into `slot`. Returns 1 when the file starts with a valid map of
// version 200 and holds a trace that can be shown (at least two points, a positive group
// index and data spacing, a non-zero scale), else 0. Everything of a previous file in the
// slot is cleared first. `slot.clipped` tells what the records could not hold.
int decodeTraceFile(std::span<const uint8_t> file, TraceSlot& slot);
// Reads only the map; false when the file has no valid issue-2 map.
bool decodeMap(std::span<const uint8_t> file, SorMap& map);

// Encodes `slot` into `out`; returns the number of bytes, or 0 when the trace does not fit.
// Rebuilds the slot's `fxd` and prepares its `vendor` as a side effect. `count` is the
// vendor count argument (callers pass 0).
size_t encodeTraceFile(std::span<uint8_t> out, TraceSlot& slot, int count = 0);

// x x 1000 rounded half away from zero by the next decimal digit; non-finite gives 0 and
// values beyond the int32 range saturate.
int32_t toMilli(double x);
// CRC-16 (polynomial 0x1021, initial 0xFFFF, no reflection, no final xor).
uint16_t crc16(std::span<const uint8_t> bytes);
uint16_t crc16Bitwise(std::span<const uint8_t> bytes);

// The time unit of one point (first data spacing / 10000) in single precision.
float pointTime(int32_t dataSpacing);
// Point index of a time or marker location in the file's unit, truncated toward zero.
int32_t fileTimeToPoint(int32_t time, float T);
// The file time written for point `index`: the smallest time that reads back as `index`
// (so re-saving never loses a point), saturated to the int32 range.
int32_t pointToFileTime(int32_t index, float T);

}  // namespace fv
