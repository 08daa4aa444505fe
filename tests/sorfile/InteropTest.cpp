// Trace files written by other makers' instruments, checked against the facts read
// straight from their bytes. Skipped, visibly, where the files are not present.

#include "document/CQUARLODoc.h"
#include "document/TextTable.h"
#include "sorfile/bellcorefile.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace fv;
using namespace fv::test;
using nlohmann::json;

namespace {

const std::string kInterop = FIBROVUE_INTEROP_DIR;

json loadFacts() {
    std::ifstream in(kInterop + "/facts.json");
    if (!in) return json();
    return json::parse(in);
}

class Interop : public testing::Test {
protected:
    json facts = loadFacts();
    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc;

    void SetUp() override {
        if (facts.is_null()) GTEST_SKIP() << "no third-party trace files at " << kInterop;
        dir.enter();
        doc = CQUARLODoc::create(prompts);
    }
};

}  // namespace

TEST_F(Interop, EveryIssueTwoFileOpensWithTheFactsOfItsBytes) {
    int checked = 0;
    for (const json& f : facts) {
        if (!f["issue2"].get<bool>()) continue;
        const std::string name = f["file"];
        SCOPED_TRACE(name);
        ASSERT_EQ(doc->openTraceFile(kInterop + "/" + name), 1);
        const TraceSlot& s = doc->currentTrace();
        // Some makers write strings longer than our fields (a 35-character "other" supplier
        // field, a 217-character comment); those are clipped and said to be. Nothing else is.
        EXPECT_EQ(s.clipped & ~uint32_t(kClipStrings), 0u);
        EXPECT_EQ(s.pointCount, f["pointCount"].get<int>());
        EXPECT_EQ(s.fxd.groupIndex, f["fxd"]["groupIndex"].get<int>());
        EXPECT_EQ(s.params.pulseWidthNs, f["fxd"]["pulseWidth"][0].get<int>());
        EXPECT_NEAR(s.spacingKm, f["spacingKm"].get<double>(), 1e-7);
        EXPECT_NEAR(s.distance[s.pointCount - 1], f["lastDistanceKm"].get<double>(), 1e-4);

        const auto& first = f["levelFirst"];
        for (size_t i = 0; i < first.size(); ++i) EXPECT_NEAR(s.level[i], first[i].get<double>(), 1e-5);
        double sum = 0, lo = 1e9, hi = -1e9;
        for (int i = 0; i < s.pointCount; ++i) {
            sum += s.level[i];
            lo = std::min(lo, double(s.level[i]));
            hi = std::max(hi, double(s.level[i]));
        }
        EXPECT_NEAR(sum, f["levelSum"].get<double>(), 1e-6 * std::fabs(sum) + 0.01);
        EXPECT_NEAR(lo, f["levelMin"].get<double>(), 1e-5);
        EXPECT_NEAR(hi, f["levelMax"].get<double>(), 1e-5);

        const auto& events = f["events"];
        ASSERT_EQ(s.eventCount, int(events.size()));
        for (int i = 0; i < s.eventCount; ++i) {
            const TraceEvent& e = s.events[i];
            const json& x = events[size_t(i)];
            EXPECT_EQ(e.time, x["time"].get<int>());
            EXPECT_NEAR(e.distanceKm, x["distanceKm"].get<double>(), 1e-5);
            // The launch carries no insertion loss of its own in our event table.
            EXPECT_NEAR(e.loss, i == 0 ? 0.0 : x["loss"].get<double>(), 1e-6);
            EXPECT_NEAR(e.reflectance, x["reflectance"].get<double>(), 1e-5);
            EXPECT_NEAR(e.attenuation, x["attenuation"].get<double>(), 1e-6);
            const std::string code = x["code"];
            EXPECT_EQ(e.endFlag, code[1] == 'E' ? kEndFlagFibreEnd : 0);
            if (code[0] == '0') EXPECT_EQ(e.type, kEventNonReflective);
            else EXPECT_EQ(e.type, i == 0 ? kEventStart : kEventReflective);
            EXPECT_TRUE(std::isfinite(e.level));
            EXPECT_TRUE(std::isfinite(e.cumulativeLoss));
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(Interop, TheIssueOneFileIsRefusedAndChangesNothing) {
    for (const json& f : facts) {
        if (f["issue2"].get<bool>()) continue;
        ASSERT_EQ(doc->openTraceFile(kInterop + "/example1-noyes-ofl280.sor"), 1);
        const std::string path = doc->currentTrace().path;
        prompts.messages.clear();
        EXPECT_EQ(doc->openTraceFile(kInterop + "/" + f["file"].get<std::string>()), 0);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, textOf(138));
        EXPECT_EQ(prompts.messages[0].caption, textOf(137));
        EXPECT_EQ(doc->openCount, 1);
        EXPECT_EQ(doc->currentSlot, 0);
        EXPECT_EQ(doc->currentTrace().path, path);
        EXPECT_EQ(doc->slots[1].inUse, 0);
    }
}

TEST_F(Interop, ResavingKeepsPointsAndEventsAndSettles) {
    for (const json& f : facts) {
        if (!f["issue2"].get<bool>()) continue;
        const std::string name = f["file"];
        SCOPED_TRACE(name);
        doc = CQUARLODoc::create(prompts);
        ASSERT_EQ(doc->openTraceFile(kInterop + "/" + name), 1);
        TraceSlot& original = doc->slots[0];
        std::string error;
        const std::string second = dir.path() + "/second.sor", third = dir.path() + "/third.sor";
        ASSERT_TRUE(doc->saveTraceFile(original, second, error)) << error;
        ASSERT_EQ(doc->openTraceFile(second), 1);
        TraceSlot& back = doc->slots[1];
        ASSERT_EQ(back.pointCount, original.pointCount);
        for (int i = 0; i < back.pointCount; ++i) ASSERT_NEAR(back.level[i], original.level[i], 0.0005) << i;
        ASSERT_EQ(back.eventCount, original.eventCount);
        for (int i = 0; i < back.eventCount; ++i) {
            EXPECT_EQ(back.events[i].pointIndex, original.events[i].pointIndex);
            EXPECT_EQ(back.events[i].time, original.events[i].time);
            EXPECT_NEAR(back.events[i].loss, original.events[i].loss, 0.0005);
            EXPECT_NEAR(back.events[i].reflectance, original.events[i].reflectance, 0.0005);
            EXPECT_EQ(back.events[i].endFlag, original.events[i].endFlag);
            for (int k = 0; k < 5; ++k) EXPECT_EQ(back.events[i].markers[k], original.events[i].markers[k]);
        }
        EXPECT_EQ(doc->markerA, original.params.markerA);
        ASSERT_TRUE(doc->saveTraceFile(back, third, error)) << error;
        EXPECT_EQ(dir.read("second.sor"), dir.read("third.sor"));
    }
}
