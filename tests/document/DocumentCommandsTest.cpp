// The document's file commands: opening a selection, closing, saving, save-as naming, the
// questions before anything is lost, the enable rules and the start-up path.

#include "document/DocumentCommands.h"

#include "document/CQUARLODoc.h"
#include "document/TextTable.h"
#include "sorfile/bellcorefile.h"
#include "support/ScriptedPrompts.h"
#include "support/SorBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sys/resource.h>

using namespace fv;
using namespace fv::test;

namespace {

struct HintLog : DocumentView {
    std::vector<int> hints;
    void onUpdate(DocumentView*, int hint) override { hints.push_back(hint); }
};

// Makes every write past `bytes` fail, as a full disk would, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

std::string bracketed(const std::string& text) { return "[" + text + "]"; }

class DocumentCommandsTest : public testing::Test {
protected:
    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQUARLODoc> doc;
    HintLog views;
    std::vector<std::string> opened;
    OpenFn open = [this](const std::string& p) {
        opened.push_back(p);
        doc->openTraceFile(p);
    };

    void SetUp() override {
        dir.enter();
        doc = CQUARLODoc::create(prompts);
        doc->addView(&views);
    }

    std::string writeTrace(const std::string& name, int points = 1000) { return dir.write(name, basicFile(points).build()); }
    std::string path(const std::string& name) const { return dir.path() + "/" + name; }
    void openTrace(const std::string& name, int points = 1000) {
        ASSERT_EQ(doc->openTraceFile(writeTrace(name, points)), 1);
    }

    // The cable id stored in a file on disk, as the reader sees it.
    std::string cableIdOnDisk(const std::string& name) const {
        auto slot = std::make_unique<TraceSlot>();
        const std::vector<uint8_t> bytes = dir.read(name);
        if (decodeTraceFile(bytes, *slot) != 1) return "<undecodable>";
        return slot->gen.cableId;
    }
    void editCurrent(const char* cableId) {
        TraceSlot& s = doc->currentTrace();
        std::snprintf(s.gen.cableId, sizeof s.gen.cableId, "%s", cableId);
        s.modified = 1;
    }
};

// ---------------------------------------------------------------- opening a selection

struct SelectionCase {
    const char* what;
    std::vector<std::string> selected;
    std::vector<std::string> expected;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.what; }

class OpenOrder : public testing::TestWithParam<SelectionCase> {};

TEST_P(OpenOrder, SortsTheNamesByteWiseAndTakesTheLastFolder) {
    ScriptedPrompts prompts;
    auto doc = CQUARLODoc::create(prompts);
    std::vector<std::string> opened;
    openFiles(*doc, GetParam().selected, [&](const std::string& p) { opened.push_back(p); });
    EXPECT_EQ(opened, GetParam().expected);
    EXPECT_TRUE(prompts.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DocumentCommands, OpenOrder,
    testing::Values(
        SelectionCase{"upper case first", {"/d/b.sor", "/d/A.sor", "/d/a.sor"}, {"/d/A.sor", "/d/a.sor", "/d/b.sor"}},
        SelectionCase{"digits and punctuation by byte",
                      {"/d/a2.sor", "/d/a10.sor", "/d/_.sor", "/d/Z.sor"},
                      {"/d/Z.sor", "/d/_.sor", "/d/a10.sor", "/d/a2.sor"}},
        SelectionCase{"bytes above 127 after ASCII", {"/d/\xC3\xA9.sor", "/d/z.sor"}, {"/d/z.sor", "/d/\xC3\xA9.sor"}},
        SelectionCase{"folder of the last path", {"/x/b.sor", "/y/z/a.sor"}, {"/y/z/a.sor", "/y/z/b.sor"}},
        SelectionCase{"root folder", {"/a.sor"}, {"/a.sor"}},
        SelectionCase{"no folder", {"b.sor", "a.sor"}, {"a.sor", "b.sor"}},
        SelectionCase{"nothing chosen", {}, {}}),
    [](const testing::TestParamInfo<SelectionCase>& info) {
        std::string n = info.param.what;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

TEST_F(DocumentCommandsTest, OpensTheSelectionIntoSlotsInSortedOrder) {
    const std::vector<std::string> selected = {writeTrace("b.sor"), writeTrace("A.sor"), writeTrace("a.sor")};
    openFiles(*doc, selected, open);
    ASSERT_EQ(doc->openCount, 3);
    EXPECT_EQ(doc->slots[0].path, path("A.sor"));
    EXPECT_EQ(doc->slots[1].path, path("a.sor"));
    EXPECT_EQ(doc->slots[2].path, path("b.sor"));
    EXPECT_EQ(doc->currentSlot, 2);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DocumentCommandsTest, TwelveFilesOpenTheFirstTenAndRefuseTwo) {
    std::vector<std::string> selected;
    for (int i = 11; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "t%02d.sor", i);
        selected.push_back(writeTrace(name, 200));
    }
    openFiles(*doc, selected, open);
    EXPECT_EQ(doc->openCount, 10);
    for (int i = 0; i < 10; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "t%02d.sor", i);
        EXPECT_EQ(doc->slots[i].path, path(name));
    }
    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const ShownMessage& m : prompts.messages) EXPECT_EQ(m.text, textOf(148));
    EXPECT_EQ(opened.size(), 12u);  // each one is offered; the document refuses the last two
}

TEST_F(DocumentCommandsTest, BeyondAThousandNamesNothingMoreIsOpened) {
    std::vector<std::string> selected;
    for (int i = 1002; i >= 0; --i) selected.push_back("/d/n" + std::to_string(i) + ".sor");
    std::vector<std::string> expected = selected;
    std::sort(expected.begin(), expected.end());
    expected.resize(1000);

    std::vector<std::string> got;
    openFiles(*doc, selected, [&](const std::string& p) { got.push_back(p); });
    EXPECT_EQ(got, expected);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, textOf(152));
    EXPECT_EQ(prompts.messages[0].caption, textOf(137));
}

