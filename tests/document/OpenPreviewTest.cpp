// The open dialog's preview: which selections are previewed, the parameter text and the
// curve's geometry.

#include "document/OpenPreview.h"

#include "document/TextTable.h"
#include "support/SorBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

using namespace fv;
using namespace fv::test;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

SorFile fileWith(const FxdSpec& fxd, int points = 1000) {
    SorFile f = basicFile(points);
    f.blocks[2] = fxdBlock(fxd);
    return f;
}

class OpenPreviewTest : public testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<TraceSlot> slot = std::make_unique<TraceSlot>();
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kFileBufferSize);

    PreviewInfo preview(const std::string& path) { return previewSelection(path, *slot, buffer); }
    std::string write(const std::string& name, const SorFile& f) { return dir.write(name, f.build()); }
};

TEST_F(OpenPreviewTest, OnlyReadableTraceFilesArePreviewed) {
    const std::vector<uint8_t> trace = basicFile(500).build();
    std::vector<uint8_t> oversized = basicFile(128000).build();
    oversized.resize(size_t(kFileBufferSize) + 1000, 0);
    std::filesystem::create_directory(dir.path() + "/folder.sor");

    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;  // empty: not written
        bool valid;
        std::string text;            // empty: the parameter lines
    } cases[] = {
        {"", {}, false, "   "},  // the folder itself
        {"folder.sor", {}, false, "   "},
        {"trace.txt", trace, false, "   "},
        {"trace.so", trace, false, "   "},
        {"missing.sor", {}, false, "   "},
        {"large.sor", oversized, false, "   "},
        {"garbage.sor", std::vector<uint8_t>(300, 0x5A), false, textOf(138)},
        {"trace.SOR", trace, true, ""},
        {"trace.Sor", trace, true, ""},
        {"trace.sor", trace, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.bytes.empty() ? dir.path() + "/" + c.name : dir.write(c.name, c.bytes);
        const PreviewInfo info = preview(path);
        EXPECT_EQ(info.previewValid, c.valid);
        if (!c.text.empty()) {
            EXPECT_EQ(info.infoText, c.text);
        } else {
            const std::vector<std::string> lines = linesOf(info.infoText);
            ASSERT_EQ(lines.size(), 7u);
            EXPECT_EQ(lines[0], std::string(textOf(25)) + ":");
            EXPECT_EQ(slot->pointCount, 500);
        }
    }
}

TEST_F(OpenPreviewTest, ListsTheMainParametersLineByLine) {
    FxdSpec fxd;
    fxd.dateTime = 1600000000;  // 2020-09-13 12:26:40 UTC
    fxd.pulseWidth = 100;
    fxd.averagingTime = 1800;   // tenths of a second in the file
    fxd.acqRangeDistance = 200000;
    const PreviewInfo info = preview(write("p.sor", fileWith(fxd)));
    ASSERT_TRUE(info.previewValid);
    const std::string expected = std::string(textOf(25)) + ":\r\n" +
                                 "        2020-09-13  12:26:40\r\n" +
                                 textOf(14) + ":20.0 km\r\n" +
                                 textOf(15) + ":100 ns \r\n" +
                                 textOf(16) + ":1550 nm \r\n" +
                                 textOf(29) + ":2 \r\n" +
                                 textOf(19) + ":180 s\r\n";
    EXPECT_EQ(info.infoText, expected);
}

TEST_F(OpenPreviewTest, MeasurementTimesBelowTenShowABlankLine) {
    struct Case {
        uint32_t dateTime;
        std::string line;
        uint32_t kept;
    } cases[] = {
        {0, std::string(38, ' '), 0},
        {9, std::string(38, ' '), 0},
        {10, "        1970-01-01  00:00:10", 10},
        {951782400, "        2000-02-29  00:00:00", 951782400},
        {4294967295u, "        2106-02-07  06:28:15", 4294967295u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dateTime);
        FxdSpec fxd;
        fxd.dateTime = c.dateTime;
        const PreviewInfo info = preview(write("t.sor", fileWith(fxd)));
        ASSERT_TRUE(info.previewValid);
        const std::vector<std::string> lines = linesOf(info.infoText);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], c.line);
        EXPECT_EQ(slot->params.dateTime, c.kept);
    }
}

TEST_F(OpenPreviewTest, RangeAndPulseWidthFromTheFile) {
    struct Case {
        int32_t rangeDistance;  // 0.1 m
        int16_t pulse;
        std::string range;
        std::string pulseText;
    } cases[] = {
        {5000, 500, ":500 m", ":500 ns "},
        {8000, 1000, ":0.8 km", ":1 us "},
        {200000, 2500, ":20.0 km", ":2.5 us "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        FxdSpec fxd;
        fxd.acqRangeDistance = c.rangeDistance;
        fxd.pulseWidth = c.pulse;
        const PreviewInfo info = preview(write("r.sor", fileWith(fxd)));
        ASSERT_TRUE(info.previewValid);
        const std::vector<std::string> lines = linesOf(info.infoText);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[2], textOf(14) + c.range);
        EXPECT_EQ(lines[3], textOf(15) + c.pulseText);
    }
}

