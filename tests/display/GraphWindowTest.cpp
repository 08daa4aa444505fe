// The trace graph's window: step tables, full window, zooming, scroll bars, scroll actions,
// update hints, the caption and the point-to-pixel mapping.

#include "display/GraphWindow.h"

#include "document/CQUARLODoc.h"
#include "document/DocumentView.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace fv;
using namespace fv::test;

namespace {

constexpr double kTol = 1e-4;

class GraphWindowTest : public testing::Test {
protected:
    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc;

    void SetUp() override {
        dir.enter();
        doc = CQUARLODoc::create(prompts);
    }

    // A straight trace of `points` points, `spacingKm` apart, in slot 0, shown in full as
    // after opening it.
    TraceSlot& openTrace(int points, double spacingKm, double levelFloor = 30.0) {
        TraceSlot& s = doc->slots[0];
        s.inUse = 1;
        s.pointCount = points;
        for (int i = 0; i < points; ++i) {
            s.distance[i] = static_cast<float>(i * spacingKm);
            s.level[i] = static_cast<float>(levelFloor + 20.0 - 0.2 * i * spacingKm);
        }
        s.spacingKm = spacingKm;
        s.totalLengthKm = points * spacingKm;
        s.levelFloor = levelFloor;
        s.verticalOffset = 0;
        s.eventCount = 0;
        s.selectedEvent = 0;
        doc->currentSlot = 0;
        doc->openCount = 1;
        EXPECT_TRUE(showFullTrace(*doc).has_value());
        return s;
    }
    TraceSlot& open50km() { return openTrace(1000, 0.05); }

    void setWindow(float kmPerDiv, float viewStartKm, float dbPerDiv, float viewStartDb) {
        doc->kmPerDiv = kmPerDiv;
        doc->kmPerDivFixed = static_cast<int32_t>(std::lround(kmPerDiv * 100000.0));
        doc->viewStartKm = viewStartKm;
        doc->dbPerDiv = dbPerDiv;
        doc->dbPerDivFixed = static_cast<int32_t>(std::lround(dbPerDiv * 100.0));
        doc->viewStartDb = viewStartDb;
    }