TEST_F(DocumentCommandsTest, OverLongNamesAreSkippedWithOneMessage) {
    struct Case {
        std::string name;
        bool opens;
    };
    std::string e319;
    for (int i = 0; i < 315; ++i) e319 += "\xC3\xA9";  // two bytes, one character
    const Case cases[] = {
        {std::string(315, 'a') + ".sor", true},   // 319 characters
        {std::string(316, 'b') + ".sor", false},  // 320
        {e319 + ".sor", true},                    // 319 characters in 634 bytes
        {std::string(400, 'c') + ".sor", false},
    };
    std::vector<std::string> selected;
    for (const Case& c : cases) selected.push_back("/d/" + c.name);
    std::vector<std::string> got;
    openFiles(*doc, selected, [&](const std::string& p) { got.push_back(p); });

    ASSERT_EQ(prompts.messages.size(), 1u);
    const std::string& text = prompts.messages[0].text;
    EXPECT_EQ(text.rfind(textOf(153), 0), 0u) << text;
    for (const Case& c : cases) {
        const bool wasOpened = std::find(got.begin(), got.end(), "/d/" + c.name) != got.end();
        EXPECT_EQ(wasOpened, c.opens) << c.name.size();
        EXPECT_EQ(text.find(c.name) != std::string::npos, !c.opens) << c.name.size();
    }
}

TEST_F(DocumentCommandsTest, TheOpenCommandAsksForTraceFiles) {
    prompts.openFiles.push_back({writeTrace("z.sor"), writeTrace("y.sor")});
    openFilesCommand(*doc, open);
    EXPECT_EQ(opened, (std::vector<std::string>{path("y.sor"), path("z.sor")}));
    openFilesCommand(*doc, open);  // cancelled: nothing more
    EXPECT_EQ(opened.size(), 2u);
    ASSERT_EQ(traceFileFilters().size(), 1u);
    EXPECT_EQ(traceFileFilters()[0].pattern, "*.sor");
}

