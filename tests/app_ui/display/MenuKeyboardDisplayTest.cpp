// The keyboard around the menu bar on a real display, as a person uses it: a menu opened with the
// mouse and closed with Escape, or by a click elsewhere, leaves the keyboard in the note, so the
// letters typed next are text, not menus and their commands; Alt and a menu's letter, Alt, and
// F10 still give the bar the keyboard.
#include "tests/app_ui/display/NoteWindow.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QMenu>
#include <QMenuBar>
#include <QStyle>

namespace {

// The letter after the "&" of a caption, in lower case.
QChar MnemonicOf(const QString& caption) {
    const qsizetype at = caption.indexOf('&');
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toLower() : QChar();
}

// Types `text` where the keyboard is, a key at a time as a person does.
void TypeWhereTheKeyboardIs(QWidget& window, const QString& text) {
    for (const QChar c : text) {
        QTest::keyClick(&WhereTheKeyboardIs(window), c.toLatin1());
        ServeEventsFor(std::chrono::milliseconds(30));
    }
}

QMenu* OpenMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

struct MenuBarRig : NoteWindow {
    QMenuBar* Bar = nullptr;
    std::vector<QAction*> Menus; // the bar's menus that can open on the notes page
    QString Mnemonics;           // their letters: what a bar holding the keyboard would open

    bool Begin() {
        if (!Start()) {
            return false;
        }
        Bar = Window->menuBar();
        for (QAction* entry : Bar->actions()) {
            if (entry->menu() != nullptr && entry->isVisible() && entry->isEnabled()) {
                Menus.push_back(entry);
                Mnemonics += MnemonicOf(entry->text());
            }
        }
        return true;
    }
    QAction* Titled(const char* caption) const {
        for (QAction* entry : Menus) {
            if (entry->text().trimmed() == caption) {
                return entry;
            }
        }
        return nullptr;
    }
    bool ClickTitle(QAction* entry) {
        QTest::mouseClick(Bar, Qt::LeftButton, {}, Bar->actionGeometry(entry).center());
        return WaitUntil([entry] { return OpenMenu() == entry->menu(); });
    }
    std::string Text() const {
        std::string text;
        for (int item = 0; item < Editor->GetLineCount(); ++item) {
            text += Editor->GetItemText(item);
        }
        return text;
    }
};

} // namespace

TEST(MenuKeyboardDisplay, LettersAfterAMenuOpenedWithTheMouseReachTheNote) {
    MenuBarRig rig;
    ASSERT_TRUE(rig.Begin());
    TFormVelmorRnx& window = *rig.Window;
    // Every menu of the bar, the notes editor's too, can open here.
    for (const char* caption : {"&File", "&Node", "&Edit", "&View", "&Tools", "&Help"}) {
        EXPECT_NE(rig.Titled(caption), nullptr) << caption;
    }
    ASSERT_EQ(rig.Mnemonics.size(), static_cast<qsizetype>(rig.Menus.size()));
    ModalWatch questions(false);
    std::vector<QAction*> opened;
    for (QAction* entry : rig.Menus) {
        QObject::connect(entry->menu(), &QMenu::aboutToShow, entry->menu(),
                         [&opened, entry] { opened.push_back(entry); });
    }
    const int nodes = window.Binder().Items().Count();

    std::string expected = rig.Text();
    for (QAction* entry : rig.Menus) {
        SCOPED_TRACE(entry->text().toStdString());
        ASSERT_TRUE(rig.ClickTitle(entry));
        if (entry == rig.Menus.front()) {
            Screenshot(window, "menu-keyboard-open.png");
        }
        PressKey(window, Qt::Key_Escape);
        EXPECT_EQ(OpenMenu(), nullptr);
        EXPECT_TRUE(rig.Editor->hasFocus());
        EXPECT_EQ(rig.Bar->activeAction(), nullptr);
        opened.clear();
        const QString typed = " " + rig.Mnemonics;
        TypeWhereTheKeyboardIs(window, typed);
        expected += typed.toStdString();
        EXPECT_EQ(rig.Text(), expected);
        EXPECT_TRUE(opened.empty());
        EXPECT_EQ(OpenMenu(), nullptr);
    }
    Screenshot(window, "menu-keyboard-typed.png");

    // Closed by a click into the note, likewise.
    ASSERT_TRUE(rig.ClickTitle(rig.Menus.front()));
    QMenu* menu = OpenMenu();
    const QPoint inNote = rig.Editor->mapToGlobal(QPoint(rig.Editor->width() / 2, 60));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->mapFromGlobal(inNote));
    ASSERT_TRUE(WaitUntil([] { return OpenMenu() == nullptr; }));
    opened.clear();
    TypeWhereTheKeyboardIs(window, rig.Mnemonics);
    expected += rig.Mnemonics.toStdString();
    EXPECT_EQ(rig.Text(), expected);
    EXPECT_TRUE(opened.empty());

    EXPECT_TRUE(questions.Seen.empty());
    EXPECT_EQ(window.Binder().Items().Count(), nodes);
}

