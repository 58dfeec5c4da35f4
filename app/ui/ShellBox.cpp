#include "app/ui/ShellBox.h"

#include "platform/base/QtText.h"

#include <QApplication>
#include <QMessageBox>

ShellErrorBox ShellMessageBox() {
    return [](const std::string& text, const std::string& caption) {
        // Raised from the tip form or another dialog: it belongs to that dialog and stands
        // over it. The open dialog is asked first: which window holds the focus is up to the
        // window manager, and another program may have it just then.
        QWidget* owner = QApplication::activeModalWidget();
        QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::Ok,
                        owner ? owner : QApplication::activeWindow());
        box.exec();
    };
}
