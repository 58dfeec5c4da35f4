#include "app/ui/NotesPrompts.h"

#include "platform/base/QtText.h"
#include "platform/widgets/FileFilter.h"
#include "platform/widgets/Printer.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>

namespace {

std::optional<TNoteFileChoice> RunFileDialog(QWidget& owner, const std::string& title,
                                             const std::string& filter,
                                             const std::string& defaultExt,
                                             QFileDialog::AcceptMode mode) {
    const QStringList filters = ToQ(ConvertFileFilter(filter)).split(";;", Qt::SkipEmptyParts);
    QFileDialog dialog(&owner, ToQ(title));
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!defaultExt.empty()) {
        dialog.setDefaultSuffix(ToQ(defaultExt));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return TNoteFileChoice{FromQ(dialog.selectedFiles().front()), index < 0 ? 1 : index + 1};
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
    return RunFileDialog(owner_, title, filter, "", QFileDialog::AcceptOpen);
}

std::optional<TNoteFileChoice> TQtNotesPrompts::SaveFile(const std::string& title,
                                                         const std::string& filter,
                                                         const std::string& defaultExt) {
    return RunFileDialog(owner_, title, filter, defaultExt, QFileDialog::AcceptSave);
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
