#pragma once

// The "Insert Table" dialog TForm2: the rows and columns of a new table and whether it sizes
// itself ("AutoSize ") or takes a width in percent of the note.

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TCSpinEdit;

class TForm2 : public QDialog {
public:
    explicit TForm2(QWidget* owner);

    int Rows() const;
    int Cols() const;
    // 0 for "AutoSize ", 1 for "Size table manually".
    int LayoutIndex() const;
    void SetLayoutIndex(int index);
    int PercentWidth() const;

    // Enables the percent width exactly for "Size table manually".
    void RadioGroup1Click();

    TCSpinEdit* CSpinEdit1; // rows
    TCSpinEdit* CSpinEdit2; // columns
    TCSpinEdit* CSpinEdit3; // width in percent

private:
    QPushButton* Button1;
    QPushButton* Button2;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QGroupBox* RadioGroup1;
    QRadioButton* AutoSizeItem;
    QRadioButton* ManualItem;
    QLabel* StaticText1;
};