// ---------------------------------------------------------------- closing

TEST_F(DocumentCommandsTest, ClosingTheCurrentTraceMakesTheLowestOneInUseCurrent) {
    for (int i = 0; i < 6; ++i) openTrace("s" + std::to_string(i) + ".sor", i == 5 ? 3000 : 1000);
    for (int s : {0, 1, 3, 4}) {
        doc->currentSlot = s;
        ASSERT_TRUE(closeCurrent(*doc));
    }
    ASSERT_EQ(doc->openCount, 2);
    doc->currentSlot = 5;
    doc->markerA = 2500;  // beyond the end of slot 2's trace
    doc->markerB = 10;
    doc->auxMarkerMode = 1;
    doc->markerSetSource = 6;
    views.hints.clear();

    ASSERT_TRUE(closeCurrent(*doc));
    EXPECT_EQ(doc->currentSlot, 2);
    EXPECT_EQ(doc->openCount, 1);
    EXPECT_EQ(doc->slots[5].inUse, 0);
    EXPECT_EQ(doc->title, bracketed(path("s2.sor")));
    EXPECT_EQ(views.hints, std::vector<int>{kHintTracesChanged});
    // The markers keep their place on the trace that is current now.
    EXPECT_EQ(doc->markerA, 999);
    EXPECT_EQ(doc->markerB, 10);
    EXPECT_EQ(doc->auxMarkerMode, 0);
    EXPECT_EQ(doc->markerSetSource, 0);
}

TEST_F(DocumentCommandsTest, ClosingTheLastTraceRestoresTheEmptyCaptions) {
    openTrace("only.sor");
    doc->graphCaption = "1 km/div";
    ASSERT_TRUE(closeCurrent(*doc));
    EXPECT_EQ(doc->openCount, 0);
    EXPECT_EQ(doc->currentSlot, 0);
    EXPECT_EQ(doc->graphCaption, textOf(6));
    EXPECT_EQ(doc->title, bracketed(textOf(141)));
    EXPECT_EQ(views.hints, std::vector<int>{kHintTracesChanged});

    views.hints.clear();
    EXPECT_TRUE(closeCurrent(*doc));  // nothing open: nothing happens
    EXPECT_TRUE(views.hints.empty());
}

TEST_F(DocumentCommandsTest, CloseAllFreesEverySlotAndKeepsTheCurrentIndex) {
    for (const char* n : {"a.sor", "b.sor", "c.sor"}) openTrace(n);
    doc->currentSlot = 1;
    ASSERT_TRUE(closeAll(*doc));
    EXPECT_EQ(doc->openCount, 0);
    for (const TraceSlot& s : doc->slots) EXPECT_EQ(s.inUse, 0);
    EXPECT_EQ(doc->currentSlot, 1);
    EXPECT_EQ(doc->title, bracketed(textOf(141)));
    EXPECT_EQ(views.hints, std::vector<int>{kHintTracesChanged});
    EXPECT_TRUE(prompts.messages.empty());
}

struct CloseAnswerCase {
    PromptAnswer answer;
    bool closed;
    bool saved;
};

void PrintTo(const CloseAnswerCase& c, std::ostream* os) { *os << "answer " << int(c.answer); }

class CloseModified : public DocumentCommandsTest, public testing::WithParamInterface<CloseAnswerCase> {};

