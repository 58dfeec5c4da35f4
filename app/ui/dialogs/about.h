#pragma once

// The "About" box TAboutBox: the program's icon and version, and the open binder's name and
// folder (empty texts when no binder is open).

#include <QDialog>

class QLabel;
class QPushButton;
struct BinderPaths;

class TAboutBox : public QDialog {
public:
    TAboutBox(QWidget* owner, const BinderPaths& paths);

private:
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Label1; // "Current Binder Name:"
    QLabel* Label2; // "Binder Location:"
    QLabel* Label3; // the binder's name
    QLabel* Label4; // the binder's folder
    QPushButton* OKButton;
};
