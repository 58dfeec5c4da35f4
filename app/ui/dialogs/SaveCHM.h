#pragma once

// "Generate CHM File" TForm6: the destination of the compiled help file with a "..." browse
// button, the language, and the three options of the export.

#include "app/binder/commands/ExportUi.h"

#include <QDialog>

#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

inline constexpr const char* ChmFileFilter = "Html Help Files(*.chm)|*.chm|All Files(*.*)|*.*|";

class TForm6 : public QDialog {
public:
    // `lastDialogDir` is the folder the binder's file dialogs share; browsing starts there and
    // leaves the chosen folder in it.
    TForm6(QWidget* owner, std::string& lastDialogDir);

    TChmChoice Choice() const;

    // Browses for the destination: a name without ".chm" (any case) gets it.
    void Button1Click();

    QLineEdit* Edit1;
    QPushButton* Button1;
    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QPushButton* OKButton;
    QPushButton* CancelButton;

protected:
    // The save dialog; nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const TFileDialogOptions& options);

private:
    std::string& lastDialogDir_;
};

// Shows the dialog over `owner`; nothing unless it was closed with OK.
std::optional<TChmChoice> ShowChmDialog(QWidget* owner, std::string& lastDialogDir);