TEST_P(CloseModified, AsksBeforeDiscardingEdits) {
    openTrace("edit.sor");
    const std::vector<uint8_t> before = dir.read("edit.sor");
    editCurrent("EDITED");
    prompts.answers.push_back(GetParam().answer);

    EXPECT_EQ(closeCurrent(*doc), GetParam().closed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, textOf(149));
    EXPECT_EQ(prompts.messages[0].caption, path("edit.sor"));
    EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(doc->openCount, GetParam().closed ? 0 : 1);
    EXPECT_EQ(views.hints.size(), GetParam().closed ? 1u : 0u);
    if (GetParam().saved) {
        EXPECT_EQ(cableIdOnDisk("edit.sor"), "EDITED");
        EXPECT_EQ(doc->slots[0].modified, 0);
    } else {
        EXPECT_EQ(dir.read("edit.sor"), before);
    }
}

INSTANTIATE_TEST_SUITE_P(DocumentCommands, CloseModified,
                         testing::Values(CloseAnswerCase{PromptAnswer::Yes, true, true},
                                         CloseAnswerCase{PromptAnswer::No, true, false},
                                         CloseAnswerCase{PromptAnswer::Cancel, false, false}));

TEST_F(DocumentCommandsTest, UnchangedTracesCloseWithoutAQuestion) {
    openTrace("plain.sor");
    ASSERT_TRUE(closeCurrent(*doc));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DocumentCommandsTest, CloseAllAsksForEachModifiedTraceAndCancelStopsIt) {
    for (const char* n : {"a.sor", "b.sor", "c.sor"}) openTrace(n);
    doc->slots[0].modified = 1;
    doc->slots[2].modified = 1;
    std::snprintf(doc->slots[0].gen.cableId, sizeof doc->slots[0].gen.cableId, "A-EDIT");
    const std::vector<uint8_t> cBefore = dir.read("c.sor");

    prompts.answers = {PromptAnswer::Yes, PromptAnswer::Cancel};
    EXPECT_FALSE(closeAll(*doc));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].caption, path("a.sor"));
    EXPECT_EQ(prompts.messages[1].caption, path("c.sor"));
    EXPECT_EQ(doc->openCount, 3);
    EXPECT_TRUE(views.hints.empty());
    EXPECT_EQ(cableIdOnDisk("a.sor"), "A-EDIT");  // what was saved stays saved

    prompts.messages.clear();
    prompts.answers = {PromptAnswer::No};
    EXPECT_TRUE(closeAll(*doc));
    ASSERT_EQ(prompts.messages.size(), 1u);  // slot 0 was saved, so only c.sor is asked about
    EXPECT_EQ(prompts.messages[0].caption, path("c.sor"));
    EXPECT_EQ(doc->openCount, 0);
    EXPECT_EQ(dir.read("c.sor"), cBefore);
}

TEST_F(DocumentCommandsTest, QuittingAsksTheSameQuestionsAndClosesNothing) {
    for (const char* n : {"a.sor", "b.sor"}) openTrace(n);
    doc->slots[1].modified = 1;
    struct Case {
        PromptAnswer answer;
        bool quits;
    } cases[] = {{PromptAnswer::Cancel, false}, {PromptAnswer::No, true}};
    for (const Case& c : cases) {
        prompts.messages.clear();
        prompts.answers = {c.answer};
        EXPECT_EQ(confirmDiscardAll(*doc), c.quits);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, textOf(149));
        EXPECT_EQ(prompts.messages[0].caption, path("b.sor"));
        EXPECT_EQ(doc->openCount, 2);
    }
    doc->slots[1].modified = 0;
    prompts.messages.clear();
    EXPECT_TRUE(confirmDiscardAll(*doc));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DocumentCommandsTest, AFailedSaveWhileClosingIsReportedAndKeepsTheTraceOpen) {
    openTrace("big.sor", 50000);
    const std::vector<uint8_t> before = dir.read("big.sor");
    editCurrent("EDITED");
    prompts.answers = {PromptAnswer::Yes};
    bool closed = true;
    {
        FileSizeLimit limit(4096);
        closed = closeCurrent(*doc);
    }
    EXPECT_FALSE(closed);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].caption, textOf(150));
    EXPECT_NE(prompts.messages[1].text.find(path("big.sor")), std::string::npos) << prompts.messages[1].text;
    EXPECT_EQ(doc->openCount, 1);
    EXPECT_EQ(doc->currentTrace().modified, 1);
    EXPECT_EQ(dir.read("big.sor"), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.sor"});
}

