#pragma once

// The "Option" dialog TOptionDlg: the general settings on one tab, the questions the program
// asks on the other. Changing how pages are listed needs the binder read again: the dialog says
// so when it closes and keeps that for the caller to act on.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
struct TSettings;

class TOptionDlg : public QDialog {
public:
    explicit TOptionDlg(QWidget* owner);

    // The controls from the settings, and back (the page list: item 0 is ListMode 1).
    void LoadFrom(const TSettings& settings);
    void StoreInto(TSettings& settings) const;
    // Set on closing when the page-list choice differs from the one shown.
    bool ReloadNeeded() const { return reloadNeeded_; }

    void FormShow();
    void done(int result) override; // FormClose: every way of closing passes here

protected:
    void showEvent(QShowEvent* event) override;
    // "The binder will be reload ..." in a plain box.
    virtual void ShowChangeMessage();

private:
    int PageListItem() const;

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTabWidget* PageControl1;
    QCheckBox* CheckBox1; // ShowPageViaFile, told by Label1
    QLabel* Label1;
    QCheckBox* CheckBox2; // StripScript, told by Label2
    QLabel* Label2;
    QCheckBox* CheckBox5; // RecursiveImport, told by Label3
    QLabel* Label3;
    QRadioButton* ListByUrl;   // item 0 of RadioGroup1 "Page List"
    QRadioButton* ListByTitle; // item 1
    QCheckBox* CheckBox3;      // AskBeforeDelete
    QCheckBox* CheckBox4;      // AskBeforeClose
    QCheckBox* CheckBox6;      // ShowTips

    bool shownByUrl_ = true;
    bool reloadNeeded_ = false;
};
