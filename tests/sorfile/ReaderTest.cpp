// The trace reader: fields of each block, derived values, and files that break the rules.

#include "sorfile/bellcorefile.h"
#include "support/SorBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace fv;
using namespace fv::test;

namespace {

std::unique_ptr<TraceSlot> newSlot() { return std::make_unique<TraceSlot>(); }

int decode(const std::vector<uint8_t>& bytes, TraceSlot& slot) {
    return decodeTraceFile(std::span<const uint8_t>(bytes), slot);
}

}  // namespace

TEST(Reader, DecodesEveryBlockOfAPlainFile) {
    auto s = newSlot();
    ASSERT_EQ(decode(basicFile(1000).build(), *s), 1);
    EXPECT_EQ(s->clipped, kClipNone);
    EXPECT_EQ(s->pointCount, 1000);
    EXPECT_STREQ(s->gen.cableId, "C1");
    EXPECT_EQ(s->gen.fiberType, 652);
    EXPECT_STREQ(s->gen.comment, "Comment");
    EXPECT_STREQ(s->sup.moduleId, "MOD-101");
    EXPECT_STREQ(s->sup.softwareRevision, "1.0");
    EXPECT_EQ(s->fxd.groupIndex, 146800);
    EXPECT_EQ(s->fxd.averagingTime, 180);  // tenths of a second to whole seconds

    const TraceParams& p = s->params;
    EXPECT_FLOAT_EQ(p.ior, 1.468f);
    EXPECT_FLOAT_EQ(p.rangeKm, 20.0f);  // 200000 in "mt"
    EXPECT_EQ(p.pulseWidthNs, 100);
    EXPECT_EQ(p.wavelength, 15500);
    EXPECT_FLOAT_EQ(p.backscatterDb, 80.2f);
    EXPECT_EQ(p.averagingTimeS, 180);
    EXPECT_FLOAT_EQ(p.noiseFloorDb, -50.0f);
    EXPECT_FLOAT_EQ(p.reflThresholdDb, 65.0f);
    EXPECT_FLOAT_EQ(p.lossThresholdDb, 0.05f);
    EXPECT_FLOAT_EQ(p.endThresholdDb, 3.0f);
    EXPECT_EQ(p.markerA, 333);
    EXPECT_EQ(p.markerB, 666);

    // Distances: point i at i x T x 2.99792458 / groupIndex, with T = 10.
    const double step = 10 * 2.99792458 / 146800;
    EXPECT_EQ(s->distance[0], 0.0f);
    EXPECT_FLOAT_EQ(s->distance[999], float(999 * step));
    EXPECT_NEAR(s->level[10], -5.010f, 1e-6);

    ASSERT_EQ(s->eventCount, 2);
    EXPECT_EQ(s->events[0].type, kEventStart);
    EXPECT_EQ(s->events[1].type, kEventNonReflective);
    EXPECT_EQ(s->events[1].pointIndex, 500);
    EXPECT_FLOAT_EQ(s->events[1].loss, 0.15f);
    EXPECT_FLOAT_EQ(s->events[1].distanceKm, float(5000 * 2.99792458 / 146800));
    const int32_t expectedMarkers[5] = {300, 500, 510, 800, 0};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(s->events[1].markers[k], expectedMarkers[k]);
    EXPECT_EQ(s->events[0].cumulativeLoss, 0.0f);
}

struct RangeCase {
    const char* units;
    int32_t rangeDistance;
    float rangeKm;
};
class ReaderRange : public testing::TestWithParam<RangeCase> {};
TEST_P(ReaderRange, ConvertsTheRangeByItsUnit) {
    FxdSpec fx;
    fx.units = GetParam().units;
    fx.acqRangeDistance = GetParam().rangeDistance;
    SorFile f = basicFile(100);
    f.blocks[2] = fxdBlock(fx);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_NEAR(s->params.rangeKm, GetParam().rangeKm, 1e-5);
}
INSTANTIATE_TEST_SUITE_P(Units, ReaderRange,
                         testing::Values(RangeCase{"km", 200, 20.0f}, RangeCase{"mt", 200000, 20.0f},
                                         RangeCase{"mi", 124, 20.0f},     // 12.4 mi snaps to 20 km
                                         RangeCase{"ft", 650000, 20.0f},  // 65 kft snaps to 20 km
                                         RangeCase{"mi", 1000, 160.0f}));

