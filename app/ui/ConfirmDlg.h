#pragma once

// The "Confirm" dialog TForm5: a question with OK and Cancel and the box "Don't show this
// message again", which clears the setting it is bound to whenever the dialog closes with it
// ticked, whatever button closed it.

#include "app/binder/commands/BinderUi.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

class TForm5 : public QDialog {
public:
    TForm5(QWidget* owner, const std::string& text, bool* setting);

    // 1 (OK) or 2 (Cancel, and every other way of closing).
    TModalResult ShowModal();
    void done(int result) override;

private:
    QPushButton* Button1; // OK
    QPushButton* Button2; // Cancel
    QLabel* Label1;       // the question
    QCheckBox* CheckBox1; // "Don't show this message again"
    bool* setting_;
};