TEST(MenuKeyboardDisplay, AltWithALetterAltAndF10GiveTheBarTheKeyboard) {
    MenuBarRig rig;
    ASSERT_TRUE(rig.Begin());
    TFormVelmorRnx& window = *rig.Window;
    const std::string before = rig.Text();

    // Alt and each menu's letter opens that menu; Escape gives the bar the keyboard, which its
    // lit title shows, and another Escape gives it back to the note.
    const auto title = [&rig](QAction* entry) {
        return rig.Bar->grab(rig.Bar->actionGeometry(entry)).toImage();
    };
    for (QAction* entry : rig.Menus) {
        SCOPED_TRACE(entry->text().toStdString());
        const QImage unlit = title(entry);
        const char letter = MnemonicOf(entry->text()).toLatin1();
        QTest::keyClick(QApplication::focusWidget(), letter, Qt::AltModifier);
        ASSERT_TRUE(WaitUntil([entry] { return OpenMenu() == entry->menu(); }));
        PressKey(window, Qt::Key_Escape);
        EXPECT_EQ(OpenMenu(), nullptr);
        EXPECT_TRUE(rig.Bar->hasFocus());
        EXPECT_EQ(rig.Bar->activeAction(), entry);
        EXPECT_NE(title(entry), unlit);
        PressKey(window, Qt::Key_Escape);
        EXPECT_TRUE(rig.Editor->hasFocus());
        EXPECT_EQ(title(entry), unlit);
    }

    // F10 opens the first menu; Escape closes it and the keyboard is in the note again.
    PressKey(window, Qt::Key_F10);
    ASSERT_EQ(OpenMenu(), rig.Menus.front()->menu());
    Screenshot(window, "menu-keyboard-f10.png");
    PressKey(window, Qt::Key_Right);
    EXPECT_EQ(OpenMenu(), rig.Menus[1]->menu());
    PressKey(window, Qt::Key_Escape);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_TRUE(rig.Editor->hasFocus());

    // Alt alone, where the style offers it, gives the bar the keyboard: a letter then opens.
    if (window.style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, rig.Bar) != 0) {
        PressKey(window, Qt::Key_Alt);
        EXPECT_TRUE(rig.Bar->hasFocus());
        EXPECT_EQ(rig.Bar->activeAction(), rig.Menus.front());
        QAction* last = rig.Menus.back();
        TypeWhereTheKeyboardIs(window, QString(MnemonicOf(last->text())));
        EXPECT_EQ(OpenMenu(), last->menu());
        PressKey(window, Qt::Key_Escape);
        PressKey(window, Qt::Key_Escape);
        EXPECT_TRUE(rig.Editor->hasFocus());
    }
    EXPECT_EQ(rig.Text(), before);
}