// ---------------------------------------------------------------- saving

TEST_F(DocumentCommandsTest, SaveStoresTheMarkersAndClearsTheModifiedMark) {
    openTrace("m.sor");
    editCurrent("SAVED");
    doc->markerA = 123;
    doc->markerB = 456;
    ASSERT_TRUE(save(*doc));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(doc->currentTrace().modified, 0);
    EXPECT_TRUE(views.hints.empty());  // saving in place changes nothing on screen

    auto reread = CQUARLODoc::create(prompts);
    ASSERT_EQ(reread->openTraceFile(path("m.sor")), 1);
    EXPECT_EQ(reread->markerA, 123);
    EXPECT_EQ(reread->markerB, 456);
    EXPECT_STREQ(reread->currentTrace().gen.cableId, "SAVED");
}

TEST_F(DocumentCommandsTest, SaveWithNothingOpenDoesNothing) {
    EXPECT_FALSE(save(*doc));
    EXPECT_FALSE(saveAs(*doc, path("x")));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(dir.entries().empty());
}

TEST_F(DocumentCommandsTest, AFailedSaveIsReportedAndTheOldFileStays) {
    openTrace("big.sor", 50000);
    const std::vector<uint8_t> before = dir.read("big.sor");
    editCurrent("LOST");
    bool saved = true;
    {
        FileSizeLimit limit(4096);
        saved = save(*doc);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, textOf(150));
    EXPECT_NE(prompts.messages[0].text.find(path("big.sor")), std::string::npos);
    EXPECT_EQ(doc->currentTrace().modified, 1);
    EXPECT_EQ(dir.read("big.sor"), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.sor"});
}

TEST_F(DocumentCommandsTest, SavingAClippedTraceAsksFirst) {
    SorFile f = basicFile(500);
    f.blocks[0] = genBlock(std::string(70, 'L'));  // longer than the field holds
    dir.write("clip.sor", f.build());
    ASSERT_EQ(doc->openTraceFile(path("clip.sor")), 1);
    ASSERT_NE(doc->currentTrace().clipped, 0u);
    const std::vector<uint8_t> before = dir.read("clip.sor");

    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(save(*doc));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, textOf(151));
    EXPECT_EQ(prompts.messages[0].caption, path("clip.sor"));
    EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(dir.read("clip.sor"), before);

    prompts.answers = {PromptAnswer::Ok};
    EXPECT_TRUE(save(*doc));
    EXPECT_NE(dir.read("clip.sor"), before);
    EXPECT_EQ(cableIdOnDisk("clip.sor"), std::string(49, 'L'));
    // What is on disk now is all the trace holds: the next save has nothing to lose.
    prompts.messages.clear();
    EXPECT_TRUE(save(*doc));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(DocumentCommands, SaveAsNamesGetTheTraceExtension) {
    struct Case {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/d/abc", "/d/abc.sor"},         {"/d/abc.SOR", "/d/abc.SOR"}, {"/d/abc.Sor", "/d/abc.Sor.sor"},
        {"/d/abc.sor", "/d/abc.sor"},     {"/d/abc.sr", "/d/abc.sr.sor"}, {"a.sor", "a.sor"},
        {".sor", ".sor.sor"},             {"ab", "ab.sor"},             {".SOR", ".SOR.sor"},
        {"/d/sor", "/d/sor.sor"},
    };
    for (const Case& c : cases) EXPECT_EQ(saveAsName(c.chosen), c.written) << c.chosen;
}

TEST_F(DocumentCommandsTest, SaveAsWritesTheExtendedNameAndBindsTheTraceToIt) {
    struct Case {
        std::string chosen;
        std::string written;
    } cases[] = {
        {path("abc"), path("abc.sor")},
        {path("abc.SOR"), path("abc.SOR")},
        {path("abc.Sor"), path("abc.Sor.sor")},
        {"ab", "ab.sor"},  // relative to the current folder
    };
    openTrace("orig.sor");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        views.hints.clear();
        doc->currentTrace().modified = 1;
        ASSERT_TRUE(saveAs(*doc, c.chosen));
        EXPECT_TRUE(std::filesystem::is_regular_file(c.written));
        EXPECT_EQ(doc->currentTrace().path, c.written);
        EXPECT_EQ(doc->currentTrace().modified, 0);
        EXPECT_EQ(doc->title, bracketed(c.written));
        EXPECT_EQ(views.hints, std::vector<int>{kHintTracesChanged});
        auto reread = CQUARLODoc::create(prompts);
        EXPECT_EQ(reread->openTraceFile(c.written), 1);
    }
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"ab.sor", "abc.SOR", "abc.Sor.sor", "abc.sor", "orig.sor"}));

    // Later saves go to the new name.
    editCurrent("LATER");
    ASSERT_TRUE(save(*doc));
    EXPECT_EQ(cableIdOnDisk("ab.sor"), "LATER");
    EXPECT_EQ(cableIdOnDisk("orig.sor"), "C1");
}

