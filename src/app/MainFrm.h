#pragma once
// The main window: menus, toolbar, status bar and the tiled area of the five child windows.

#include "platform/CommandRouter.h"

#include <QMainWindow>
#include <QRect>
#include <array>
#include <optional>

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace fv {

class CQUARLODoc;
class ChildFrame;

// Where each child window goes in a client area of w x h pixels.
struct ChildLayout {
    QRect group, para1, para2, event, trace;
};
ChildLayout layoutFor(int w, int h);

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    CMainFrame(CQUARLODoc& doc, CommandRouter& router);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return mdi_; }
    enum class Frame { Trace, Event, Para1, Para2, Group };
    void setFrame(Frame which, ChildFrame* frame);
    ChildFrame* frame(Frame which) const { return frames_[size_t(which)]; }

    // Places the five child windows; on every resize and by the tiling command.
    void layoutChildren();
    void updateFrameTitles();
    // The recent-file list of the File menu.
    void setRecentFiles(const QStringList& files);
    // The child window last made active; commands of the modeless dialogs go to its view.
    ChildFrame* lastActiveFrame() const { return lastActive_; }

    bool runCommand(int id) override;
    bool handlesCommand(int id) const override;
    std::optional<bool> commandEnabled(int id) const override;
    std::optional<bool> commandChecked(int id) const override;

Q_SIGNALS:
    void recentFileChosen(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildFrameMenus();
    // Menu 129 while a child window is active, the frame's own menu 128 while none is.
    void showMenus(bool childActive);
    void buildToolBar();
    void buildStatusBar();
    void updateLockPanes();
    QAction* command(int id, const char* menuText);

    CQUARLODoc& doc_;
    CommandRouter& router_;
    QMdiArea* mdi_;
    QMenu* childMenuFile_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* frameRecentMenu_ = nullptr;
    QList<QMenu*> childMenus_, frameMenus_;
    bool childMenusShown_ = false;
    QToolBar* toolBar_ = nullptr;
    std::array<ChildFrame*, 5> frames_{};
    ChildFrame* lastActive_ = nullptr;
    std::array<QLabel*, 3> lockPanes_{};
};

}  // namespace fv
