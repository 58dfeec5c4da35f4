#pragma once

// The plain OK/Cancel dialog TOKRightDlg with its buttons at the right, and on it the search
// dialog TOKHelpRightDlg with the criteria of the advanced search.

#include "app/binder/Search.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

class TOKRightDlg : public QDialog {
public:
    explicit TOKRightDlg(QWidget* owner);

    QPushButton* OKBtn;     // closes with 1
    QPushButton* CancelBtn; // closes with 2
    QFrame* Bevel1;         // the frame around the dialog's fields

protected:
    QVBoxLayout* buttons_; // the column of buttons at the right
};

class TOKHelpRightDlg : public TOKRightDlg {
public:
    explicit TOKHelpRightDlg(QWidget* owner);

    // The five criteria and the two options as they stand.
    TSearchCriteria Criteria() const;

    QLabel* Label6;        // "Search For Pages"
    QPlainTextEdit* Memo1; // full text
    QLineEdit* Edit1;      // title
    QLineEdit* Edit3;      // meta data
    QLineEdit* Edit5;      // URL
    QLineEdit* Edit4;      // links
    QCheckBox* CheckBox1;  // "Match Whole Words Only"
    QCheckBox* CheckBox2;  // "Match Similar Words"
    QPushButton* HelpBtn;  // no help file is installed: it opens nothing
};