struct CodeCase {
    const char* code;
    bool first;
    int32_t type;
    int32_t endFlag;
};
class ReaderEventCode : public testing::TestWithParam<CodeCase> {};
TEST_P(ReaderEventCode, GivesTypeAndEndFlag) {
    std::vector<EventSpec> events(2);
    events[0].code = "1F9999";
    events[GetParam().first ? 0 : 1].code = GetParam().code;
    events[1].time = 100;
    SorFile f = basicFile(100);
    f.blocks[3] = keyEventsBlock(events);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    const TraceEvent& e = s->events[GetParam().first ? 0 : 1];
    EXPECT_EQ(e.type, GetParam().type);
    EXPECT_EQ(e.endFlag, GetParam().endFlag);
}
INSTANTIATE_TEST_SUITE_P(Codes, ReaderEventCode,
                         testing::Values(CodeCase{"1F9999", true, kEventStart, 0},
                                         CodeCase{"0F9999", true, kEventNonReflective, 0},
                                         CodeCase{"1F9999", false, kEventReflective, 0},
                                         CodeCase{"1E9999", false, kEventReflective, kEndFlagFibreEnd},
                                         CodeCase{"0E9999", false, kEventNonReflective, kEndFlagFibreEnd},
                                         CodeCase{"2E9999", false, kEventReflective, kEndFlagFibreEnd},
                                         CodeCase{"XM9999", false, kEventNonReflective, 0}));

TEST(Reader, DataPointsGiveDefaultMarkersAtThirds) {
    SorFile f = basicFile(3001);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_EQ(s->params.markerA, 1000);
    EXPECT_EQ(s->params.markerB, 2000);
    EXPECT_EQ(s->vendor.v[10], 1000);
    EXPECT_EQ(s->vendor.v[11], 2000);
}

struct VendorCase {
    int32_t version;
    bool markers;
    bool perEvent;
    bool words;
};
class ReaderVendor : public testing::TestWithParam<VendorCase> {};
TEST_P(ReaderVendor, VersionDecidesWhatTheBlockCarries) {
    const VendorCase c = GetParam();
    SorFile f = basicFile(3001);
    f.blocks.insert(f.blocks.end() - 1, userNameBlock(c.version, 111, 222, -4500, {0, 700}));
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_EQ(s->vendor.v[0], c.version);
    EXPECT_EQ(s->params.markerA, c.markers ? 111 : 1000);
    EXPECT_EQ(s->params.markerB, c.markers ? 222 : 2000);
    EXPECT_EQ(s->vendor.v[10], c.markers ? 111 : -1);
    EXPECT_EQ(s->params.vendorWords[0], c.words ? 10 : 0);
    if (c.perEvent) {
        EXPECT_FLOAT_EQ(s->events[0].level, -4.5f);
        EXPECT_FLOAT_EQ(s->events[1].cumulativeLoss, 0.7f);
        EXPECT_FLOAT_EQ(s->events[1].level, -5.2f);
        EXPECT_EQ(s->vendor.v[35], 2);
    } else {
        EXPECT_NE(s->events[1].cumulativeLoss, 0.7f);
    }
    // vendorValue comes only from blocks that carry our identifier
    EXPECT_FLOAT_EQ(s->params.vendorValue, c.version >= 200 ? 3.0f : 0.0f);
}
INSTANTIATE_TEST_SUITE_P(Versions, ReaderVendor,
                         testing::Values(VendorCase{20001, true, true, true}, VendorCase{203, true, true, true},
                                         VendorCase{202, false, true, true}, VendorCase{201, false, false, true},
                                         VendorCase{199, false, false, false}));

TEST(Reader, RefusesFilesWithoutAnIssueTwoMap) {
    auto s = newSlot();
    SorFile f = basicFile(100);
    f.mapVersion = 100;
    EXPECT_EQ(decode(f.build(), *s), 0);
    std::vector<uint8_t> bytes = basicFile(100).build();
    bytes[2] = 'X';  // "MaX"
    EXPECT_EQ(decode(bytes, *s), 0);
    EXPECT_EQ(decode({}, *s), 0);
    EXPECT_EQ(decode({'M', 'a', 'p'}, *s), 0);
}

