#include "app/MainFrm.h"

#include "app/ChildFrames.h"
#include "app/ToolIcons.h"
#include "document/CQUARLODoc.h"
#include "document/TextTable.h"
#include "platform/LockIndicators.h"
#include "platform/QtPrompts.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace fv {

namespace {

// Prompt and tool tip of each command, as "prompt\ntip".
struct Prompt {
    int id;
    const char* text;
};
constexpr Prompt kPrompts[] = {
    {32771, "显示整个轨迹\n显示整个轨迹"},
    {32772, "分析插入损耗，激活辅助标识\n分析插入损耗"},
    {32773, "分析反射损耗，激活辅助标识\n分析反射损耗"},
    {32780, "关闭全部文件"},
    {32781, "锁定A B 标尺\n锁定AB标尺"},
    {32784, "缩小一级\n缩小"},
    {32792, "添加非反射事件"},
    {32793, "添加反射事件"},
    {32795, "scan the trace file"},
    {32803, "长度单位"},
    {32806, "清除轨迹垂直偏移\n清除当前曲线垂直偏移"},
    {32807, "上传文件"},
    {32808, "编辑文件特定信息\n编辑信息"},
    {32810, "批量文件修改"},
    {32811, "批量文件打印"},
    {32812, "批量文件打印预览"},
    {32815, "打印选项\n设置打印报告选项"},
    {32830, "打印\n打印"},
    {32831, "打印预览\n打印预览"},
    {32853, "清除全部曲线垂直偏移\n清除全部曲线垂直偏移"},
    {57601, "Open file\nOpen file"},
    {57616, "Recent files"},
};
constexpr const char* kReady = "Ready";  // the idle prompt

const char* promptOf(int id) {
    for (const Prompt& p : kPrompts)
        if (p.id == id) return p.text;
    return nullptr;
}

constexpr int kToolBar[] = {57601, 57602, 57603, 32808, 32868, 32830, 32831, 32815, 32869, 32781, 32772,
                            32773, 32870, 32784, 32771, 32806, 32853, 32871, 32792, 32793, 32795, 0, 57664};

}  // namespace

ChildLayout layoutFor(int w, int h) {
    // The status and tool bars lie outside the tiling area already, so the full height counts.
    ChildLayout l;
    l.group = QRect(0, 0, w / 3, h / 3);
    l.para1 = QRect(0, h / 3, w / 3, h / 3);
    l.para2 = QRect(0, 2 * h / 3, w / 3, h / 3);
    l.event = QRect((w - 3) / 3, 2 * h / 3, 2 * (w - 3) / 3, h / 3);
    l.trace = QRect((w - 3) / 3, 0, 2 * (w - 3) / 3, 2 * h / 3);
    return l;
}

CMainFrame::CMainFrame(CQUARLODoc& doc, CommandRouter& router)
    : doc_(doc), router_(router), mdi_(new QMdiArea(this)) {
    setObjectName("CMainFrame");
    setCentralWidget(mdi_);
    mdi_->viewport()->installEventFilter(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (auto* f = qobject_cast<ChildFrame*>(w)) {
            lastActive_ = f;
            if (f == frame(Frame::Trace)) f->view()->setFocus();  // the graph takes the keys
        }
        showMenus(w != nullptr);
        router_.refresh();
    });
    buildMenus();
    buildFrameMenus();
    showMenus(false);
    buildToolBar();
    buildStatusBar();
    qApp->installEventFilter(this);
    updateLockPanes();
    setWindowTitle(toQString(doc_.title));
    resize(1280, 800);
}

