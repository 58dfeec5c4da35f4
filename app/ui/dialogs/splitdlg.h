#pragma once

// The "Split" dialog TOKBottomDlg: how many columns and rows each selected table cell becomes.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TCSpinEdit;

class TOKBottomDlg : public QDialog {
public:
    explicit TOKBottomDlg(QWidget* owner);

    int Cols() const;
    int Rows() const;

    TCSpinEdit* CSpinEdit1; // columns
    TCSpinEdit* CSpinEdit2; // rows

private:
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QFrame* Bevel1;
    QLabel* Label1;
    QLabel* Label2;
};
