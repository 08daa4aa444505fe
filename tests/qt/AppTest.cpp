// The desktop program under the offscreen platform, with scripted answers to its dialogs.

#include "app/CQUARLOApp.h"
#include "app/ChildFrames.h"
#include "app/LengthUnit.h"
#include "app/MainFrm.h"
#include "app/MyOpenDlg.h"
#include "display/GraphWindow.h"
#include "display/qt/TraceShowView.h"
#include "document/CQUARLODoc.h"
#include "document/DocumentCommands.h"
#include "document/TextTable.h"
#include "platform/QtPrompts.h"
#include "support/ScriptedPrompts.h"
#include "support/SorBuilder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QScrollBar>
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace fv;
using namespace fv::test;

namespace {

class AppTest : public testing::Test {
protected:
    TempDir dir, home;
    ScriptedPrompts prompts;
    std::unique_ptr<CQUARLOApp> app;

    void SetUp() override {
        dir.enter();
        ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);  // the recent-file list goes here
        app = std::make_unique<CQUARLOApp>(&prompts);
    }
    void start(const QStringList& args = {}) {
        ASSERT_TRUE(app->startUp(args, false));
        app->mainFrame().resize(1200, 800);
        app->mainFrame().show();
        QApplication::processEvents();
    }
    std::string trace(const std::string& name, int points = 2000) { return dir.write(name, basicFile(points).build()); }
    QString title(CMainFrame::Frame f) { return app->mainFrame().frame(f)->windowTitle(); }
    bool enabled(int id) { return app->router().isEnabled(id); }
};

}  // namespace

TEST_F(AppTest, StartsWithoutAFileShowingFiveEmptyWindows) {
    start();
    CQUARLODoc& doc = app->document();
    EXPECT_EQ(doc.openCount, 0);
    EXPECT_EQ(app->mainFrame().windowTitle(), QString::fromUtf8("[空]"));
    EXPECT_EQ(app->mainFrame().mdiArea()->subWindowList().size(), 5);
    EXPECT_EQ(title(CMainFrame::Frame::Trace), QString::fromUtf8(textOf(6)));
    EXPECT_EQ(title(CMainFrame::Frame::Event), QString::fromUtf8(textOf(8)));
    EXPECT_EQ(title(CMainFrame::Frame::Para1), QString::fromUtf8("标尺"));
    EXPECT_EQ(title(CMainFrame::Frame::Para2), QString::fromUtf8(textOf(7)));
    EXPECT_EQ(title(CMainFrame::Frame::Group), QString::fromUtf8(textOf(5)));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(app->view(i)->initialUpdates(), 1) << i;
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(AppTest, StartsOnTheFileOfTheCommandLine) {
    const std::string path = trace("with blanks.sor");
    start({QString::fromStdString("\"" + path + "\"")});
    EXPECT_EQ(app->document().openCount, 1);
    EXPECT_EQ(app->mainFrame().windowTitle(), QString::fromStdString("[" + path + "]"));
    EXPECT_EQ(app->mainFrame().mdiArea()->activeSubWindow(), app->mainFrame().frame(CMainFrame::Frame::Trace));
    EXPECT_EQ(QSettings().value("Recent File List").toStringList().value(0), QString::fromStdString(path));
}

TEST_F(AppTest, AShortCommandLineIsRefusedAsNotATraceFile) {
    start({"ab"});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, textOf(147));
    EXPECT_EQ(app->document().openCount, 0);
}

TEST_F(AppTest, FramesCannotBeClosed) {
    start();
    ChildFrame* f = app->mainFrame().frame(CMainFrame::Frame::Event);
    EXPECT_FALSE(f->close());
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->windowFlags() & Qt::WindowCloseButtonHint);
    bool sawClose = false;
    for (QAction* a : f->systemMenu()->actions())
        if (a->shortcut() == QKeySequence::Close) {
            sawClose = true;
            EXPECT_FALSE(a->isEnabled());
        }
    EXPECT_TRUE(sawClose);
}

