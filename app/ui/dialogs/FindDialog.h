#pragma once

// FindDialog1: the notes editor's own small find dialog, with the text, the direction and
// match case. It stays open beside the editor; "Find Next" asks its owner to search.

#include "platform/base/FindOptions.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFindDialog : public QDialog {
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    std::string FindText() const;
    void SetFindText(const std::string& text);
    // frDown when searching down, frMatchCase when the case must match.
    TFindOptions Options() const;
    void SetOptions(TFindOptions options);

    // "Find Next" was pressed.
    std::function<void()> OnFind;

private:
    QLineEdit* text_;
    QRadioButton* up_;
    QRadioButton* down_;
    QCheckBox* matchCase_;
    QPushButton* findNext_;
};
