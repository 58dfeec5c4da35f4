#pragma once

// Who has the keyboard around the window's menu bar. Qt leaves the bar holding the keyboard
// after a menu opened with the mouse is closed with Escape, with nothing on screen to say so,
// and the letters typed next, meant for the note, open menus as their mnemonics and run their
// commands ("and" opens Node and runs its Delete). Here such a menu closes as in the desktop's
// other programs: the keyboard stays where it was, in the note or the tree. The bar takes the
// keyboard only when the user gives it: Alt (where the style offers it), Alt and a menu's letter,
// or F10, which opens the first menu; while it holds the keyboard, the title it is at is lit.

#include <QObject>
#include <QPointer>

#include <memory>

class QMainWindow;
class QMenu;
class QMenuBar;
class QStyle;

class TMenuBarKeyboard : public QObject {
public:
    // Follows every menu the window's bar holds now or is given later.
    explicit TMenuBarKeyboard(QMainWindow& window);
    ~TMenuBarKeyboard() override;

    // F10: the first menu that can open, opens.
    void OpenFirstMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(QMenu* menu);

    QMenuBar& bar_;
    QPointer<QMenuBar> barAlive_;
    std::unique_ptr<QStyle> look_; // the bar's style, as long as the bar lives
};