TEST_F(DocumentCommandsTest, SaveAsAsksBeforeReplacingTheExtendedName) {
    openTrace("orig.sor");
    dir.writeText("old.sor", "keep me");
    dir.writeText("new", "a file without the extension");

    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(saveAs(*doc, path("old")));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, textOf(142));
    EXPECT_EQ(prompts.messages[0].caption, path("old.sor"));
    EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(dir.readText("old.sor"), "keep me");
    EXPECT_EQ(doc->currentTrace().path, path("orig.sor"));
    EXPECT_TRUE(views.hints.empty());

    prompts.messages.clear();
    prompts.answers = {PromptAnswer::Ok};
    EXPECT_TRUE(saveAs(*doc, path("old")));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(cableIdOnDisk("old.sor"), "C1");
    EXPECT_EQ(doc->currentTrace().path, path("old.sor"));

    // Only the name with its extension counts: "new" exists, "new.sor" does not.
    prompts.messages.clear();
    EXPECT_TRUE(saveAs(*doc, path("new")));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(dir.readText("new"), "a file without the extension");
}

TEST_F(DocumentCommandsTest, AFailedSaveAsKeepsTheOldName) {
    openTrace("big.sor", 50000);
    const std::string titleBefore = doc->title;
    bool saved = true;
    {
        FileSizeLimit limit(4096);
        saved = saveAs(*doc, path("copy"));
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, textOf(150));
    EXPECT_NE(prompts.messages[0].text.find(path("copy.sor")), std::string::npos) << prompts.messages[0].text;
    EXPECT_EQ(doc->currentTrace().path, path("big.sor"));
    EXPECT_EQ(doc->title, titleBefore);
    EXPECT_TRUE(views.hints.empty());
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.sor"});
}

TEST_F(DocumentCommandsTest, TheSaveAsCommandAsksForTheName) {
    openTrace("orig.sor");
    prompts.savePaths.push_back(path("chosen"));
    EXPECT_TRUE(saveAsCommand(*doc));
    EXPECT_EQ(doc->currentTrace().path, path("chosen.sor"));
    EXPECT_FALSE(saveAsCommand(*doc));  // cancelled
    EXPECT_EQ(doc->currentTrace().path, path("chosen.sor"));
}

// ---------------------------------------------------------------- enable rules

