#pragma once

// The print preview form TfrmPreview "Print Preview": the pages of a note as they will print,
// with First, Previous, Next and Last, the page indicator and the zoom box. One form is made at
// start-up and reused; the print-preview command hands it the formatted print object.

#include "platform/shell/ShellOpen.h"
#include "richtext/view/RNPP.h"

#include <QDialog>

#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

// A zoom text as the user typed or chose it.
struct TZoomChoice {
    enum class Kind { Percent, PageWidth, FullPage, Invalid };
    Kind What = Kind::Invalid;
    int Percent = 0;
};
// Blanks trimmed; "Page width" and "Full page" exactly; else a number from 10 to 500 with or
// without a final "%".
TZoomChoice ParseZoomText(const std::string& text);

class TfrmPreview : public QDialog {
public:
    // `box` tells a zoom out of range (null: a message box).
    explicit TfrmPreview(QWidget* parent = nullptr, ShellErrorBox box = nullptr);
    ~TfrmPreview() override;

    TRNPrintPreview& rnpp() { return *rnpp_; }
    QComboBox& cmb() { return *cmb_; }
    std::string PageIndicator() const; // Label1's text

    void Button1Click(); // First
    void Button2Click(); // Previous
    void Button3Click(); // Next
    void Button4Click(); // Last
    void cmbExit();
    void rnppZoomChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Each preview opens over most of the screen with the whole page width in view.
    void showEvent(QShowEvent* event) override;

private:
    void ShowPage();
    // Whether this loss of the zoom box's focus is the user moving on from it.
    static bool LeavesZoomBox(QEvent* focusOut);

    QFrame* Panel1;
    QLabel* Label1;
    QComboBox* cmb_;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    TRNPrintPreview* rnpp_;
    ShellErrorBox box_;
    bool sized_ = false; // once the user has the form, its size is theirs
};
