#pragma once
// The five child windows of the main frame. They are created once, cannot be closed, and
// take their places from the main frame's tiling.

#include <QMdiSubWindow>
#include <functional>

namespace fv {

class ChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // `caption` is asked whenever the frame titles are updated.
    ChildFrame(QWidget* view, std::function<QString()> caption, QWidget* parent = nullptr);
    void updateTitle();
    // Called once the frame sits in the window area, which gives its windows the default
    // buttons when they are added.
    void removeCloseButton();
    QWidget* view() const { return widget(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<QString()> caption_;
};

}  // namespace fv
