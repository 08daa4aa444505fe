#pragma once
// The application: the main window, the one document, the five child windows, and the
// path every request to open a file takes.

#include "platform/CommandRouter.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

namespace fv {

class CMainFrame;
class CQUARLODoc;
class ChildFrame;
class Prompts;
class QtPrompts;
class CTraceShowView;
class CEventView;
class CParaView;
class CFileTeam;
class ViewWidget;

class CQUARLOApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // `prompts` answers the program's questions; the Qt dialogs when none is given.
    explicit CQUARLOApp(Prompts* prompts = nullptr);
    ~CQUARLOApp() override;

    // Creates the main window and the document, shows the window and opens the file the
    // command line names (all arguments after the program's name).
    bool startUp(const QStringList& arguments, bool show = true);
    // Opens a file ("space": none) and refreshes every view; the document either way.
    CQUARLODoc& openDocumentFile(const std::string& path);

    CQUARLODoc& document() { return *doc_; }
    CMainFrame& mainFrame() { return *frame_; }
    CommandRouter& router() { return router_; }
    Prompts& prompts() { return *prompts_; }
    CTraceShowView* traceView() const { return traceView_; }
    ViewWidget* view(int index) const;  // 0 trace, 1 event, 2 para 1, 3 para 2, 4 group

    // The length-unit question; tests replace it.
    std::function<int(int)> askLengthUnit;

    bool runCommand(int id) override;
    bool handlesCommand(int id) const override;

private:
    class DocumentTarget;
    void createFrames();
    void addRecentFile(const std::string& path);
    QStringList recentFiles() const;
    void about();
    std::vector<CommandTarget*> commandChain();

    CommandRouter router_;
    std::unique_ptr<QtPrompts> ownPrompts_;
    Prompts* prompts_;
    std::unique_ptr<CQUARLODoc> doc_;
    std::unique_ptr<DocumentTarget> docTarget_;
    std::unique_ptr<CMainFrame> frame_;
    CTraceShowView* traceView_ = nullptr;
    CEventView* eventView_ = nullptr;
    CParaView* paraView1_ = nullptr;
    CParaView* paraView2_ = nullptr;
    CFileTeam* groupView_ = nullptr;
};

}  // namespace fv
