#pragma once

// The "New Binder Wizard" TNewBinderDlg: the binder's folder on the first tab, its name and
// description on the second. "Next>>" and "<<Previous" move between the tabs, as a click on a
// tab does; "Finish" is offered on the second tab only, and only for a name that can be a file
// name (not empty, no "/" or "\").

#include "app/binder/BinderUi.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// True for a binder name the wizard accepts.
bool ValidBinderName(const std::string& name);

class TNewBinderDlg : public QDialog {
public:
    TNewBinderDlg(QWidget* owner, const std::string& defaultFolder);

    // What the user chose: the folder, the name and the description as they stand.
    TNewBinderChoice Choice() const;
    const std::string& ChosenFolder() const { return chosenFolder_; }

    // Moves to the other tab (the "Next" button and a tab click).
    void Button6Click();
    // Chooses the binder's folder.
    void Button4Click();

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button4;
    QWidget* TabSheet2;
    QLineEdit* Edit2;
    QPushButton* Button6;
    QPushButton* Button7;
    QLabel* Label2;
    QLabel* Label3;
    QPlainTextEdit* Edit3;

protected:
    // The folder dialog; nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& start);

private:
    void UpdateFinish();

    std::string defaultFolder_;
    std::string chosenFolder_;
    bool moving_ = false;
};

// Shows the wizard over `owner` with its folder starting at `startFolder`; nothing when it was
// cancelled.
std::optional<TNewBinderChoice> ShowNewBinderDialog(QWidget* owner, const std::string& startFolder);