// Files that are valid issue-2 files but hold no trace that can be shown.
struct RefusedCase {
    const char* what;
    SorFile file;
};
class ReaderRefuses : public testing::TestWithParam<RefusedCase> {};
TEST_P(ReaderRefuses, TracesThatCannotBeShown) {
    auto s = newSlot();
    EXPECT_EQ(decode(GetParam().file.build(), *s), 0) << GetParam().what;
}
SorFile withoutDataPoints() {
    SorFile f = basicFile(100);
    f.blocks.erase(f.blocks.begin() + 4);
    return f;
}
SorFile withPoints(int n) {
    SorFile f = basicFile(100);
    f.blocks[4] = dataPtsBlockOf(n);
    return f;
}
SorFile withFxd(int32_t groupIndex, int32_t spacing) {
    FxdSpec fx;
    fx.groupIndex = groupIndex;
    fx.dataSpacing = spacing;
    SorFile f = basicFile(100);
    f.blocks[2] = fxdBlock(fx);
    return f;
}
SorFile withScaleZero() {
    SorFile f = basicFile(100);
    f.blocks[4] = dataPtsBlock(std::vector<float>(100, -1.0f), 0);
    return f;
}
SorFile withoutFxd() {
    SorFile f = basicFile(100);
    f.blocks.erase(f.blocks.begin() + 2);
    return f;
}
INSTANTIATE_TEST_SUITE_P(Cases, ReaderRefuses,
                         testing::Values(RefusedCase{"no data points block", withoutDataPoints()},
                                         RefusedCase{"0 points", withPoints(0)}, RefusedCase{"1 point", withPoints(1)},
                                         RefusedCase{"group index 0", withFxd(0, 100000)},
                                         RefusedCase{"negative group index", withFxd(-5, 100000)},
                                         RefusedCase{"data spacing 0", withFxd(146800, 0)},
                                         RefusedCase{"scale factor 0", withScaleZero()},
                                         RefusedCase{"no fixed parameters", withoutFxd()}));

TEST(Reader, EveryTruncationOfAFileIsReadSafely) {
    const std::vector<uint8_t> whole = basicFile(300).build();
    auto s = newSlot();
    for (size_t len = 0; len < whole.size(); ++len) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + long(len));
        if (decode(part, *s)) {
            EXPECT_NE(s->clipped, kClipNone) << "cut at " << len;
            EXPECT_GE(s->pointCount, 2);
            EXPECT_LE(s->pointCount, 300);
            for (int i = 0; i < s->eventCount; ++i) {
                EXPECT_GE(s->events[i].pointIndex, 0);
                EXPECT_LT(s->events[i].pointIndex, s->pointCount);
            }
        }
    }
}

TEST(Reader, ClipsAMapOfTwoHundredBlocks) {
    SorFile f = basicFile(100);
    for (int i = 0; i < 195; ++i) f.blocks.push_back({"Extra" + std::to_string(i), Bytes().str("Extra")});
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipBlocks);
    EXPECT_EQ(s->pointCount, 100);
    SorMap map;
    ASSERT_TRUE(decodeMap(f.build(), map));
    EXPECT_EQ(map.count, kMaxMapBlocks - 1);
}

TEST(Reader, ClipsBlocksThatLieBeyondTheFile) {
    SorFile f = basicFile(100);
    f.blocks.push_back({"Ghost", Bytes().str("Ghost"), 1 << 30});
    f.listedCount = int(f.blocks.size()) + 3;  // two more entries than the map holds
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipBlocks);
}

TEST(Reader, BlockSizesOfZeroAndMinusOne) {
    auto s = newSlot();
    SorFile zero = basicFile(100);
    zero.blocks[0].listedSize = 0;  // GenParams takes no room: the next blocks are misplaced
    EXPECT_NO_FATAL_FAILURE(decode(zero.build(), *s));
    EXPECT_EQ(s->gen.cableId[0], 0);  // a block of size 0 has no fields

    SorFile negative = basicFile(100);
    negative.blocks[1].listedSize = -1;
    EXPECT_EQ(decode(negative.build(), *s), 0);  // the data points can no longer be found
    SorMap map;
    ASSERT_TRUE(decodeMap(negative.build(), map));
    EXPECT_EQ(map.count, 1);
}

TEST(Reader, ClipsStringsToTheirFields) {
    SorFile f = basicFile(100);
    f.blocks[0] = genBlock(std::string(300, 'x'));
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipStrings);
    EXPECT_EQ(std::strlen(s->gen.cableId), sizeof s->gen.cableId - 1);
    EXPECT_STREQ(s->gen.fiberId, "F1");  // the whole string was consumed
}

TEST(Reader, AStringWithoutItsZeroByteEndsTheBlock) {
    SorFile f = basicFile(100);
    Bytes b;
    b.str("SupParams").chars("no terminator here");
    f.blocks[1] = {"SupParams", b};
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipStrings);
    EXPECT_STREQ(s->sup.supplier, "no terminator here");
    EXPECT_EQ(s->params.pulseWidthNs, 100);  // the next block is read from its own offset
}

TEST(Reader, ClipsTenMillionPoints) {
    SorFile f = basicFile(100);
    f.blocks[4] = dataPtsBlock(std::vector<float>(200000, -3.0f), 1000, 10000000);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipPoints);
    EXPECT_EQ(s->pointCount, kMaxPoints);
    EXPECT_FLOAT_EQ(s->level[kMaxPoints - 1], -3.0f);
}