TEST_F(AppTest, QuittingAsksBeforeAModifiedTraceIsLost) {
    start();
    app->openDocumentFile(trace("m.sor"));
    app->document().currentTrace().modified = 1;
    prompts.answers.push_back(PromptAnswer::Cancel);
    EXPECT_FALSE(app->mainFrame().close());
    EXPECT_TRUE(app->mainFrame().isVisible());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::YesNoCancel);
    prompts.answers.push_back(PromptAnswer::No);
    EXPECT_TRUE(app->mainFrame().close());
}

TEST(ChildLayout, TilesByTheIntegerFormulas) {
    struct Case {
        int w, h;
    } cases[] = {{1200, 700}, {1001, 599}};
    for (const Case& c : cases) {
        const ChildLayout l = layoutFor(c.w, c.h);
        EXPECT_EQ(l.group, QRect(0, 0, c.w / 3, c.h / 3));
        EXPECT_EQ(l.para1, QRect(0, c.h / 3, c.w / 3, c.h / 3));
        EXPECT_EQ(l.para2, QRect(0, 2 * c.h / 3, c.w / 3, c.h / 3));
        EXPECT_EQ(l.event, QRect((c.w - 3) / 3, 2 * c.h / 3, 2 * (c.w - 3) / 3, c.h / 3));
        EXPECT_EQ(l.trace, QRect((c.w - 3) / 3, 0, 2 * (c.w - 3) / 3, 2 * c.h / 3));
    }
}

TEST_F(AppTest, ResizingRetilesEveryWindow) {
    start();
    CMainFrame& frame = app->mainFrame();
    frame.frame(CMainFrame::Frame::Trace)->move(300, 300);  // the user moved it
    for (QSize size : {QSize(1000, 700), QSize(1400, 900)}) {
        frame.resize(size);
        QApplication::processEvents();
        const QSize area = frame.mdiArea()->viewport()->size();
        const ChildLayout l = layoutFor(area.width(), area.height());
        EXPECT_EQ(frame.frame(CMainFrame::Frame::Trace)->geometry(), l.trace);
        EXPECT_EQ(frame.frame(CMainFrame::Frame::Group)->geometry(), l.group);
        EXPECT_EQ(frame.frame(CMainFrame::Frame::Event)->geometry(), l.event);
    }
}

TEST_F(AppTest, CommandsAreEnabledByTheDocumentsState) {
    start();
    const int needFile[] = {kCmdClose, kCmdCloseAll, kCmdSave, kCmdSaveAs, kCmdEditFileInfo,
                            kCmdAddNonReflectiveEvent, kCmdAddReflectiveEvent};
    for (int id : needFile) EXPECT_FALSE(enabled(id)) << id;
    for (int id : {kCmdZoomOut, kCmdShowWholeTrace}) EXPECT_FALSE(enabled(id)) << id;
    for (int id : {kCmdOpen, kCmdTile, kCmdLengthUnit, kCmdAbout}) EXPECT_TRUE(enabled(id)) << id;
    // Without a handler, or with the analysis switch off, commands stay disabled.
    for (int id : {kCmdToolbarSpare1, kCmdToolbarSpare2, kCmdToolbarSpare3, kCmdToolbarSpare4, kCmdScanTrace, kCmdNew})
        EXPECT_FALSE(enabled(id)) << id;

    app->openDocumentFile(trace("a.sor"));
    for (int id : needFile) EXPECT_TRUE(enabled(id)) << id;
    // Zooming out needs a window that is, or may be, zoomed; the graph's update after an
    // open counts the window as possibly zoomed.
    CQUARLODoc& doc = app->document();
    EXPECT_TRUE(enabled(kCmdZoomOut));
    doc.zoomedH = doc.zoomedV = 0;
    EXPECT_FALSE(enabled(kCmdZoomOut));
    EXPECT_FALSE(enabled(kCmdShowWholeTrace));
    doc.zoomedV = 1;
    EXPECT_TRUE(enabled(kCmdZoomOut));
    EXPECT_TRUE(enabled(kCmdShowWholeTrace));
    doc.analysisSwitch = 1;
    EXPECT_TRUE(enabled(kCmdScanTrace));
}

