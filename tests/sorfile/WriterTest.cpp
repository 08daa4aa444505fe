// The trace writer: the layout of what it writes, its rounding, its limits, and that
// reading back what it wrote gives the trace again.

#include "sorfile/ByteCursor.h"
#include "sorfile/bellcorefile.h"
#include "support/SorBuilder.h"
#include "synth/TraceSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace fv;
using namespace fv::test;

namespace {

std::unique_ptr<TraceSlot> decoded(const std::vector<uint8_t>& bytes) {
    auto s = std::make_unique<TraceSlot>();
    EXPECT_EQ(decodeTraceFile(std::span<const uint8_t>(bytes), *s), 1);
    return s;
}

std::vector<uint8_t> encoded(TraceSlot& s) {
    std::vector<uint8_t> out(kFileBufferSize);
    size_t n = encodeTraceFile(out, s, 0);
    EXPECT_GT(n, 0u);
    out.resize(n);
    return out;
}

const SorBlock* findBlock(const SorMap& map, const char* name) {
    for (int i = 0; i < map.count; ++i)
        if (std::strcmp(map.blocks[i].name, name) == 0) return &map.blocks[i];
    return nullptr;
}

// Reads an integer at a byte offset of a block, after its name.
template <class T>
T fieldAt(const std::vector<uint8_t>& file, const SorBlock& b, size_t offsetAfterName) {
    ByteReader r(file.data(), size_t(b.offset) + std::strlen(b.name) + 1 + offsetAfterName, file.size());
    T v{};
    if constexpr (sizeof(T) == 2) {
        if constexpr (std::is_signed_v<T>) r.readI16(v); else r.readU16(v);
    } else {
        if constexpr (std::is_signed_v<T>) r.readI32(v); else r.readU32(v);
    }
    return v;
}

std::unique_ptr<TraceSlot> synthSlot(const char* preset, uint64_t seed = 1, int points = 0) {
    auto s = std::make_unique<TraceSlot>();
    SynthOptions o;
    o.preset = preset;
    o.seed = seed;
    o.points = points;
    EXPECT_TRUE(synthesizeTrace(o, *s).ok);
    return s;
}

}  // namespace

TEST(Checksum, KnownValueAndSlicedFormAgree) {
    const char* digits = "123456789";
    std::span<const uint8_t> d(reinterpret_cast<const uint8_t*>(digits), 9);
    EXPECT_EQ(crc16(d), 0x29B1);
    EXPECT_EQ(crc16Bitwise(d), 0x29B1);
    std::mt19937 rng(7);
    for (size_t len : {0u, 1u, 7u, 8u, 9u, 63u, 1000u, 4099u}) {
        std::vector<uint8_t> bytes(len);
        for (auto& b : bytes) b = uint8_t(rng());
        EXPECT_EQ(crc16(bytes), crc16Bitwise(bytes)) << len;
    }
}

struct MilliCase {
    double x;
    int32_t milli;
};
class ToMilli : public testing::TestWithParam<MilliCase> {};
TEST_P(ToMilli, RoundsHalfAwayFromZeroByTheNextDigit) { EXPECT_EQ(toMilli(GetParam().x), GetParam().milli); }
INSTANTIATE_TEST_SUITE_P(Values, ToMilli,
                         testing::Values(MilliCase{double(12.3456f), 12346}, MilliCase{double(12.3454f), 12345},
                                         MilliCase{-45.5, -45500}, MilliCase{0.0005, 1}, MilliCase{-0.0005, -1},
                                         MilliCase{0.00049, 0}, MilliCase{-0.00049, 0},
                                         MilliCase{0.00059, 1},  // only the next digit counts
                                         MilliCase{0, 0}, MilliCase{NAN, 0}, MilliCase{INFINITY, 0},
                                         MilliCase{-INFINITY, 0}, MilliCase{1e12, 2147483647},
                                         MilliCase{-1e12, -2147483647}));

TEST(Writer, WritesEightBlocksWhateverWasRead) {
    SorFile f = basicFile(500);
    f.blocks.insert(f.blocks.begin() + 3, {"FodParams", Bytes().str("FodParams").i32(7)});
    auto s = decoded(f.build());
    const std::vector<uint8_t> out = encoded(*s);

    SorMap map;
    ASSERT_TRUE(decodeMap(out, map));
    EXPECT_EQ(map.listedCount, 9);
    const char* names[] = {"GenParams", "SupParams", "FxdParams", "KeyEvents", "LnkParams", "DataPts", "UserName", "Cksum"};
    ASSERT_EQ(map.count, 8);
    int64_t expectedOffset = map.size;
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(map.blocks[i].name, names[i]);
        EXPECT_EQ(map.blocks[i].version, 200);
        EXPECT_EQ(map.blocks[i].offset, expectedOffset);
        expectedOffset += map.blocks[i].size;
    }
    EXPECT_EQ(expectedOffset, int64_t(out.size()));
    EXPECT_EQ(map.blocks[7].size, 8);

    // The checksum covers everything before the Cksum block's name, low byte first.
    const size_t covered = size_t(map.blocks[7].offset);
    const uint16_t crc = crc16(std::span<const uint8_t>(out.data(), covered));
    EXPECT_EQ(out[out.size() - 2], uint8_t(crc));
    EXPECT_EQ(out[out.size() - 1], uint8_t(crc >> 8));
}