TEST(Reader, ClipsFiveThousandEvents) {
    std::vector<EventSpec> events(5000);
    for (int i = 0; i < 5000; ++i) events[size_t(i)].time = i * 10;
    SorFile f = basicFile(8000);
    f.blocks[3] = keyEventsBlock(events);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipEvents);
    EXPECT_EQ(s->eventCount, kMaxEvents);
    EXPECT_EQ(s->events[999].pointIndex, 999);
}

TEST(Reader, ClipsFortyPulseWidthsAndReadsWhatFollows) {
    FxdSpec fx;
    fx.pulseCount = 40;
    SorFile f = basicFile(100);
    f.blocks[2] = fxdBlock(fx);
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipPulseWidths);
    EXPECT_EQ(s->fxd.pulseCount, kMaxPulseWidths);
    EXPECT_EQ(s->fxd.pulseWidth[9], 109);
    EXPECT_EQ(s->fxd.groupIndex, 146800);
    EXPECT_EQ(s->fxd.endThreshold, 3000);
}

TEST(Reader, ClipsAFileLargerThanTheBuffer) {
    SorFile f = basicFile(100);
    Bytes junk;
    junk.str("Junk").data.resize(2 * 1024 * 1024, 0xAB);
    f.blocks.insert(f.blocks.begin() + 5, {"Junk", junk});
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_TRUE(s->clipped & kClipFileSize);
    EXPECT_EQ(s->pointCount, 100);
}

TEST(Reader, BoundsMarkersToTheTrace) {
    std::vector<EventSpec> events(2);
    events[0].code = "1F9999";
    events[0].markers[3] = -500;
    events[1].time = 900000;  // far beyond the 100 points
    for (int32_t& m : events[1].markers) m = 2000000000;
    SorFile f = basicFile(100);
    f.blocks[3] = keyEventsBlock(events);
    f.blocks.insert(f.blocks.end() - 1, userNameBlock(203, 5000, -3, 0, {}));
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_EQ(s->events[0].markers[3], 0);
    EXPECT_EQ(s->events[1].pointIndex, 99);
    for (int32_t m : s->events[1].markers) EXPECT_EQ(m, 99);
    EXPECT_EQ(s->params.markerA, 33);  // stored markers outside the trace give the defaults
    EXPECT_EQ(s->params.markerB, 66);
    EXPECT_TRUE(std::isfinite(s->events[1].level));
}

TEST(Reader, TakesPerEventValuesOnlyForTheEventsTheVendorBlockHolds) {
    std::vector<EventSpec> events(250);
    events[0].code = "1F9999";
    for (int i = 1; i < 250; ++i) {
        events[size_t(i)].time = i * 100;
        for (int k = 0; k < 4; ++k) events[size_t(i)].markers[k] = i * 100;
    }
    std::vector<int32_t> cumulative(900, 1234);  // the block claims 900 events
    SorFile f = basicFile(30000);
    f.blocks[3] = keyEventsBlock(events);
    f.blocks.insert(f.blocks.end() - 1, userNameBlock(20001, 1, 2, -5000, cumulative));
    auto s = newSlot();
    ASSERT_EQ(decode(f.build(), *s), 1);
    EXPECT_EQ(s->vendor.v[35], 250);
    EXPECT_FLOAT_EQ(s->events[199].cumulativeLoss, 1.234f);
    EXPECT_NE(s->events[200].cumulativeLoss, 1.234f);  // computed from the trace
}

TEST(Reader, ClearsTheSlotBeforeDecoding) {
    auto s = newSlot();
    SorFile first = basicFile(100);
    first.blocks.insert(first.blocks.end() - 1, userNameBlock(20001, 1, 2, -5000, {0, 100}));
    ASSERT_EQ(decode(first.build(), *s), 1);
    ASSERT_EQ(s->vendor.v[1], kVendorIdentifier);

    SorFile second = basicFile(100);
    second.blocks.erase(second.blocks.begin(), second.blocks.begin() + 2);  // no Gen, no Sup
    second.blocks[1] = keyEventsBlock({});
    ASSERT_EQ(decode(second.build(), *s), 1);
    EXPECT_EQ(s->gen.cableId[0], 0);
    EXPECT_EQ(s->sup.moduleId[0], 0);
    EXPECT_EQ(s->vendor.v[1], 0);
    EXPECT_EQ(s->eventCount, 0);
    EXPECT_EQ(s->events[1].pointIndex, 0);
}
