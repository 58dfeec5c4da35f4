#pragma once

// The "New Binder Wizard" TNewBinderDlg: the binder's folder on the first tab, its name and
// description on the second. "Next>>" and "<<Previous" move between the tabs, as a click on a
// tab does; "Finish" is offered on the second tab only, and only for a name that can be a file
// name (not empty, no "/" or "\"). A folder or name the binder file cannot keep is refused on
// Finish with a message, and the wizard stays.

#include "app/binder/commands/BinderUi.h"

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
    // "Finish": closes with OK, unless the folder or the name is refused.
    void Button7Click();

protected:
    // The folder dialog; nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& start);

private:
    QTabWidget* PageControl1; // the folder and the name tabs
    QWidget* TabSheet1;       // the folder
    QLabel* Label1;           // "Directory for the binder"
    QLineEdit* Edit1;         // the folder
    QPushButton* Button4;     // chooses the folder
    QWidget* TabSheet2;       // the name and description
    QLineEdit* Edit2;         // the name
    QPushButton* Button6;     // "Next >>" / "<< Previous"
    QPushButton* Button7;     // "Finish"
    QLabel* Label2;           // "Name"
    QLabel* Label3;           // "Description"
    QPlainTextEdit* Edit3;    // the description
    void UpdateFinish();

    std::string defaultFolder_;
    std::string chosenFolder_;
    bool moving_ = false;
};

// Shows the wizard over `owner` with its folder starting at `startFolder`; nothing when it was
// cancelled.
std::optional<TNewBinderChoice> ShowNewBinderDialog(QWidget* owner, const std::string& startFolder);