TEST(Writer, FixedParametersAreRebuiltFromTheWorkingValues) {
    auto s = decoded(basicFile(500).build());
    s->params.averagingTimeS = 180;
    s->params.ior = float(146820) / 100000.0f;  // 146819.99... when multiplied back
    s->params.backscatterDb = 80.2f;             // 801.99... likewise
    s->params.noiseFloorDb = -52.345f;
    const std::vector<uint8_t> out = encoded(*s);
    SorMap map;
    ASSERT_TRUE(decodeMap(out, map));
    const SorBlock& fxd = *findBlock(map, "FxdParams");
    // After the name: date 4, units 2, wavelength 2, offsets 8, count 2, pulse 2, spacing 4,
    // points 4 -> group index at 28, backscatter 32, averages 34, averaging time 38.
    EXPECT_EQ(fieldAt<int32_t>(out, fxd, 28), 146820);
    EXPECT_EQ(fieldAt<int16_t>(out, fxd, 32), 802);
    EXPECT_EQ(fieldAt<int32_t>(out, fxd, 34), 512);
    EXPECT_EQ(fieldAt<uint16_t>(out, fxd, 38), 1800);
    EXPECT_EQ(s->fxd.noiseFloor, 52345);
    EXPECT_EQ(std::string(s->fxd.units, 2), "mt");
    EXPECT_EQ(s->fxd.pulseCount, 1);
}

TEST(Writer, LevelsInThousandthsOfADecibel) {
    auto s = decoded(basicFile(10).build());
    s->level[0] = -12.3456f;
    s->level[1] = -12.3454f;
    s->level[2] = -70.0f;  // below the 16-bit field: saturates
    s->level[3] = NAN;
    s->level[4] = 0.0f;
    const std::vector<uint8_t> out = encoded(*s);
    SorMap map;
    ASSERT_TRUE(decodeMap(out, map));
    const SorBlock& dat = *findBlock(map, "DataPts");
    const size_t values = 4 + 2 + 4 + 2;  // count, groups, points, scale
    EXPECT_EQ(fieldAt<int16_t>(out, dat, 10), 1000);
    EXPECT_EQ(fieldAt<uint16_t>(out, dat, values + 0), 12346);
    EXPECT_EQ(fieldAt<uint16_t>(out, dat, values + 2), 12345);
    EXPECT_EQ(fieldAt<uint16_t>(out, dat, values + 4), 65535);
    EXPECT_EQ(fieldAt<uint16_t>(out, dat, values + 6), 0);
    EXPECT_EQ(fieldAt<uint16_t>(out, dat, values + 8), 0);
}

TEST(Writer, RenumbersEventsAndStoresTwoHundredCumulativeLosses) {
    auto s = decoded(basicFile(30000).build());
    s->eventCount = 250;
    for (int i = 0; i < 250; ++i) {
        TraceEvent& e = s->events[i];
        e = TraceEvent{};
        e.type = i == 0 ? kEventStart : (i % 2 ? kEventReflective : kEventNonReflective);
        e.number = 77;
        e.pointIndex = i * 100;
        e.time = pointToFileTime(e.pointIndex, pointTime(s->params.dataSpacing));
        e.reflectance = -45.5f;
        e.cumulativeLoss = 0.01f * float(i);
        for (int32_t& m : e.markers) m = e.pointIndex;
    }
    s->events[249].endFlag = kEndFlagFibreEnd;
    const std::vector<uint8_t> out = encoded(*s);
    EXPECT_EQ(s->vendor.v[35], 250);
    EXPECT_EQ(s->vendor.v[37 + 199], 1990);
    auto back = decoded(out);
    ASSERT_EQ(back->eventCount, 250);
    for (int i = 0; i < 250; ++i) {
        EXPECT_EQ(back->events[i].number, i + 1);
        EXPECT_EQ(back->events[i].pointIndex, i * 100);
    }
    EXPECT_FLOAT_EQ(back->events[3].reflectance, -45.5f);
    EXPECT_EQ(back->events[249].endFlag, kEndFlagFibreEnd);
    EXPECT_EQ(back->events[249].type, kEventReflective);
    EXPECT_EQ(back->events[2].type, kEventNonReflective);
}

TEST(Writer, RefusesABufferTooSmallAndWritesNothingBeyondIt) {
    auto s = synthSlot("demo");
    std::vector<uint8_t> out(kFileBufferSize, 0xEE);
    const size_t full = encodeTraceFile(out, *s, 0);
    ASSERT_GT(full, 1000u);
    std::vector<uint8_t> small(full + 64, 0xEE);
    EXPECT_EQ(encodeTraceFile(std::span<uint8_t>(small.data(), full - 1), *s, 0), 0u);
    for (size_t i = full - 1; i < small.size(); ++i) ASSERT_EQ(small[i], 0xEE) << i;
    EXPECT_EQ(encodeTraceFile(std::span<uint8_t>(small.data(), full), *s, 0), full);
}