TEST_F(AppTest, ClosingFollowsTheLowestSlotAndEmptiesTheCaptions) {
    start();
    app->openDocumentFile(trace("a.sor"));
    app->openDocumentFile(trace("b.sor"));
    app->router().run(kCmdClose);
    EXPECT_EQ(app->document().openCount, 1);
    EXPECT_EQ(app->document().currentSlot, 0);
    app->router().run(kCmdCloseAll);
    EXPECT_EQ(app->document().openCount, 0);
    EXPECT_EQ(app->mainFrame().windowTitle(), QString::fromUtf8("[空]"));
    EXPECT_EQ(app->view(1)->lastHint(), kHintTracesChanged);
}

TEST_F(AppTest, TheLengthUnitDialogRefreshesTheViewsEvenWhenCancelled) {
    start();
    int asked = -1;
    app->askLengthUnit = [&](int current) {
        asked = current;
        return -1;  // Cancel
    };
    app->router().run(kCmdLengthUnit);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(app->view(2)->lastHint(), kHintLengthUnit);
    EXPECT_EQ(app->document().lengthUnit, 0);
    app->askLengthUnit = [](int) { return 2; };
    app->router().run(kCmdLengthUnit);
    EXPECT_EQ(app->document().lengthUnit, 2);
    EXPECT_NE(dir.readText("quarloConfig.ini").find("LengthUnit=2"), std::string::npos);
}

TEST(LengthUnitDialog, ShowsItsTextsAndTheCurrentUnit) {
    CLengthUnit dlg(1);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(textOf(112)));
    EXPECT_EQ(dlg.unit(), 1);
    auto* miles = dlg.findChild<QWidget*>("1087");
    ASSERT_NE(miles, nullptr);
    EXPECT_EQ(miles->property("text").toString(), QString::fromUtf8(textOf(115)));
    EXPECT_EQ(CLengthUnit(7).unit(), 0);
}

TEST_F(AppTest, MenusCarryTheProgramsCommandsInOrder) {
    start();
    const QList<QAction*> top = app->mainFrame().menuBar()->actions();
    QStringList titles;
    for (QAction* a : top) titles << a->text();
    EXPECT_EQ(titles, QStringList({QString::fromUtf8("文件(&F)"), QString::fromUtf8("打印"), QString::fromUtf8("编辑(&E)"),
                                   QString::fromUtf8("查看(&V)"), QString::fromUtf8("窗口(&W)"),
                                   QString::fromUtf8("帮助(&H)")}));
    QStringList fileIds;
    for (QAction* a : top[0]->menu()->actions()) fileIds << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(fileIds, QStringList({"57601", "-", "57602", "32780", "-", "57603", "57604", "57665", "-", "-", "57616"}));
    QStringList toolIds;
    for (QAction* a : app->mainFrame().findChild<QToolBar*>("toolbar128")->actions())
        toolIds << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(toolIds, QStringList({"57601", "57602", "57603", "32808", "32868", "32830", "32831", "32815",
                                    "32869", "32781", "32772", "32773", "32870", "32784", "32771", "32806",
                                    "32853", "32871", "32792", "32793", "32795", "-", "57664"}));
    EXPECT_EQ(app->router().action(kCmdZoomOut)->toolTip(), QString::fromUtf8("缩小"));
    EXPECT_EQ(app->router().action(kCmdZoomOut)->statusTip(), QString::fromUtf8("缩小一级"));
}

