#include "app/CQUARLOApp.h"

#include "app/ChildFrames.h"
#include "app/LengthUnit.h"
#include "app/MainFrm.h"
#include "app/MyOpenDlg.h"
#include "display/qt/TraceShowView.h"
#include "document/CQUARLODoc.h"
#include "document/DocumentCommands.h"
#include "document/TextTable.h"
#include "panels/EventView.h"
#include "panels/ParaView.h"
#include "panels/TraceGroup.h"
#include "platform/QtPrompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QSettings>
#include <QVBoxLayout>

namespace fv {

namespace {
constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
constexpr const char* kSettingsApplication = "Fibrovue";
}  // namespace

// The document's commands and enable rules, in the command route.
class CQUARLOApp::DocumentTarget : public CommandTarget {
public:
    explicit DocumentTarget(CQUARLOApp& app) : app_(app) {}

    bool runCommand(int id) override {
        CQUARLODoc& doc = app_.document();
        switch (id) {
            case kCmdClose: closeCurrent(doc); break;
            case kCmdCloseAll: closeAll(doc); break;
            case kCmdSave: save(doc); break;
            case kCmdSaveAs: saveAsCommand(doc); break;
            case kCmdTile: app_.mainFrame().layoutChildren(); break;
            case kCmdLengthUnit: chooseLengthUnit(doc, app_.askLengthUnit); break;
            case kCmdCascade:
            case kCmdArrangeIcons: break;  // the tiling stays
            default: return false;
        }
        app_.mainFrame().updateFrameTitles();
        return true;
    }
    bool handlesCommand(int id) const override {
        switch (id) {
            case kCmdClose: case kCmdCloseAll: case kCmdSave: case kCmdSaveAs: case kCmdTile:
            case kCmdLengthUnit: case kCmdCascade: case kCmdArrangeIcons: return true;
            default: return false;
        }
    }
    std::optional<bool> commandEnabled(int id) const override { return fv::commandEnabled(app_.document(), id); }

private:
    CQUARLOApp& app_;
};

// Quitting asks before modified traces are discarded.
class QuitGuard : public QObject {
public:
    QuitGuard(CQUARLODoc& doc, QObject* parent) : QObject(parent), doc_(doc) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && !confirmDiscardAll(doc_)) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CQUARLODoc& doc_;
};

CQUARLOApp::CQUARLOApp(Prompts* prompts) {
    if (!prompts) {
        ownPrompts_ = std::make_unique<QtPrompts>();
        ownPrompts_->setOpenDialogFactory([](QWidget* parent) { return new CMyOpenDlg(parent); });
        prompts = ownPrompts_.get();
    }
    prompts_ = prompts;
    askLengthUnit = [this](int current) { return fv::askLengthUnit(current, frame_.get()); };
}

CQUARLOApp::~CQUARLOApp() {
    // The views unregister from the document as the frame goes.
    frame_.reset();
}

bool CQUARLOApp::startUp(const QStringList& arguments, bool show) {
    QCoreApplication::setOrganizationName(kSettingsOrganisation);
    QCoreApplication::setApplicationName(kSettingsApplication);
    doc_ = CQUARLODoc::create(*prompts_);
    docTarget_ = std::make_unique<DocumentTarget>(*this);
    router_.setChain([this] { return commandChain(); });
    frame_ = std::make_unique<CMainFrame>(*doc_, router_);
    frame_->installEventFilter(new QuitGuard(*doc_, frame_.get()));
    if (ownPrompts_) ownPrompts_->setParent(frame_.get());
    connect(frame_.get(), &CMainFrame::recentFileChosen, this,
            [this](const QString& p) { openDocumentFile(toStdString(p)); });
    frame_->setRecentFiles(recentFiles());
    router_.action(kCmdOpen);
    if (show) frame_->show();

    const std::string raw = toStdString(arguments.join(' '));
    openDocumentFile(startupPathFromCommandLine(raw));
    router_.refresh();
    return true;
}

