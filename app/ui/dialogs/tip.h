#pragma once

// The "Tip of The Day" form TForm1: one of the tips, chosen by the day of the month, cut into
// at most four short lines, with "&Next Tip", "&Help" and the "Show Tips at Startup" box.

#include "platform/shell/ShellOpen.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

inline constexpr int TipCount = 19;

// The tip's text, 0 to TipCount - 1.
const std::string& TipText(int index);
// The tip shown first on a day of the month: the day, less TipCount once from TipCount on.
int TipIndexForDay(int day);
// A tip cut into lines of about 42 characters, each ending after a blank (the last one at the
// text's end); every line, even those past the four the form shows.
std::vector<std::string> CutTipLines(const std::string& text);

// Today, as the form reads it; a test hands in a day of its own.
using TTipClock = std::function<QDate()>;

class TForm1 : public QDialog {
public:
    // `helpFile` is opened by "&Help"; a failure to open it is told through `box`.
    TForm1(QWidget* owner, const TTipClock& clock, std::string helpFile, ShellErrorBox box);

    bool ShowTips() const;
    void SetShowTips(bool show);
    int TipIndex() const { return index_; }
    // The four tip lines as they are shown.
    std::vector<std::string> ShownLines() const;

    void Button2Click(); // "&Next Tip"
    void Button3Click(); // "&Help"

private:
    void ShowTip();

    QLabel* Label1; // "Did you know..."
    QLabel* Lines[4];
    QCheckBox* CheckBox1;
    QPushButton* Button1; // OK
    QPushButton* Button2;
    QPushButton* Button3;
    int index_ = 0;
    std::string helpFile_;
    ShellErrorBox box_;
};