TEST(OpenPreview, FormatsEachParameter) {
    auto slot = std::make_unique<TraceSlot>();
    struct Case {
        float rangeKm;
        int32_t pulse;
        int32_t wavelength;
        int32_t events;
        int32_t seconds;
        std::vector<std::string> tail;  // lines 3 to 7
    } cases[] = {
        {0.5f, 500, 15500, 2, 180, {":500 m", ":500 ns ", ":1550 nm ", ":2 ", ":180 s"}},
        {0.8f, 1000, 13100, 0, 0, {":0.8 km", ":1 us ", ":1310 nm ", ":0 ", ":0 s"}},
        {0.7f, 2500, 16250, 17, 30, {":700 m", ":2.5 us ", ":1625 nm ", ":17 ", ":30 s"}},
        {0.79f, 999, 8505, 1000, 600, {":790 m", ":999 ns ", ":850 nm ", ":1000 ", ":600 s"}},
        {0.0f, 20000, 15500, 1, 1, {":0 m", ":20 us ", ":1550 nm ", ":1 ", ":1 s"}},
        {1.26f, 1300, 15500, 1, 1, {":1.3 km", ":1.3 us ", ":1550 nm ", ":1 ", ":1 s"}},
        {120.0f, 10, 15500, 1, 1, {":120.0 km", ":10 ns ", ":1550 nm ", ":1 ", ":1 s"}},
    };
    const TextId labels[] = {14, 15, 16, 29, 19};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rangeKm);
        slot->params.rangeKm = c.rangeKm;
        slot->params.pulseWidthNs = c.pulse;
        slot->params.wavelength = c.wavelength;
        slot->params.averagingTimeS = c.seconds;
        slot->eventCount = c.events;
        const std::vector<std::string> lines = linesOf(previewInfoText(*slot, true));
        ASSERT_EQ(lines.size(), 7u);
        for (size_t k = 0; k < 5; ++k) EXPECT_EQ(lines[k + 2], textOf(labels[k]) + c.tail[k]) << k;
    }
    EXPECT_EQ(previewInfoText(*slot, false), textOf(138));
}

TEST(OpenPreview, TheCurveSpansTheFrameFromZeroToMinusFiftyDb) {
    auto slot = std::make_unique<TraceSlot>();
    struct Case {
        float level;
        int height;
        int y;
    } cases[] = {
        {0.0f, 100, 0},   {-50.0f, 100, 100}, {-25.0f, 100, 50}, {-12.5f, 100, 25},
        {-60.0f, 100, 120}, {-5.3f, 73, 7},   {5.0f, 100, -10},  {-49.9f, 50, 49},
    };
    for (const Case& c : cases) {
        slot->pointCount = 2;
        slot->level[0] = c.level;
        slot->level[1] = c.level;
        const std::vector<PreviewPoint> pts = previewPolyline(*slot, 10, c.height);
        ASSERT_EQ(pts.size(), 2u);
        EXPECT_EQ(pts[0], (PreviewPoint{0, c.y})) << c.level << " in " << c.height;
        EXPECT_EQ(pts[1], (PreviewPoint{5, c.y})) << c.level << " in " << c.height;
    }
}

TEST(OpenPreview, TwentyThousandPointsFillTwoHundredFiftyPixels) {
    auto slot = std::make_unique<TraceSlot>();
    slot->pointCount = 20000;
    for (int i = 0; i < slot->pointCount; ++i) slot->level[i] = -float(i % 50);
    const std::vector<PreviewPoint> pts = previewPolyline(*slot, 250, 120);
    ASSERT_EQ(pts.size(), 20000u);
    EXPECT_EQ(pts.front().x, 0);
    EXPECT_EQ(pts.back().x, 249);
    std::set<int> xs;
    for (size_t i = 0; i < pts.size(); ++i) {
        xs.insert(pts[i].x);
        if (i > 0) {
            EXPECT_GE(pts[i].x, pts[i - 1].x) << i;
        }
    }
    EXPECT_EQ(xs.size(), 250u);  // every column gets points
    EXPECT_EQ(pts[1].y, int(120 - 49.0 * 120 / 50));
}

TEST(OpenPreview, NoCurveWithoutPointsOrRoom) {
    auto slot = std::make_unique<TraceSlot>();
    slot->pointCount = 1;
    slot->level[0] = -3;
    EXPECT_TRUE(previewPolyline(*slot, 100, 100).empty());
    slot->pointCount = 2;
    slot->level[1] = -3;
    EXPECT_TRUE(previewPolyline(*slot, 0, 100).empty());
    EXPECT_TRUE(previewPolyline(*slot, 100, 0).empty());
    EXPECT_EQ(previewPolyline(*slot, 3, 50).size(), 2u);
}

TEST_F(OpenPreviewTest, APreviewedFileDrawsAcrossTheWholeFrame) {
    const PreviewInfo info = preview(write("wide.sor", fileWith(FxdSpec{}, 20000)));
    ASSERT_TRUE(info.previewValid);
    EXPECT_EQ(slot->levelFloor, -50.0);
    const std::vector<PreviewPoint> pts = previewPolyline(*slot, 250, 100);
    ASSERT_EQ(pts.size(), 20000u);
    EXPECT_EQ(pts.front(), (PreviewPoint{0, 10}));  // the file starts at -5 dB
    EXPECT_EQ(pts.back().x, 249);
}

}  // namespace
