#include "app/ui/NotesPrompts.h"

#include "platform/base/QtText.h"
#include "platform/widgets/FileDialog.h"
#include "platform/widgets/Printer.h"

#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QPrintDialog>

namespace {

std::optional<TNoteFileChoice> AskNoteFile(QWidget& owner, const std::string& title,
                                           const std::string& filter, const std::string& defaultExt,
                                           bool save) {
    FileDialogRequest request;
    request.Title = title;
    request.Filter = filter;
    request.DefaultExt = defaultExt;
    request.Save = save;
    const std::optional<FileDialogAnswer> answer = RunFileDialog(&owner, request);
    if (!answer) {
        return std::nullopt;
    }
    return TNoteFileChoice{answer->Path, answer->FilterIndex};
}

} // namespace

std::optional<TColor> TQtNotesPrompts::ChooseColor(TColor current) {
    const uint32_t rgb = ColorToRGB(current);
    const QColor chosen =
        QColorDialog::getColor(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF), &owner_);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return RGB(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<TNoteFileChoice> TQtNotesPrompts::OpenFile(const std::string& title,
                                                         const std::string& filter) {
    return AskNoteFile(owner_, title, filter, "", false);
}

std::optional<TNoteFileChoice> TQtNotesPrompts::SaveFile(const std::string& title,
                                                         const std::string& filter,
                                                         const std::string& defaultExt) {
    return AskNoteFile(owner_, title, filter, defaultExt, true);
}

bool TQtNotesPrompts::PrinterSetup() {
    auto* printer = dynamic_cast<TQtPrinter*>(&Printer());
    if (printer == nullptr) {
        return true; // a printer of the program's own making needs no setting up
    }
    QPrintDialog dialog(&printer->Device(), &owner_);
    dialog.setObjectName("psd");
    return dialog.exec() == QDialog::Accepted;
}

void TQtNotesPrompts::Message(const std::string& text, const std::string& caption,
                              TNoteMessageIcon icon) {
    const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                       QMessageBox::Warning};
    // A box raised from one of the editor's dialogs (Find) belongs to that dialog: it stands
    // over it and is drawn with it, not behind it under the main window.
    QWidget* parent = &owner_;
    if (QWidget* active = QApplication::activeWindow(); active != owner_.window()) {
        for (QWidget* up = active; up != nullptr; up = up->parentWidget()) {
            parent = up == owner_.window() ? active : parent;
        }
    }
    QMessageBox box(icons[static_cast<int>(icon)], ToQ(caption), ToQ(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

bool TQtNotesPrompts::ShowModal(QDialog& form) {
    return form.exec() == QDialog::Accepted;
}