    struct Window {
        float kmPerDiv, viewStartKm, dbPerDiv, viewStartDb;
        int32_t kmPerDivFixed, dbPerDivFixed;
        uint8_t zoomedH, zoomedV;
        bool operator==(const Window&) const = default;
    };
    Window window() const {
        return {doc->kmPerDiv,      doc->viewStartKm,   doc->dbPerDiv, doc->viewStartDb,
                doc->kmPerDivFixed, doc->dbPerDivFixed, doc->zoomedH,  doc->zoomedV};
    }
};

// --- step tables ---

struct FitCase {
    double value;
    int32_t expected;
};

TEST(GraphSteps, FitKmStepTakesTheSmallestEntryNotBelowTheScale) {
    const FitCase cases[] = {
        {0.25, 30000},     {0.21, 30000},   {0.2, 20000},    {0.2f, 20000},  {1.0, 100000},
        {0.123, 15000},    {0.0001, 50},    {0.0, 50},       {0.0005, 50},   {27.0, 2800000},
        {45.0, 5000000},   {50.0, 5000000}, {50.001, 4000000}, {1e30, 4000000},
    };
    for (const FitCase& c : cases) EXPECT_EQ(fitKmStep(c.value), c.expected) << c.value;
}

TEST(GraphSteps, FitDbStepTakesTheSmallestEntryNotBelowTheScale) {
    const FitCase cases[] = {
        {0.5, 50}, {0.55, 60}, {1.0, 100}, {1.2, 150}, {0.001, 1}, {0.0, 1}, {10.0, 1000}, {12.0, 800},
    };
    for (const FitCase& c : cases) EXPECT_EQ(fitDbStep(c.value), c.expected) << c.value;
}

TEST(GraphSteps, WiderStepsTakeTheNextLargerEntry) {
    struct Case {
        int32_t (*step)(int32_t);
        int32_t from, expected;
    };
    const Case cases[] = {
        {widerKmStep, 100000, 200000}, {widerKmStep, 30000, 50000},     {widerKmStep, 50, 100},
        {widerKmStep, 0, 50},          {widerKmStep, 4000000, 5000000}, {widerKmStep, 5000000, 4000000},
        {widerKmStep, 9000000, 4000000}, {widerDbStep, 50, 100},        {widerDbStep, 100, 200},
        {widerDbStep, 200, 500},       {widerDbStep, 300, 500},         {widerDbStep, 1, 2},
        {widerDbStep, 1000, 800},
    };
    for (const Case& c : cases) EXPECT_EQ(c.step(c.from), c.expected) << c.from;
}

TEST(GraphPixels, RoundingAndTruncationAreDefinedForEveryValue) {
    struct Case {
        double v;
        int rounded, truncated;
    };
    const Case cases[] = {
        {2.5, 3, 2},     {2.4, 2, 2},   {-2.5, -2, -2},      {-2.7, -3, -2},
        {-0.5, 0, 0},    {1e20, INT_MAX, INT_MAX},           {-1e20, INT_MIN, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(roundedPixel(c.v), c.rounded) << c.v;
        EXPECT_EQ(truncatedPixel(c.v), c.truncated) << c.v;
    }
}

// --- caption ---

TEST(GraphCaption, FollowsTheLengthUnitAndTheSizeOfTheScale) {
    struct Case {
        int32_t unit;
        float kmPerDiv, dbPerDiv;
        const char* expected;
    };
    const Case cases[] = {
        {1, 50.0f, 5.0f, "曲线图 164.0 kft/格  5.00 dB/格"},
        {1, 5.0f, 2.0f, "曲线图 16.40 kft/格  2.00 dB/格"},
        {1, 1.0f, 0.5f, "曲线图 3280.8 ft/格  0.50 dB/格"},
        {2, static_cast<float>(12.3 / 0.62137119), 5.0f, "曲线图 12 mi/格  5.00 dB/格"},
        {2, 5.0f, 0.01f, "曲线图 3.1069 mi/格  0.01 dB/格"},
        {0, 5.0f, 5.0f, "曲线图 5 km/格  5.00 dB/格"},
        {0, 7.9f, 5.0f, "曲线图 7 km/格  5.00 dB/格"},
        {0, 2.5f, 5.0f, "曲线图 2.5 km/格  5.00 dB/格"},
        {0, 1.0f, 1.5f, "曲线图 1.0 km/格  1.50 dB/格"},
        {0, 0.3f, 5.0f, "曲线图 300 m/格  5.00 dB/格"},
        {0, 0.001f, 5.0f, "曲线图 1 m/格  5.00 dB/格"},
        {0, 0.0005f, 5.0f, "曲线图 0.5 m/格  5.00 dB/格"},
        {7, 2.5f, 5.0f, "曲线图 2.5 km/格  5.00 dB/格"},  // an unknown unit reads as metres
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatGraphCaption(c.unit, c.kmPerDiv, c.dbPerDiv), c.expected) << c.unit << " " << c.kmPerDiv;
}

TEST(GraphCaption, ShowsDashesRatherThanNonFiniteValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(formatGraphCaption(0, nan, 5.0f), "曲线图 --.--- m/格  5.00 dB/格");
    EXPECT_EQ(formatGraphCaption(2, 5.0f, std::numeric_limits<float>::infinity()),
              "曲线图 3.1069 mi/格  --.--- dB/格");
}

// --- full window ---

TEST_F(GraphWindowTest, AFiftyKilometreTraceShowsFiveKilometresAndFiveDecibelsPerDivision) {
    TraceSlot& s = open50km();
    EXPECT_FLOAT_EQ(doc->kmPerDiv, 5.0f);
    EXPECT_EQ(doc->kmPerDivFixed, 500000);
    EXPECT_FLOAT_EQ(doc->dbPerDiv, 5.0f);
    EXPECT_EQ(doc->dbPerDivFixed, 500);
    EXPECT_EQ(formatGraphCaption(0, doc->kmPerDiv, doc->dbPerDiv), "曲线图 5 km/格  5.00 dB/格");

    // A level at the trace's floor lies on the bottom edge, 50 dB above it on the top edge.
    const GraphMapping m = graphMapping(*doc, 800, 600);
    s.level[7] = static_cast<float>(s.levelFloor);
    s.level[8] = static_cast<float>(s.levelFloor + 50.0);
    EXPECT_NEAR(m.y(s, 7), 600.0, kTol);
    EXPECT_NEAR(m.y(s, 8), 0.0, kTol);
}

TEST_F(GraphWindowTest, ShowFullTraceResetsAZoomedWindow) {
    openTrace(1000, 0.047);  // 47 km: the scale is not a table step
    setWindow(0.3f, 12.0f, 0.5f, 20.0f);
    doc->zoomedH = doc->zoomedV = 1;

    const std::optional<ScrollBars> bars = showFullTrace(*doc);
    ASSERT_TRUE(bars.has_value());
    EXPECT_EQ(*bars, fullRangeScrollBars());
    EXPECT_EQ(bars->vertical, (ScrollBarState{0, 3000, 2999, 0}));
    EXPECT_EQ(window(), (Window{4.7f, 0.0f, 5.0f, 0.0f, 470000, 500, 0, 0}));
}

TEST_F(GraphWindowTest, ShowFullTraceNeedsATraceWithALength) {
    setWindow(0.3f, 12.0f, 0.5f, 20.0f);
    const Window before = window();
    EXPECT_FALSE(showFullTrace(*doc).has_value());  // nothing open
    doc->slots[0].inUse = 1;
    doc->openCount = 1;
    doc->slots[0].totalLengthKm = 0;
    EXPECT_FALSE(showFullTrace(*doc).has_value());
    EXPECT_EQ(window(), before);
}

// --- zoom to a rectangle (client 1000 x 500 on a 50 km trace) ---

struct RectCase {
    const char* name;
    int left, top, right, bottom;
    float kmPerDiv, viewStartKm, dbPerDiv, viewStartDb;
    int32_t kmPerDivFixed;
    uint8_t zoomedH, zoomedV;
};

TEST_F(GraphWindowTest, ZoomToRectPicksTheStepAndCentresOnTheRectangle) {
    const RectCase cases[] = {
        // 50 px wide: 0.25 km/div fits 0.3; 100 px tall: 1 dB/div, centred on 25 dB.
        {"quarter", 500, 200, 549, 300, 0.3f, 24.725f, 1.0f, 20.0f, 30000, 1, 1},
        {"corners swapped", 549, 300, 500, 200, 0.3f, 24.725f, 1.0f, 20.0f, 30000, 1, 1},
        {"0.21 per division", 500, 200, 541, 300, 0.3f, 24.525f, 1.0f, 20.0f, 30000, 1, 1},
        {"0.2 per division", 500, 200, 539, 300, 0.2f, 24.975f, 1.0f, 20.0f, 20000, 1, 1},
        // The smallest rectangle that zooms: 11 px each way.
        {"eleven pixels", 100, 100, 111, 111, 0.06f, 4.975f, 0.15f, 38.7f, 6000, 1, 1},
        // At the right and top ends the window stops at the trace end and at 50 dB.
        {"right end", 980, 0, 1200, 25, 0.15f, 48.5f, 0.3f, 47.0f, 15000, 1, 1},
        {"left end", -50, 300, 20, 340, 0.15f, 0.0f, 0.4f, 16.0f, 15000, 1, 1},
        // A rectangle as tall as the graph asks for no finer level scale.
        {"full height", 500, 0, 549, 500, 0.3f, 24.725f, 5.0f, 0.0f, 30000, 1, 0},
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.name);
        open50km();
        EXPECT_TRUE(zoomToRect(*doc, c.left, c.top, c.right, c.bottom, 1000, 500));
        EXPECT_NEAR(doc->kmPerDiv, c.kmPerDiv, 1e-6);
        EXPECT_NEAR(doc->viewStartKm, c.viewStartKm, kTol);
        EXPECT_NEAR(doc->dbPerDiv, c.dbPerDiv, 1e-6);
        EXPECT_NEAR(doc->viewStartDb, c.viewStartDb, kTol);
        EXPECT_EQ(doc->kmPerDivFixed, c.kmPerDivFixed);
        EXPECT_EQ(doc->dbPerDivFixed, static_cast<int32_t>(std::lround(c.dbPerDiv * 100)));
        EXPECT_EQ(doc->zoomedH, c.zoomedH);
        EXPECT_EQ(doc->zoomedV, c.zoomedV);
    }
}

TEST_F(GraphWindowTest, ZoomToRectIgnoresSmallOrDegenerateRectangles) {
    struct Case {
        const char* name;
        int left, top, right, bottom, W, H;
    };
    const Case cases[] = {
        {"ten pixels wide", 100, 100, 110, 200, 1000, 500},
        {"ten pixels tall", 100, 100, 200, 110, 1000, 500},
        {"ten pixels after clamping", -300, 100, 10, 200, 1000, 500},
        {"wholly right of the client", 1100, 100, 1300, 200, 1000, 500},
        {"no width", 100, 100, 200, 200, 0, 500},
        {"no height", 100, 100, 200, 200, 1000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open50km();
        const Window before = window();
        EXPECT_FALSE(zoomToRect(*doc, c.left, c.top, c.right, c.bottom, c.W, c.H));
        EXPECT_EQ(window(), before);
    }
}

TEST_F(GraphWindowTest, ZoomToRectRecordsTheStepEvenWhenTheWindowStaysFull) {
    openTrace(1000, 0.047);  // 4.7 km/div; the whole width asks for 5 km/div
    EXPECT_TRUE(zoomToRect(*doc, 0, 0, 999, 500, 1000, 500));
    EXPECT_EQ(window(), (Window{4.7f, 0.0f, 5.0f, 0.0f, 500000, 500, 0, 0}));
}

TEST_F(GraphWindowTest, ZoomToRectNeverZoomsOutVertically) {
    open50km();
    setWindow(1.0f, 10.0f, 1.0f, 20.0f);
    doc->zoomedH = doc->zoomedV = 1;
    EXPECT_TRUE(zoomToRect(*doc, 0, 0, 999, 500, 1000, 500));
    EXPECT_FLOAT_EQ(doc->dbPerDiv, 1.0f);
    EXPECT_EQ(doc->dbPerDivFixed, 100);
    EXPECT_FLOAT_EQ(doc->viewStartDb, 20.0f);
}

// --- zoom out ---

TEST_F(GraphWindowTest, ZoomOutDoublesTheScaleAroundTheSameCentre) {
    struct Case {
        float viewStartKm, expectedStart;
    };
    const Case cases[] = {
        {10.0f, 5.0f},   // centre 15 km kept
        {39.0f, 30.0f},  // the window would pass the end
        {1.0f, 0.0f},    // the window would start before 0
    };
    for (const Case& c : cases) {
        open50km();
        setWindow(1.0f, c.viewStartKm, 5.0f, 0.0f);
        doc->zoomedH = 1;
        const std::optional<ScrollBars> bars = zoomOutOneStep(*doc);
        ASSERT_TRUE(bars.has_value());
        EXPECT_EQ(*bars, *syncScrollBars(*doc));
        EXPECT_EQ(doc->kmPerDivFixed, 200000);
        EXPECT_FLOAT_EQ(doc->kmPerDiv, 2.0f);
        EXPECT_NEAR(doc->viewStartKm, c.expectedStart, kTol) << c.viewStartKm;
        EXPECT_EQ(doc->zoomedH, 1);
    }
}

TEST_F(GraphWindowTest, ZoomOutBeyondATenthOfTheTraceShowsTheWholeTrace) {
    openTrace(300, 0.05);  // 15 km
    setWindow(1.0f, 6.0f, 5.0f, 0.0f);
    doc->zoomedH = 1;
    ASSERT_TRUE(zoomOutOneStep(*doc).has_value());
    EXPECT_FLOAT_EQ(doc->kmPerDiv, 1.5f);
    EXPECT_FLOAT_EQ(doc->viewStartKm, 0.0f);
    EXPECT_EQ(doc->zoomedH, 0);
    EXPECT_EQ(doc->kmPerDivFixed, 200000);
}

TEST_F(GraphWindowTest, ZoomOutToExactlyATenthOfTheTraceStaysZoomed) {
    openTrace(400, 0.05);  // 20 km: the next step, 2 km, is exactly a tenth
    setWindow(1.0f, 5.0f, 5.0f, 0.0f);
    doc->zoomedH = 1;
    ASSERT_TRUE(zoomOutOneStep(*doc).has_value());
    EXPECT_FLOAT_EQ(doc->kmPerDiv, 2.0f);
    EXPECT_FLOAT_EQ(doc->viewStartKm, 0.0f);
    EXPECT_EQ(doc->zoomedH, 1);
}

TEST_F(GraphWindowTest, ZoomOutVerticallyStepsToFiveDecibelsThenClearsTheFlag) {
    open50km();
    setWindow(5.0f, 0.0f, 0.5f, 20.0f);  // centre 22.5 dB
    doc->zoomedV = 1;
    struct Step {
        float dbPerDiv, viewStartDb;
        uint8_t zoomedV;
    };
    const Step steps[] = {{1.0f, 17.5f, 1}, {2.0f, 12.5f, 1}, {5.0f, 0.0f, 1}, {5.0f, 0.0f, 0}};
    for (const Step& s : steps) {
        ASSERT_TRUE(zoomOutOneStep(*doc).has_value());
        EXPECT_FLOAT_EQ(doc->dbPerDiv, s.dbPerDiv);
        EXPECT_EQ(doc->dbPerDivFixed, static_cast<int32_t>(s.dbPerDiv * 100));
        EXPECT_NEAR(doc->viewStartDb, s.viewStartDb, kTol);
        EXPECT_EQ(doc->zoomedV, s.zoomedV);
        EXPECT_FLOAT_EQ(doc->kmPerDiv, 5.0f);  // horizontal untouched while zoomedH is 0
    }
    const Window full = window();
    EXPECT_FALSE(zoomOutOneStep(*doc).has_value());
    EXPECT_EQ(window(), full);
}

TEST_F(GraphWindowTest, ZoomOutKeepsTheBandInsideFiftyDecibels) {
    open50km();
    setWindow(5.0f, 0.0f, 1.0f, 40.0f);  // top of the band
    doc->zoomedV = 1;
    ASSERT_TRUE(zoomOutOneStep(*doc).has_value());
    EXPECT_FLOAT_EQ(doc->dbPerDiv, 2.0f);
    EXPECT_NEAR(doc->viewStartDb, 30.0, kTol);
}

TEST_F(GraphWindowTest, ZoomOutNeedsATrace) {
    setWindow(1.0f, 10.0f, 1.0f, 10.0f);
    doc->zoomedH = doc->zoomedV = 1;
    const Window before = window();
    EXPECT_FALSE(zoomOutOneStep(*doc).has_value());
    EXPECT_EQ(window(), before);
}

// --- scroll bars ---

TEST_F(GraphWindowTest, ScrollBarsFollowTheWindow) {
    open50km();
    struct Case {
        float kmPerDiv, viewStartKm, dbPerDiv, viewStartDb;
        ScrollBarState vertical, horizontal;
    };
    const Case cases[] = {
        {5.0f, 0.0f, 5.0f, 0.0f, {0, 3000, 3000, 0}, {0, 3000, 3000, 0}},
        {1.0f, 10.0f, 1.0f, 20.0f, {0, 3000, 600, 1200}, {0, 3000, 600, 600}},
        {0.3f, 49.0f, 0.1f, 49.0f, {0, 3000, 60, 0}, {0, 3000, 180, 2940}},
    };
    for (const Case& c : cases) {
        setWindow(c.kmPerDiv, c.viewStartKm, c.dbPerDiv, c.viewStartDb);
        const std::optional<ScrollBars> bars = syncScrollBars(*doc);
        ASSERT_TRUE(bars.has_value());
        EXPECT_EQ(bars->vertical, c.vertical) << c.dbPerDiv;
        EXPECT_EQ(bars->horizontal, c.horizontal) << c.kmPerDiv;
    }
    doc->openCount = 0;
    EXPECT_FALSE(syncScrollBars(*doc).has_value());
}

// --- scroll actions ---

struct ScrollCase {
    ScrollAction action;
    float start, expected;
    int thumb = 0, maximum = 3000, page = 600;
};

constexpr ScrollOutcome kMoved{false, true, true};
constexpr ScrollOutcome kOnlyHint{false, false, true};

TEST_F(GraphWindowTest, VerticalScrollMovesTheBandWithinFiftyDecibels) {
    open50km();
    // 1 dB per division on 500 px: one pixel is 0.02 dB; the band starts at most at 40 dB.
    const ScrollCase cases[] = {
        {ScrollAction::LineUp, 20.0f, 20.02f},   {ScrollAction::LineUp, 39.99f, 40.0f},
        {ScrollAction::LineDown, 20.0f, 19.98f}, {ScrollAction::LineDown, 0.01f, 0.0f},
        {ScrollAction::PageUp, 20.0f, 22.0f},    {ScrollAction::PageUp, 39.0f, 40.0f},
        {ScrollAction::PageDown, 20.0f, 18.0f},  {ScrollAction::PageDown, 1.0f, 0.0f},
        {ScrollAction::Thumb, 5.0f, 20.0f, 1200},
        {ScrollAction::Thumb, 5.0f, 50.0f * (1.0f - 601.0f / 3000.0f), 1},
    };
    for (const ScrollCase& c : cases) {
        setWindow(5.0f, 0.0f, 1.0f, c.start);
        EXPECT_EQ(applyVerticalScroll(*doc, c.action, c.thumb, c.maximum, c.page, 500), kMoved);
        EXPECT_NEAR(doc->viewStartDb, c.expected, kTol) << static_cast<int>(c.action) << " from " << c.start;
    }
}

TEST_F(GraphWindowTest, HorizontalScrollMovesTheWindowWithinTheTrace) {
    open50km();
    // 1 km per division on 1000 px: one pixel is 0.01 km; the window starts at most at 40 km.
    const ScrollCase cases[] = {
        {ScrollAction::LineLeft, 0.0f, 0.0f},     {ScrollAction::LineLeft, 10.0f, 9.99f},
        {ScrollAction::LineRight, 10.0f, 10.01f}, {ScrollAction::LineRight, 39.995f, 40.0f},
        {ScrollAction::PageLeft, 10.0f, 8.0f},    {ScrollAction::PageLeft, 1.0f, 0.0f},
        {ScrollAction::PageRight, 10.0f, 12.0f},  {ScrollAction::PageRight, 39.0f, 40.0f},
    };
    for (const ScrollCase& c : cases) {
        setWindow(1.0f, c.start, 5.0f, 0.0f);
        EXPECT_EQ(applyHorizontalScroll(*doc, c.action, c.thumb, c.maximum, c.page, 1000), kMoved);
        EXPECT_NEAR(doc->viewStartKm, c.expected, kTol) << static_cast<int>(c.action) << " from " << c.start;
    }
}

TEST_F(GraphWindowTest, HorizontalThumbSetsTheStartAndAsksForARedrawOfEveryView) {
    open50km();
    const ScrollCase cases[] = {
        {ScrollAction::Thumb, 0.0f, 10.0f, 600},
        {ScrollAction::Thumb, 0.0f, 40.0f, 2900},  // past the last full window
    };
    for (const ScrollCase& c : cases) {
        setWindow(1.0f, c.start, 5.0f, 0.0f);
        EXPECT_EQ(applyHorizontalScroll(*doc, c.action, c.thumb, c.maximum, c.page, 1000),
                  (ScrollOutcome{true, true, true}));
        EXPECT_NEAR(doc->viewStartKm, c.expected, kTol) << c.thumb;
    }
}

TEST_F(GraphWindowTest, ScrollCodesThatDoNotApplyOnlySendTheScrollHint) {
    open50km();
    struct Case {
        const char* name;
        bool vertical;
        ScrollAction action;
        int maximum, page, extent;
    };
    const Case cases[] = {
        {"vertical thumb, bar full", true, ScrollAction::Thumb, 3000, 3000, 500},
        {"vertical thumb, page one short", true, ScrollAction::Thumb, 3000, 2999, 500},
        {"vertical thumb, empty bar", true, ScrollAction::Thumb, 0, 5, 500},
        {"vertical other", true, ScrollAction::Other, 3000, 600, 500},
        {"vertical bar, horizontal code", true, ScrollAction::PageRight, 3000, 600, 500},
        {"vertical line, no height", true, ScrollAction::LineUp, 3000, 600, 0},
        {"horizontal thumb, bar full", false, ScrollAction::Thumb, 3000, 3000, 1000},
        {"horizontal thumb, page one short", false, ScrollAction::Thumb, 3000, 2999, 1000},
        {"horizontal other", false, ScrollAction::Other, 3000, 600, 1000},
        {"horizontal bar, vertical code", false, ScrollAction::LineUp, 3000, 600, 1000},
        {"horizontal line, no width", false, ScrollAction::LineRight, 3000, 600, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setWindow(1.0f, 10.0f, 1.0f, 20.0f);
        const Window before = window();
        const ScrollOutcome out = c.vertical ? applyVerticalScroll(*doc, c.action, 1500, c.maximum, c.page, c.extent)
                                             : applyHorizontalScroll(*doc, c.action, 1500, c.maximum, c.page, c.extent);
        EXPECT_EQ(out, kOnlyHint);
        EXPECT_EQ(window(), before);
    }
}

TEST_F(GraphWindowTest, ScrollingAFullWindowKeepsItInPlace) {
    open50km();
    for (ScrollAction a : {ScrollAction::LineRight, ScrollAction::PageRight, ScrollAction::LineLeft}) {
        applyHorizontalScroll(*doc, a, 0, 3000, 2999, 1000);
        EXPECT_FLOAT_EQ(doc->viewStartKm, 0.0f);
    }
    for (ScrollAction a : {ScrollAction::LineUp, ScrollAction::PageUp, ScrollAction::PageDown}) {
        applyVerticalScroll(*doc, a, 0, 3000, 2999, 500);
        EXPECT_FLOAT_EQ(doc->viewStartDb, 0.0f);
    }
}

// --- update hints ---

TEST_F(GraphWindowTest, UpdateWithoutTracesResetsTheScrollBars) {
    EXPECT_TRUE(onGraphUpdate(*doc, kHintRedraw, true).resetScrollBars);
    EXPECT_TRUE(onGraphUpdate(*doc, kHintTracesChanged, false).resetScrollBars);
    EXPECT_FALSE(onGraphUpdate(*doc, kHintScrolled, false).resetScrollBars);
}

TEST_F(GraphWindowTest, TracesChangedFitsAWindowThatRunsPastTheEnd) {
    struct Case {
        int hint;
        bool senderIsNone;
        float viewStartKm, expectedKmPerDiv;
        uint8_t expectedZoomedH;
    };
    const Case cases[] = {
        {kHintTracesChanged, false, 45.0f, 5.0f, 1},  // 45 + 10 km runs past 50 km
        {kHintRedraw, true, 45.0f, 5.0f, 1},
        {kHintTracesChanged, false, 20.0f, 1.0f, 1},  // fits: only the flag is set
        {kHintScrolled, false, 45.0f, 1.0f, 0},
    };
    for (const Case& c : cases) {
        open50km();
        setWindow(1.0f, c.viewStartKm, 5.0f, 0.0f);
        const GraphUpdateOutcome out = onGraphUpdate(*doc, c.hint, c.senderIsNone);
        EXPECT_FALSE(out.resetScrollBars);
        EXPECT_FALSE(out.recentred);
        EXPECT_FLOAT_EQ(doc->kmPerDiv, c.expectedKmPerDiv) << c.hint;
        EXPECT_FLOAT_EQ(doc->viewStartKm, c.viewStartKm);
        EXPECT_EQ(doc->zoomedH, c.expectedZoomedH) << c.hint;
    }
}

TEST_F(GraphWindowTest, EventPickedRecentresOnlyForEventsOutsideTheInnerDivisions) {
    struct Case {
        float eventKm;
        uint8_t zoomedH;
        bool recentred;
        float expectedStart;
    };
    // Window 10..20 km at 1 km per division on a 50 km trace.
    const Case cases[] = {
        {11.5f, 1, false, 10.0f},  // second division
        {18.5f, 1, false, 10.0f},  // ninth division
        {10.5f, 1, true, 5.5f},    // first division
        {19.5f, 1, true, 14.5f},   // last division
        {3.0f, 1, true, 0.0f},     // left of the window, near the start
        {49.0f, 1, true, 40.0f},   // right of the window, near the end
        {3.0f, 0, false, 10.0f},   // not zoomed: the window stays
    };
    for (const Case& c : cases) {
        TraceSlot& s = open50km();
        s.eventCount = 2;
        s.events[1].distanceKm = c.eventKm;
        s.selectedEvent = 1;
        setWindow(1.0f, 10.0f, 5.0f, 0.0f);
        doc->zoomedH = c.zoomedH;
        EXPECT_EQ(onGraphUpdate(*doc, kHintEventPicked, false).recentred, c.recentred) << c.eventKm;
        EXPECT_NEAR(doc->viewStartKm, c.expectedStart, kTol) << c.eventKm;
    }
}

TEST_F(GraphWindowTest, EventPickedIgnoresASelectionOutsideTheEvents) {
    TraceSlot& s = open50km();
    s.eventCount = 1;
    s.events[0].distanceKm = 3.0f;
    setWindow(1.0f, 10.0f, 5.0f, 0.0f);
    doc->zoomedH = 1;
    for (int selected : {-1, 1}) {
        s.selectedEvent = selected;
        EXPECT_FALSE(onGraphUpdate(*doc, kHintEventPicked, false).recentred);
        EXPECT_FLOAT_EQ(doc->viewStartKm, 10.0f);
    }
}

// --- pixel mapping ---

TEST_F(GraphWindowTest, PointsMapIntoTheSharedWindowWithEachTracesFloorAndOffset) {
    TraceSlot& s = open50km();
    setWindow(1.0f, 10.0f, 1.0f, 20.0f);
    const PixelScales px = pixelScales(*doc, 1000, 500);
    EXPECT_DOUBLE_EQ(px.pixelsPerKm, 100.0);
    EXPECT_DOUBLE_EQ(px.pixelsPerDb, 50.0);

    struct Case {
        int j;
        float level, offset;
        double x, y;
    };
    // Point j lies at j x 0.05 km; the floor is 30 dB, the band starts 20 dB above it.
    const Case cases[] = {
        {200, 50.0f, 0.0f, 0.0, 500.0},     // left and bottom edges
        {300, 60.0f, 0.0f, 500.0, 0.0},     // middle and top edge
        {300, 55.0f, 2.5f, 500.0, 125.0},   // the offset lifts the trace
        {100, 51.0f, -1.0f, -500.0, 500.0}, // left of the window
    };
    for (const Case& c : cases) {
        s.level[c.j] = c.level;
        s.verticalOffset = c.offset;
        const GraphMapping m = graphMapping(*doc, 1000, 500);
        EXPECT_NEAR(m.x(s, c.j), c.x, 1e-3) << c.j;
        EXPECT_NEAR(m.y(s, c.j), c.y, 1e-3) << c.j;
    }
}

TEST_F(GraphWindowTest, PixelScalesAreZeroForAnEmptyScale) {
    setWindow(0.0f, 0.0f, 0.0f, 0.0f);
    const PixelScales px = pixelScales(*doc, 1000, 500);
    EXPECT_EQ(px.pixelsPerKm, 0.0);
    EXPECT_EQ(px.pixelsPerDb, 0.0);
}

TEST_F(GraphWindowTest, PointAtXFindsTheNearestPointWithinTheTrace) {
    TraceSlot& s = open50km();
    struct Case {
        float viewStartKm;
        double x;
        int expected;
    };
    // 20 px per km, 0.05 km per point: one point per pixel.
    const Case cases[] = {
        {0.0f, 250.0, 250}, {0.0f, 250.4, 250}, {0.0f, 250.6, 251}, {0.0f, 0.0, 0},
        {10.0f, 10.0, 210}, {10.0f, 900.0, 999}, {0.0f, -5.0, 0},
    };
    for (const Case& c : cases) {
        doc->viewStartKm = c.viewStartKm;
        s.pixelsPerKm = 20.0;
        EXPECT_EQ(pointAtX(s, *doc, c.x), c.expected) << c.x;
    }
    s.pixelsPerKm = 0;  // before the first drawing
    EXPECT_EQ(pointAtX(s, *doc, 250.0), 0);
}

}  // namespace