TEST(Writer, SaturatesValuesBeyondTheirFields) {
    auto s = decoded(basicFile(100).build());
    s->params.pulseWidthNs = 1000000;
    s->params.backscatterDb = NAN;
    s->params.rangeKm = INFINITY;
    s->params.ior = 1e30f;
    s->events[1].loss = 1e9f;
    s->events[1].attenuation = -1e9f;
    const std::vector<uint8_t> out = encoded(*s);
    EXPECT_EQ(s->fxd.pulseWidth[0], 32767);
    EXPECT_EQ(s->fxd.backscatter, 0);
    EXPECT_EQ(s->fxd.acqRangeDistance, 0);
    EXPECT_EQ(s->fxd.groupIndex, 2147483647);
    auto back = decoded(out);
    EXPECT_FLOAT_EQ(back->events[1].loss, 32.767f);
    EXPECT_FLOAT_EQ(back->events[1].attenuation, -32.768f);
}

class RoundTrip : public testing::TestWithParam<const char*> {};
TEST_P(RoundTrip, ReadingWhatWasWrittenGivesTheTraceBack) {
    for (uint64_t seed : {1u, 2u, 3u}) {
        auto s = synthSlot(GetParam(), seed);
        const std::vector<uint8_t> out = encoded(*s);
        auto back = decoded(out);
        ASSERT_EQ(back->pointCount, s->pointCount);
        EXPECT_EQ(back->clipped, kClipNone);
        for (int i = 0; i < s->pointCount; ++i) {
            ASSERT_NEAR(back->level[i], s->level[i], 0.00051) << i;
            ASSERT_EQ(back->distance[i], s->distance[i]) << i;
        }
        EXPECT_EQ(back->params.markerA, s->params.markerA);
        EXPECT_EQ(back->params.markerB, s->params.markerB);
        ASSERT_EQ(back->eventCount, s->eventCount);
        for (int i = 0; i < s->eventCount; ++i) {
            const TraceEvent& a = s->events[i];
            const TraceEvent& b = back->events[i];
            EXPECT_EQ(b.pointIndex, a.pointIndex) << i;
            for (int k = 0; k < 5; ++k) EXPECT_EQ(b.markers[k], a.markers[k]) << i << "/" << k;
            EXPECT_NEAR(b.loss, a.loss, 0.00051) << i;
            EXPECT_NEAR(b.reflectance, a.reflectance, 0.00051) << i;
            EXPECT_NEAR(b.cumulativeLoss, a.cumulativeLoss, 0.00051) << i;
            EXPECT_NEAR(b.level, a.level, 0.0011) << i;
            EXPECT_EQ(b.endFlag, a.endFlag) << i;
            const int expectedType = a.type == kEventEnd ? kEventReflective : a.type;  // the code carries no "end" kind
            EXPECT_EQ(b.type, expectedType) << i;
        }
        EXPECT_FLOAT_EQ(back->params.rangeKm, s->params.rangeKm);
        EXPECT_FLOAT_EQ(back->params.ior, s->params.ior);
        EXPECT_EQ(back->params.pulseWidthNs, s->params.pulseWidthNs);
        EXPECT_EQ(back->params.wavelength, s->params.wavelength);
        EXPECT_STREQ(back->gen.cableId, s->gen.cableId);
        EXPECT_STREQ(back->sup.moduleId, s->sup.moduleId);
    }
}
INSTANTIATE_TEST_SUITE_P(Presets, RoundTrip, testing::Values("demo", "short", "longhaul"));

TEST(Writer, ResavingIsByteIdentical) {
    for (const char* preset : {"demo", "short"}) {
        auto s = synthSlot(preset, 5);
        const std::vector<uint8_t> first = encoded(*s);
        auto a = decoded(first);
        const std::vector<uint8_t> second = encoded(*a);
        auto b = decoded(second);
        const std::vector<uint8_t> third = encoded(*b);
        EXPECT_EQ(second, third) << preset;
    }
}

// Whenever one stored unit is no longer than a point, every point has a time of its own.
TEST(Writer, FileTimesReadBackAsTheirPoint) {
    for (int32_t spacing : {100000, 25000, 12345, 10000, 10001, 77777, 2000000}) {
        const float T = pointTime(spacing);
        for (int32_t index : {0, 1, 2, 3, 999, 12345, 127999}) {
            const int32_t t = pointToFileTime(index, T);
            EXPECT_GE(t, 0);  // a time before the first point would put the event before the fibre
            EXPECT_EQ(fileTimeToPoint(t, T), index) << spacing << " " << index;
            if (t > 0) {
                EXPECT_LT(fileTimeToPoint(t - 1, T), index);
            }
        }
    }
}
