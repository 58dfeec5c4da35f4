#include "app/ui/ShellBox.h"

#include "platform/base/QtText.h"

#include <QApplication>
#include <QMessageBox>

ShellErrorBox ShellMessageBox() {
    return [](const std::string& text, const std::string& caption) {
        // Raised from the tip form or another dialog: it belongs to that dialog and stands
        // over it.
        QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
}
