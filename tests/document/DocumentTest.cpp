// The document: opening files into slots, its failure messages, markers, captions, views
// and saving.

#include "document/CQUARLODoc.h"
#include "document/TextTable.h"
#include "sorfile/SafeFileWrite.h"
#include "support/ScriptedPrompts.h"
#include "support/SorBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>

using namespace fv;
using namespace fv::test;

namespace {

class DocumentTest : public testing::Test {
protected:
    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc;

    void SetUp() override {
        dir.enter();  // the configuration file is looked for in the current directory
        doc = CQUARLODoc::create(prompts);
    }

    std::string writeTrace(const std::string& name, const SorFile& f) { return dir.write(name, f.build()); }
    std::string writeTrace(const std::string& name, int points = 1000) { return writeTrace(name, basicFile(points)); }
};

std::string bracketed(const char* text) { return std::string("[") + text + "]"; }

}  // namespace

TEST_F(DocumentTest, StartsEmptyWithItsDefaults) {
    EXPECT_EQ(doc->openCount, 0);
    EXPECT_EQ(doc->currentSlot, 0);
    EXPECT_EQ(doc->lengthUnit, 0);
    EXPECT_EQ(doc->report.reportCompact, 1);
    EXPECT_EQ(doc->graphCaption, textOf(6));
    EXPECT_EQ(doc->title, bracketed(textOf(141)));
    for (const TraceSlot& s : doc->slots) EXPECT_EQ(s.inUse, 0);
}

TEST_F(DocumentTest, OpensIntoTheLowestFreeSlotAndPreparesTheView) {
    const std::string path = writeTrace("a.sor", 3001);
    ASSERT_EQ(doc->openTraceFile(path), 1);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(doc->openCount, 1);
    EXPECT_EQ(doc->currentSlot, 0);
    TraceSlot& s = doc->currentTrace();
    EXPECT_EQ(s.inUse, 1);
    EXPECT_EQ(s.path, path);
    EXPECT_EQ(s.colour, kSlotColours[0]);
    EXPECT_EQ(s.verticalOffset, 0.0f);
    EXPECT_NEAR(s.levelFloor, -56.50515, 1e-5);
    EXPECT_EQ(doc->markerA, 1000);
    EXPECT_EQ(doc->markerB, 2000);
    EXPECT_DOUBLE_EQ(s.spacingKm, double(s.distance[1]) - double(s.distance[0]));
    EXPECT_DOUBLE_EQ(s.totalLengthKm, double(s.distance[3000]) + s.spacingKm);
    EXPECT_FLOAT_EQ(doc->kmPerDiv, float(s.totalLengthKm / 10));
    EXPECT_EQ(doc->kmPerDivFixed, int(std::floor(double(doc->kmPerDiv) * 100000 + 0.5)));
    EXPECT_EQ(doc->dbPerDivFixed, 500);
    EXPECT_EQ(s.moduleFlag, 1);  // "MOD-101"

    // Free slots are reused lowest index first, each in its own colour.
    ASSERT_EQ(doc->openTraceFile(writeTrace("b.sor")), 1);
    ASSERT_EQ(doc->openTraceFile(writeTrace("c.sor")), 1);
    EXPECT_EQ(doc->currentSlot, 2);
    EXPECT_EQ(doc->slots[2].colour, (Rgb{0, 0, 128}));
    doc->slots[1].inUse = 0;
    --doc->openCount;
    ASSERT_EQ(doc->openTraceFile(writeTrace("d.sor")), 1);
    EXPECT_EQ(doc->currentSlot, 1);
}

TEST_F(DocumentTest, CleansQuotesFromThePath) {
    const std::string path = writeTrace("q.sor");
    ASSERT_EQ(doc->openTraceFile("\"" + path + "\""), 1);
    EXPECT_EQ(doc->currentTrace().path, path);
    ASSERT_EQ(doc->openTraceFile("junk\"" + path + "\"\"\""), 1);
    EXPECT_EQ(doc->currentTrace().path, path);
}

struct RefusalCase {
    const char* what;
    std::string argument;    // "@" stands for the test folder
    TextId caption;          // -1: the caption is text 137 and the text is `text`
    TextId text;             // -1: the text is the cleaned file name
};

class OpenRefusals : public DocumentTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(OpenRefusals, SayWhyAndLeaveTheDocumentAsItWas) {
    ASSERT_EQ(doc->openTraceFile(writeTrace("kept.sor")), 1);
    dir.write("issue1.sor", {'x', 'y', 'z', 0, 100, 0});
    dir.write("wrong.sor", [] {
        SorFile f = basicFile(100);
        f.mapVersion = 100;
        return f.build();
    }());
    dir.write("trace.txt", basicFile(100).build());
    dir.write("trace.Sor", basicFile(100).build());
    ::mkdir((dir.path() + "/folder.sor").c_str(), 0755);