CMainFrame::~CMainFrame() {
    // The child windows go after this object has stopped being a main frame: let no signal
    // or event of theirs reach it then.
    disconnect(mdi_, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    mdi_->viewport()->removeEventFilter(this);
}

QAction* CMainFrame::command(int id, const char* menuText) {
    QAction* a = router_.action(id, QString::fromUtf8(menuText));
    if (const char* p = promptOf(id)) {
        const QString text = QString::fromUtf8(p);
        const qsizetype nl = text.indexOf('\n');
        a->setStatusTip(nl < 0 ? text : text.left(nl));
        a->setToolTip(nl < 0 ? text : text.mid(nl + 1));
    } else if (a->statusTip().isEmpty()) {
        QString t = QString::fromUtf8(menuText);
        t = t.left(t.indexOf('\t') < 0 ? t.size() : t.indexOf('\t')).remove('&');
        a->setStatusTip(t);
        a->setToolTip(t);
    }
    return a;
}

void CMainFrame::buildMenus() {
    auto menu = [this](const char* title) {
        auto* m = new QMenu(QString::fromUtf8(title), this);
        childMenus_ << m;
        return m;
    };
    QMenu* file = menu("文件(&F)");
    file->addAction(command(57601, "打开(&O)...\tCtrl+O"));
    file->addSeparator();
    file->addAction(command(57602, "关闭当前文件(&C)"));
    file->addAction(command(32780, "关闭全部文件"));
    file->addSeparator();
    file->addAction(command(57603, "保存(&S)\tCtrl+S"));
    file->addAction(command(57604, "另存为(&A)..."));
    file->addAction(command(57665, "退出(&X)"));
    file->addSeparator();
    file->addSeparator();
    recentMenu_ = file->addMenu(QString::fromUtf8("最近文件"));
    recentMenu_->menuAction()->setObjectName("57616");

    QMenu* print = menu("打印");
    print->addAction(command(32830, "打印"));
    print->addAction(command(32831, "打印预览(&V)"));
    print->addSeparator();
    print->addAction(command(32811, "批量文件打印"));
    print->addAction(command(32812, "批量文件打印预览"));
    print->addSeparator();
    print->addAction(command(32815, "设置打印报告选项"));
    print->addSeparator();
    print->addAction(command(57606, "打印机设置(&R)..."));

    QMenu* edit = menu("编辑(&E)");
    edit->addSeparator();
    edit->addAction(command(32808, "修改文件信息"));
    edit->addAction(command(32810, "批量文件修改"));

    QMenu* view = menu("查看(&V)");
    view->addAction(command(32784, "缩小轨迹"));
    view->addAction(command(32771, "显示整个轨迹"));
    view->addAction(command(32806, "清除当前文件垂直偏移"));
    view->addAction(command(32853, "清除全部文件垂直偏移"));
    view->addAction(command(32803, "长度单位"));

    QMenu* window = menu("窗口(&W)");
    window->addAction(command(32813, "平铺(&T)"));

    QMenu* help = menu("帮助(&H)");
    help->addAction(command(57664, "关于Fibrovue(&A)..."));

    // Accelerators: one action per command, so the keys follow its enable state.
    router_.action(57601)->setShortcut(QKeySequence("Ctrl+O"));
    router_.action(57603)->setShortcut(QKeySequence("Ctrl+S"));
    QAction* print57607 = command(57607, "打印");
    print57607->setShortcut(QKeySequence("Ctrl+P"));
    addAction(print57607);
    QAction* newFile = command(57600, "New");
    newFile->setShortcut(QKeySequence("Ctrl+N"));
    addAction(newFile);

    for (QMenu* m : {file, print, edit, view, window, help})
        connect(m, &QMenu::aboutToShow, &router_, &CommandRouter::refresh);
}

void CMainFrame::buildFrameMenus() {
    auto menu = [this](const char* title) {
        auto* m = new QMenu(QString::fromUtf8(title), this);
        frameMenus_ << m;
        connect(m, &QMenu::aboutToShow, &router_, &CommandRouter::refresh);
        return m;
    };
    QMenu* file = menu("File(&F)");
    file->addAction(router_.action(57600));
    file->addAction(router_.action(57601));
    file->addAction(router_.action(57606));
    file->addSeparator();
    frameRecentMenu_ = file->addMenu(QString::fromUtf8("Recent File"));
    file->addSeparator();
    file->addAction(router_.action(57665));
    QMenu* view = menu("view(&V)");
    view->addAction(command(59392, "Tool Bar"));
    view->addAction(command(59393, "Status bar"));
    view->addAction(command(32797, "3PT ok refl"));
    view->addAction(command(32798, "4PT SET OK"));
    view->addAction(command(32799, "SET 4PT CANCEL"));
    QMenu* help = menu("Help(&H)");
    help->addAction(router_.action(57664));
}

void CMainFrame::showMenus(bool childActive) {
    if (childActive == childMenusShown_ && !menuBar()->actions().isEmpty()) return;
    childMenusShown_ = childActive;
    menuBar()->clear();
    for (QMenu* m : childActive ? childMenus_ : frameMenus_) menuBar()->addMenu(m);
}

void CMainFrame::buildToolBar() {
    toolBar_ = addToolBar("128");
    toolBar_->setObjectName("toolbar128");
    toolBar_->setMovable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : kToolBar) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = router_.action(id);
        if (a->text().isEmpty()) {  // a toolbar-only command: named by its tip
            command(id, "");
            a->setText(a->toolTip().isEmpty() ? QString::number(id) : a->toolTip());
        }
        a->setIcon(toolIcon(id));
        toolBar_->addAction(a);
    }
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->showMessage(kReady);
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& m) {
        if (m.isEmpty()) bar->showMessage(kReady);
    });
    const char* locks[] = {"大写", "数字", "滚动"};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QString("lock%1").arg(59137 + i));
        // Sized for its text, shown blank while the lock state is not known.
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString::fromUtf8(locks[i])) + 8);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(l);
        lockPanes_[size_t(i)] = l;
    }
}

