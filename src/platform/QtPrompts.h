#pragma once
// Prompts with Qt's message boxes and file dialogs.

#include "document/Prompts.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QFileDialog;

namespace fv {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    PromptAnswer message(std::string_view text, std::string_view caption, PromptButtons buttons) override;
    std::vector<std::string> chooseOpenFiles(std::string_view caption, const std::vector<FileFilter>& filters,
                                             bool multiple) override;
    std::string chooseSavePath(std::string_view caption, std::string_view initialName,
                               const std::vector<FileFilter>& filters) override;
    std::string chooseFolder(std::string_view caption) override;

    // Lets the open dialog with its trace preview stand in for the plain file dialog.
    using OpenDialogFactory = std::function<QFileDialog*(QWidget* parent)>;
    void setOpenDialogFactory(OpenDialogFactory f) { openDialogFactory_ = std::move(f); }

private:
    QPointer<QWidget> parent_;
    OpenDialogFactory openDialogFactory_;
};

QString toQString(std::string_view utf8);
std::string toStdString(const QString& s);
QString filterText(const std::vector<FileFilter>& filters);

}  // namespace fv
