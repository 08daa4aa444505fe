#include "platform/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <memory>

namespace fv {

QString toQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }
std::string toStdString(const QString& s) { return s.toUtf8().toStdString(); }

QString filterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) parts << toQString(f.description) + " (" + toQString(f.pattern) + ")";
    return parts.join(";;");
}

PromptAnswer QtPrompts::message(std::string_view text, std::string_view caption, PromptButtons buttons) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    switch (buttons) {
        case PromptButtons::Ok: b = QMessageBox::Ok; break;
        case PromptButtons::OkCancel: b = QMessageBox::Ok | QMessageBox::Cancel; break;
        case PromptButtons::YesNo: b = QMessageBox::Yes | QMessageBox::No; break;
        case PromptButtons::YesNoCancel: b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox box(buttons == PromptButtons::Ok ? QMessageBox::Information : QMessageBox::Question,
                    toQString(caption), toQString(text), b, parent_);
    switch (box.exec()) {
        case QMessageBox::Yes: return PromptAnswer::Yes;
        case QMessageBox::No: return PromptAnswer::No;
        case QMessageBox::Cancel: return PromptAnswer::Cancel;
        default: return buttons == PromptButtons::Ok ? PromptAnswer::Ok
                        : buttons == PromptButtons::OkCancel ? PromptAnswer::Cancel  // closed by its title bar
                                                             : (box.clickedButton() ? PromptAnswer::Ok : PromptAnswer::Cancel);
    }
}

std::vector<std::string> QtPrompts::chooseOpenFiles(std::string_view caption, const std::vector<FileFilter>& filters,
                                                    bool multiple) {
    std::unique_ptr<QFileDialog> dlg(openDialogFactory_ ? openDialogFactory_(parent_) : new QFileDialog(parent_));
    dlg->setWindowTitle(toQString(caption));
    dlg->setNameFilter(filterText(filters));
    dlg->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dlg->setAcceptMode(QFileDialog::AcceptOpen);
    std::vector<std::string> out;
    if (dlg->exec() != QDialog::Accepted) return out;
    for (const QString& f : dlg->selectedFiles()) out.push_back(toStdString(f));
    return out;
}

std::string QtPrompts::chooseSavePath(std::string_view caption, std::string_view initialName,
                                      const std::vector<FileFilter>& filters) {
    QFileDialog dlg(parent_, toQString(caption), toQString(initialName), filterText(filters));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    // The overwrite question comes from the program, on the name with its extension.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return toStdString(dlg.selectedFiles().front());
}

std::string QtPrompts::chooseFolder(std::string_view caption) {
    return toStdString(QFileDialog::getExistingDirectory(parent_, toQString(caption)));
}

}  // namespace fv