    RefusalCase c = GetParam();
    std::string arg = c.argument;
    if (size_t at = arg.find('@'); at != std::string::npos) arg.replace(at, 1, dir.path());
    const int before = doc->currentSlot;
    EXPECT_EQ(doc->openTraceFile(arg), 0) << c.what;
    EXPECT_EQ(doc->openCount, 1);
    EXPECT_EQ(doc->currentSlot, before);
    EXPECT_EQ(doc->slots[1].inUse, 0);
    ASSERT_EQ(prompts.messages.size(), 1u) << c.what;
    const ShownMessage& m = prompts.messages[0];
    if (c.text >= 0) EXPECT_EQ(m.text, textOf(c.text)) << c.what;
    else EXPECT_FALSE(m.text.empty());
    EXPECT_EQ(m.caption, textOf(c.caption)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenRefusals,
    testing::Values(RefusalCase{"mixed-case extension", "@/trace.Sor", 147, -1},
                    RefusalCase{"text file", "@/trace.txt", 147, -1},
                    RefusalCase{"two characters", "ab", 147, -1},
                    RefusalCase{"only quotes", "\"\"\"", 147, -1},
                    RefusalCase{"600 characters", std::string(596, 'a') + ".sor", 147, -1},
                    RefusalCase{"missing file", "@/none.sor", 136, -1},
                    RefusalCase{"a folder", "@/folder.sor", 136, -1},
                    RefusalCase{"no map", "@/issue1.sor", 137, 138},
                    RefusalCase{"issue 1 map", "@/wrong.sor", 137, 138}));

TEST_F(DocumentTest, TheNameTestTakesOnlyLowerOrUpperCase) {
    SorFile f = basicFile(100);
    EXPECT_EQ(doc->openTraceFile(writeTrace("UPPER.SOR", f)), 1);
    EXPECT_EQ(doc->openTraceFile(writeTrace("nodotsor", f)), 1);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DocumentTest, TheSentinelOpensNothingAndSaysNothing) {
    EXPECT_EQ(doc->openTraceFile("space"), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(doc->lastOpenResult, OpenResult::NoFile);
}

TEST_F(DocumentTest, RefusesAnEleventhFile) {
    const std::string path = writeTrace("t.sor", 100);
    for (int i = 0; i < kMaxSlots; ++i) ASSERT_EQ(doc->openTraceFile(path), 1);
    EXPECT_EQ(doc->openTraceFile(path), 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, textOf(148));
    EXPECT_EQ(doc->openCount, kMaxSlots);
    EXPECT_EQ(doc->currentSlot, 9);
}

TEST_F(DocumentTest, SelectsTheEventNearestMarkerAWithTiesToTheEarlier) {
    std::vector<EventSpec> events(3);
    events[0].code = "1F9999";
    events[1].time = 3000;  // point 300
    events[2].time = 5000;  // point 500
    SorFile f = basicFile(1200);  // marker A at 400: equally far from both
    f.blocks[3] = keyEventsBlock(events);
    ASSERT_EQ(doc->openTraceFile(writeTrace("n.sor", f)), 1);
    EXPECT_EQ(doc->currentTrace().selectedEvent, 1);
    EXPECT_EQ(nearestEventByPoint(doc->currentTrace(), 450), 2);
}

TEST_F(DocumentTest, MarkerSetsSurroundEachMarker) {
    ASSERT_EQ(doc->openTraceFile(writeTrace("m.sor", 100)), 1);
    doc->markerA = 5;
    doc->markerB = 99;
    doc->resetMarkerSets();
    const int expectedA[5] = {0, 5, 5, 15, 15};
    const int expectedB[5] = {89, 99, 99, 99, 99};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(doc->markerSets[0][k], expectedA[k]);
        EXPECT_EQ(doc->markerSets[1][k], expectedB[k]);
        EXPECT_EQ(doc->markerSetsSaved[0][k], expectedA[k]);
        EXPECT_EQ(doc->markerSetsSaved[1][k], expectedB[k]);
    }
}

TEST_F(DocumentTest, MarkersKeepTheirDistanceOnAnotherTrace) {
    ASSERT_EQ(doc->openTraceFile(writeTrace("long.sor", 2000)), 1);
    FxdSpec coarse;
    coarse.dataSpacing = 200000;  // twice the spacing: half the points for the same distance
    SorFile f = basicFile(500);
    f.blocks[2] = fxdBlock(coarse);
    ASSERT_EQ(doc->openTraceFile(writeTrace("short.sor", f)), 1);
    doc->currentSlot = 0;
    doc->markerA = 402;
    doc->markerB = 1999;  // beyond the end of the other trace
    doc->auxMarkerMode = 2;
    doc->MapMarkersToTrace(1);
    EXPECT_EQ(doc->markerA, 201);
    EXPECT_EQ(doc->markerB, 499);
    EXPECT_EQ(doc->auxMarkerMode, 0);
}

TEST_F(DocumentTest, CaptionsNameTheCurrentFile) {
    const std::string path = writeTrace("cap.sor");
    ASSERT_EQ(doc->openTraceFile(path), 1);
    doc->updateCaptions();
    EXPECT_EQ(doc->title, "[" + path + "]");
}

namespace {
struct RecordingView : DocumentView {
    std::vector<int> hints;
    int initial = 0;
    void onInitialUpdate() override { ++initial; }
    void onUpdate(DocumentView*, int hint) override { hints.push_back(hint); }
};
}  // namespace

TEST_F(DocumentTest, UpdatesReachEveryViewButTheSender) {
    RecordingView a, b;
    doc->addView(&a);
    doc->addView(&b);
    doc->addView(&a);  // once only
    doc->updateAllViews(&a, kHintMarkerMoved);
    doc->updateAllViews(nullptr, kHintTracesChanged);
    doc->initialUpdateAllViews();
    EXPECT_EQ(a.hints, std::vector<int>({kHintTracesChanged}));
    EXPECT_EQ(b.hints, std::vector<int>({kHintMarkerMoved, kHintTracesChanged}));
    EXPECT_EQ(a.initial, 1);
    doc->removeView(&b);
    doc->updateAllViews(nullptr, kHintRedraw);
    EXPECT_EQ(b.hints.size(), 2u);
}

TEST_F(DocumentTest, ReadsTheConfigurationFileAtConstruction) {
    dir.writeText("quarloConfig.ini", "[PrintReportSet]\nGird=0\nPage4In1=abc\n[PARA]\nLengthUnit=2\nAnalysis=1\n");
    auto other = CQUARLODoc::create(prompts);
    EXPECT_EQ(other->report.reportGrid, 0);
    EXPECT_EQ(other->report.reportCompact, 0);
    EXPECT_EQ(other->report.reportEvent, 1);
    EXPECT_EQ(other->lengthUnit, 2);
    EXPECT_EQ(other->analysisSwitch, 1);
}

TEST_F(DocumentTest, SavesThroughATemporaryFileKeepingPermissions) {
    const std::string path = writeTrace("s.sor");
    ::chmod(path.c_str(), 0640);
    ASSERT_EQ(doc->openTraceFile(path), 1);
    TraceSlot& s = doc->currentTrace();
    s.modified = 1;
    std::string error;
    ASSERT_TRUE(doc->saveTraceFile(s, path, error)) << error;
    EXPECT_EQ(s.modified, 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>({"s.sor"}));  // no temporary file left
    EXPECT_EQ(doc->openTraceFile(path), 1);
}

TEST_F(DocumentTest, SavingThroughALinkReplacesItsTarget) {
    const std::string target = writeTrace("target.sor");
    const std::string link = dir.path() + "/link.sor";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(doc->openTraceFile(writeTrace("new.sor", 500)), 1);
    std::string error;
    ASSERT_TRUE(doc->saveTraceFile(doc->currentTrace(), link, error)) << error;
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(doc->openTraceFile(target), 1);
    EXPECT_EQ(doc->currentTrace().pointCount, 500);
}

TEST_F(DocumentTest, AFailedSaveLeavesTheFileAsItWas) {
    const std::string path = writeTrace("keep.sor", 100);
    const std::vector<uint8_t> before = dir.read("keep.sor");
    ASSERT_EQ(doc->openTraceFile(writeTrace("big.sor", 50000)), 1);

    // A file-size limit makes the write fail part way, as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool saved = doc->saveTraceFile(doc->currentTrace(), path, error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(dir.read("keep.sor"), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>({"big.sor", "keep.sor"}));
}

TEST_F(DocumentTest, SavingIntoAFolderThatCannotTakeFilesIsReported) {
    ASSERT_EQ(doc->openTraceFile(writeTrace("x.sor", 100)), 1);
    std::string error;
    EXPECT_FALSE(doc->saveTraceFile(doc->currentTrace(), "/proc/fibrovue-test.sor", error));
    EXPECT_NE(error.find("/proc/fibrovue-test.sor"), std::string::npos);
    EXPECT_FALSE(doc->saveTraceFile(doc->currentTrace(), dir.path() + "/missing/x.sor", error));
}

TEST(ModuleFlag, ReadsTheLastThreeCharacters) {
    struct Case {
        const char* id;
        int flag;
    } cases[] = {{"OTDR-101", 1}, {"101", 1}, {"X1010", 0}, {"1", 0}, {"", 0}, {"AB-102", 0}};
    for (const Case& c : cases) {
        SupParams sup;
        std::snprintf(sup.moduleId, sizeof sup.moduleId, "%s", c.id);
        EXPECT_EQ(computeModuleFlag(sup), c.flag) << c.id;
    }
}