void CMainFrame::setFrame(Frame which, ChildFrame* frame) {
    frames_[size_t(which)] = frame;
    mdi_->addSubWindow(frame);
    frame->removeCloseButton();
    frame->show();
    layoutChildren();
}

void CMainFrame::layoutChildren() {
    const QSize area = mdi_->viewport()->size();
    const ChildLayout l = layoutFor(area.width(), area.height());
    const std::pair<Frame, QRect> places[] = {{Frame::Group, l.group}, {Frame::Para1, l.para1},
                                               {Frame::Para2, l.para2}, {Frame::Event, l.event},
                                               {Frame::Trace, l.trace}};
    for (const auto& [which, rect] : places) {
        ChildFrame* f = frame(which);
        if (!f) continue;
        if (which == Frame::Event || which == Frame::Trace) f->showNormal();
        f->setGeometry(rect);
    }
}

void CMainFrame::updateFrameTitles() {
    for (ChildFrame* f : frames_)
        if (f) f->updateTitle();
    setWindowTitle(toQString(doc_.title));
}

void CMainFrame::setRecentFiles(const QStringList& files) {
    recentMenu_->clear();
    int n = 1;
    for (const QString& f : files) {
        QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(n++).arg(f));
        connect(a, &QAction::triggered, this, [this, f] { Q_EMIT recentFileChosen(f); });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

void CMainFrame::updateLockPanes() {
    static const char* const texts[] = {"大写", "数字", "滚动"};
    const auto states = readLockStates();
    for (size_t i = 0; i < lockPanes_.size(); ++i)
        lockPanes_[i]->setText(states && (*states)[i] ? QString::fromUtf8(texts[i]) : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize) layoutChildren();
    // The lock states are read when they can have changed: on keys and on activation.
    if (watched == qApp && (event->type() == QEvent::KeyRelease || event->type() == QEvent::ApplicationActivate))
        updateLockPanes();
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::runCommand(int id) {
    switch (id) {
        case 32795: return true;  // the scan runs once the detector exists
        case 59392: toolBar_->setHidden(!toolBar_->isHidden()); return true;
        case 59393: statusBar()->setHidden(!statusBar()->isHidden()); return true;
        default: return false;
    }
}

bool CMainFrame::handlesCommand(int id) const { return id == 32795 || id == 59392 || id == 59393; }

std::optional<bool> CMainFrame::commandChecked(int id) const {
    if (id == 59392) return toolBar_ && !toolBar_->isHidden();
    if (id == 59393) return !statusBar()->isHidden();
    return std::nullopt;
}

std::optional<bool> CMainFrame::commandEnabled(int id) const {
    if (id == 32795) return doc_.analysisSwitch != 0;
    return std::nullopt;
}

}  // namespace fv