TEST_F(DocumentCommandsTest, EnableRulesFollowTheOpenTracesAndTheZoom) {
    struct State {
        const char* what;
        bool open;
        uint8_t zoomedH, zoomedV;
    };
    const State states[] = {{"none open", false, 0, 0}, {"none open, zoomed", false, 1, 1},
                            {"open", true, 0, 0},        {"open, zoomed across", true, 1, 0},
                            {"open, zoomed up", true, 0, 1}};
    const int needOpen[] = {kCmdClose, kCmdCloseAll, kCmdSave, kCmdSaveAs, kCmdEditFileInfo,
                            kCmdAddNonReflectiveEvent, kCmdAddReflectiveEvent};
    const int needZoom[] = {kCmdZoomOut, kCmdShowWholeTrace};
    const int noRule[] = {kCmdNew, kCmdOpen, kCmdExit, kCmdRecentFile, kCmdPrint, kCmdPrintPreview,
                          kCmdBatchPrint, kCmdBatchPrintPreview, kCmdReportOptions, kCmdPrintSetup,
                          kCmdBatchEditFileInfo, kCmdClearCurrentOffset, kCmdClearAllOffsets, kCmdLengthUnit,
                          kCmdTile, kCmdAbout, kCmdLockMarkers, kCmdInsertionLossMarkers, kCmdReflectanceMarkers,
                          kCmdScanTrace, kCmdThreePointDone, kCmdFourPointDone, kCmdFourPointCancel,
                          kCmdToolbarSpare1, kCmdToolbarSpare2, kCmdToolbarSpare3, kCmdToolbarSpare4,
                          kCmdFilePrint, kCmdToolBar, kCmdStatusBar, kCmdUpload, kCmdCascade, kCmdArrangeIcons};
    openTrace("z.sor");
    for (const State& s : states) {
        SCOPED_TRACE(s.what);
        doc->openCount = s.open ? 1 : 0;
        doc->zoomedH = s.zoomedH;
        doc->zoomedV = s.zoomedV;
        for (int id : needOpen) EXPECT_EQ(commandEnabled(*doc, id), std::optional<bool>(s.open)) << id;
        for (int id : needZoom)
            EXPECT_EQ(commandEnabled(*doc, id), std::optional<bool>(s.open && (s.zoomedH || s.zoomedV))) << id;
        for (int id : noRule) EXPECT_EQ(commandEnabled(*doc, id), std::nullopt) << id;
    }
}

// ---------------------------------------------------------------- start-up

TEST(DocumentCommands, StartUpPathFromTheCommandLine) {
    struct Case {
        std::string raw;
        std::string path;
    } cases[] = {
        {"", "space"},
        {"a", "a"},
        {"\"\"", "\"\""},  // two characters are passed on as they are
        {"\"", "\""},
        {"\"\"\"", "space"},
        {"/t/x.sor", "/t/x.sor"},
        {"\"/t/with blank/x.sor\"", "/t/with blank/x.sor"},
        {"-v \"/t/a b.sor\"\"", "/t/a b.sor"},
        {"/t/x.sor\"", "/t/x.sor"},
        {std::string(600, 'p'), std::string(499, 'p')},
    };
    for (const Case& c : cases) EXPECT_EQ(startupPathFromCommandLine(c.raw), c.path) << c.raw;
}

TEST_F(DocumentCommandsTest, AQuotedStartUpPathOpensAndAShortOneIsRefused) {
    const std::string traced = writeTrace("with blank.sor");
    EXPECT_EQ(doc->openTraceFile(startupPathFromCommandLine("\"" + traced + "\"")), 1);
    EXPECT_EQ(doc->currentTrace().path, traced);
    EXPECT_TRUE(prompts.messages.empty());

    EXPECT_EQ(doc->openTraceFile(startupPathFromCommandLine("ab")), 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, textOf(147));

    EXPECT_EQ(doc->openTraceFile(startupPathFromCommandLine("")), 0);
    EXPECT_EQ(prompts.messages.size(), 1u);  // "space" opens nothing and says nothing
    EXPECT_EQ(doc->openCount, 1);
}

}  // namespace