std::vector<CommandTarget*> CQUARLOApp::commandChain() {
    // The active view first: with a modeless dialog active, the last active child's view.
    CommandTarget* view = nullptr;
    if (frame_) {
        ChildFrame* active = qobject_cast<ChildFrame*>(frame_->mdiArea()->activeSubWindow());
        if (!active) active = frame_->lastActiveFrame();
        if (active) view = dynamic_cast<CommandTarget*>(active->view());
    }
    return {view, docTarget_.get(), frame_.get(), this};
}

void CQUARLOApp::createFrames() {
    CQUARLODoc& doc = *doc_;
    auto text = [](int id) { return QString::fromUtf8(textOf(id)); };
    if (!frame_->frame(CMainFrame::Frame::Trace)) {
        traceView_ = new CTraceShowView(doc);
        frame_->setFrame(CMainFrame::Frame::Trace,
                         new ChildFrame(traceView_, [&doc] { return toQString(doc.graphCaption); }));
    }
    if (!frame_->frame(CMainFrame::Frame::Event)) {
        eventView_ = new CEventView(doc);
        frame_->setFrame(CMainFrame::Frame::Event, new ChildFrame(eventView_, [text] { return text(8); }));
    }
    if (!frame_->frame(CMainFrame::Frame::Para1)) {
        paraView1_ = new CParaView(doc, 1);
        frame_->setFrame(CMainFrame::Frame::Para1,
                         new ChildFrame(paraView1_, [] { return QString::fromUtf8("标尺"); }));
    }
    if (!frame_->frame(CMainFrame::Frame::Para2)) {
        paraView2_ = new CParaView(doc, 2);
        frame_->setFrame(CMainFrame::Frame::Para2, new ChildFrame(paraView2_, [text] { return text(7); }));
    }
    if (!frame_->frame(CMainFrame::Frame::Group)) {
        groupView_ = new CFileTeam(doc);
        frame_->setFrame(CMainFrame::Frame::Group, new ChildFrame(groupView_, [text] { return text(5); }));
    }
}

ViewWidget* CQUARLOApp::view(int index) const {
    switch (index) {
        case 0: return traceView_;
        case 1: return eventView_;
        case 2: return paraView1_;
        case 3: return paraView2_;
        case 4: return groupView_;
        default: return nullptr;
    }
}

CQUARLODoc& CQUARLOApp::openDocumentFile(const std::string& path) {
    const int opened = doc_->openTraceFile(path);
    createFrames();
    // Every view runs its initial update on every open, in the frames' order.
    for (int i = 0; i < 5; ++i) view(i)->onInitialUpdate();
    frame_->mdiArea()->setActiveSubWindow(frame_->frame(CMainFrame::Frame::Trace));
    if (opened && path != "space") {
        addRecentFile(doc_->currentTrace().path);
        doc_->updateCaptions();
    }
    frame_->updateFrameTitles();
    router_.refresh();
    return *doc_;
}

QStringList CQUARLOApp::recentFiles() const {
    QSettings s;
    return s.value("Recent File List").toStringList();
}

void CQUARLOApp::addRecentFile(const std::string& path) {
    QStringList files = recentFiles();
    const QString p = toQString(path);
    files.removeAll(p);
    files.prepend(p);
    while (files.size() > kRecentFileEntries) files.removeLast();
    QSettings().setValue("Recent File List", files);
    frame_->setRecentFiles(files);
}

void CQUARLOApp::about() {
    QDialog dlg(frame_.get());
    dlg.setObjectName("100");
    dlg.setWindowTitle(QString::fromUtf8(textOf(110)));
    auto* icon = new QLabel(&dlg);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    auto* name = new QLabel(QStringLiteral("Fibrovue 1.0"), &dlg);
    auto* line = new QLabel(QString::fromUtf8(textOf(111)), &dlg);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, &dlg);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(line);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addLayout(row);
    layout->addWidget(box);
    dlg.exec();
}

bool CQUARLOApp::runCommand(int id) {
    switch (id) {
        case kCmdOpen:
            openFilesCommand(*doc_, [this](const std::string& p) { openDocumentFile(p); });
            return true;
        case kCmdAbout: about(); return true;
        case kCmdExit: frame_->close(); return true;
        default: return false;
    }
}

bool CQUARLOApp::handlesCommand(int id) const { return id == kCmdOpen || id == kCmdAbout || id == kCmdExit; }

}  // namespace fv