TEST_F(AppTest, WithNoActiveChildTheFramesOwnMenuShows) {
    start();
    auto titles = [this] {
        QStringList t;
        for (QAction* a : app->mainFrame().menuBar()->actions()) t << a->text();
        return t;
    };
    app->mainFrame().mdiArea()->setActiveSubWindow(nullptr);
    EXPECT_EQ(titles(), QStringList({"File(&F)", "view(&V)", "Help(&H)"}));
    EXPECT_TRUE(app->router().action(59392)->isChecked());
    app->router().run(59392);
    EXPECT_FALSE(app->router().action(59392)->isChecked());
    app->mainFrame().mdiArea()->setActiveSubWindow(app->mainFrame().frame(CMainFrame::Frame::Event));
    EXPECT_EQ(titles().value(0), QString::fromUtf8("文件(&F)"));
}

TEST_F(AppTest, ScrollBarsMoveTheGraphWindow) {
    start();
    app->openDocumentFile(trace("s.sor", 20000));
    CQUARLODoc& doc = app->document();
    CTraceShowView* view = app->traceView();
    // Zoomed to a tenth of the trace, at its start.
    doc.kmPerDiv /= 10;
    doc.viewStartKm = 0;
    doc.zoomedH = 1;
    view->graphArea()->repaint();
    const double pixelKm = 10.0 * doc.kmPerDiv / view->graphArea()->width();
    view->horizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_NEAR(doc.viewStartKm, pixelKm, 1e-6);
    view->horizontalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_NEAR(doc.viewStartKm, pixelKm + 2 * doc.kmPerDiv, 1e-5);
    view->horizontalBar()->triggerAction(QAbstractSlider::SliderToMinimum);  // only a hint
    EXPECT_NEAR(doc.viewStartKm, pixelKm + 2 * doc.kmPerDiv, 1e-5);
    EXPECT_EQ(app->view(1)->lastHint(), kHintScrolled);

    app->router().run(kCmdShowWholeTrace);
    EXPECT_EQ(doc.viewStartKm, 0.0f);
    EXPECT_EQ(doc.zoomedH, 0);
    EXPECT_EQ(app->view(1)->lastHint(), kHintRedraw);
}

TEST_F(AppTest, TheOpenDialogPreviewsTheSelectedTrace) {
    CMyOpenDlg dlg;
    dlg.onSelectionChanged(QString::fromStdString(trace("p.SOR", 20000)));
    EXPECT_TRUE(dlg.previewValid());
    EXPECT_TRUE(dlg.infoText().startsWith(QString::fromUtf8(textOf(25))));
    dir.writeText("notes.txt", "x");
    dlg.onSelectionChanged(QString::fromStdString(dir.path() + "/notes.txt"));
    EXPECT_FALSE(dlg.previewValid());
    EXPECT_EQ(dlg.infoText(), "   ");
}

TEST_F(AppTest, ScreenshotOfTheMainWindowWithTwoTraces) {
    start();
    app->openDocumentFile(FIBROVUE_EXAMPLES_DIR "/demo-1550nm.sor");
    app->openDocumentFile(FIBROVUE_EXAMPLES_DIR "/short-1310nm.sor");
    // Make the longer trace current again, with its whole length in view.
    CQUARLODoc& doc = app->document();
    doc.MapMarkersToTrace(0);
    doc.currentSlot = 0;
    doc.updateAllViews(nullptr, kHintTracesChanged);
    app->router().run(kCmdShowWholeTrace);
    QApplication::processEvents();
    const QImage shot = app->mainFrame().grab().toImage();
    EXPECT_TRUE(shot.save(QString(FIBROVUE_BUILD_DIR) + "/main-window.png"));
    // The graph shows the current trace in slot 0's red.
    const QImage graph = app->traceView()->composeFrame();
    int red = 0;
    for (int y = 0; y < graph.height(); ++y)
        for (int x = 0; x < graph.width(); ++x) red += graph.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, graph.width());
    EXPECT_EQ(app->mainFrame().frame(CMainFrame::Frame::Trace)->windowTitle(),
              QString::fromStdString(formatGraphCaption(0, doc.kmPerDiv, doc.dbPerDiv)));
}
