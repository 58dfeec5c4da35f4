// Edit > Paste of the notes window follows the clipboard: on as soon as a Copy or a Cut puts
// something there, off once another program empties it or leaves nothing the editor takes,
// looked at again when the window comes back to the front, and never on for a note that
// cannot be read.
#include "app/ui/NotesCommands.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/TablesWindow.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <string>

namespace {

struct PasteWindow : TablesWindow {
    PasteWindow() {
        Window->resize(900, 600);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        QApplication::processEvents();
    }
    // Paste as the notes window's Edit menu shows it.
    QAction* MenuPaste() {
        for (QAction* entry : Window->NotesPart().Commands().EditMenu().actions()) {
            if (entry->objectName() == "RPaste") {
                return entry;
            }
        }
        ADD_FAILURE() << "no Paste in the Edit menu";
        return Note(TNoteAction::RPaste);
    }
    bool PasteOn() { return MenuPaste()->isEnabled(); }
    // Another program takes the clipboard with what it offers.
    static void OtherProgramOffers(const QString& format, const QByteArray& bytes) {
        auto* data = new QMimeData;
        data->setData(format, bytes);
        QApplication::clipboard()->setMimeData(data);
    }
    void SelectBefore() { E().SetSelectionBounds(0, 1, 0, 7); }
};

// A Copy or a Cut turns Paste on at once, without the caret moving, and Paste then pastes.
TEST(NotesPaste, CopyAndCutTurnPasteOnAtOnce) {
    for (TNoteAction take : {TNoteAction::RCopy, TNoteAction::RCut}) {
        const bool copy = take == TNoteAction::RCopy;
        SCOPED_TRACE(copy ? "Copy" : "Cut");
        PasteWindow w;
        QApplication::clipboard()->clear();
        QApplication::processEvents();
        w.SelectBefore();
        ASSERT_FALSE(w.PasteOn()) << "an empty clipboard has nothing to paste";
        ASSERT_TRUE(w.Note(take)->isEnabled());
        w.Note(take)->trigger();
        EXPECT_TRUE(w.PasteOn());
        QApplication::processEvents();
        EXPECT_TRUE(w.PasteOn());

        const int after = w.E().GetLineCount() - 1;
        w.E().SetSelectionBounds(after, 6, after, 6); // the caret after "after"
        w.MenuPaste()->trigger();
        QApplication::processEvents();
        const int last = w.E().GetLineCount() - 1;
        EXPECT_EQ(w.E().GetItemText(last), "afterbefore");
        EXPECT_EQ(w.E().GetItemText(0), copy ? "before" : "");
    }
}

// Another program empties the clipboard, offers what the editor cannot take, then text: Paste
// follows each change.
TEST(NotesPaste, WhatAnotherProgramLeavesOnTheClipboardDecides) {
    PasteWindow w;
    w.SelectBefore();
    w.Note(TNoteAction::RCopy)->trigger();
    ASSERT_TRUE(w.PasteOn());

    QApplication::clipboard()->clear();
    QApplication::processEvents();
    EXPECT_FALSE(w.PasteOn()) << "emptied";

    PasteWindow::OtherProgramOffers("application/x-unknown-drawing", "1234");
    QApplication::processEvents();
    EXPECT_FALSE(w.PasteOn()) << "nothing the editor takes";

    PasteWindow::OtherProgramOffers("text/plain", "words");
    QApplication::processEvents();
    EXPECT_TRUE(w.PasteOn()) << "text";

    PasteWindow::OtherProgramOffers("application/x-unknown-drawing", "1234");
    QApplication::processEvents();
    EXPECT_FALSE(w.PasteOn()) << "text replaced by something else";
}

// A change of the clipboard the program was not told of is seen when the window is activated.
TEST(NotesPaste, TheWindowsActivationLooksAtTheClipboardAgain) {
    PasteWindow w;
    QApplication::clipboard()->clear();
    QApplication::processEvents();
    w.SelectBefore();
    ASSERT_FALSE(w.PasteOn());
    QClipboard& clipboard = *QApplication::clipboard();
    {
        const QSignalBlocker unheard(&clipboard);
        clipboard.setText("from elsewhere");
    }
    QApplication::processEvents();
    ASSERT_FALSE(w.PasteOn()) << "nothing was told yet";
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(w.Window.get(), &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.Window.get(), &activate);
    EXPECT_TRUE(w.PasteOn());
}

// A note that cannot be read takes nothing, whatever the clipboard offers.
TEST(NotesPaste, ANoteThatCannotBeReadNeverOffersPaste) {
    PasteWindow w;
    const std::string stored = w.Rnf();
    TTreeNode* damaged = w.Add(NodeKind::Notes, "damaged");
    const std::string half = stored.substr(0, stored.size() / 2);
    NodeRecord(damaged)->Notes.AppendRaw(half.data(), half.size());
    w.Window->Binder().Items().SetSelected(damaged);
    ASSERT_TRUE(w.Window->NotesPart().Commands().NoteDamaged());
    QApplication::clipboard()->setText("words");
    QApplication::processEvents();
    EXPECT_FALSE(w.PasteOn());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.Window.get(), &activate);
    EXPECT_FALSE(w.PasteOn());

    // The next note takes the text again.
    w.Window->Binder().Items().SetSelected(w.Node);
    EXPECT_TRUE(w.PasteOn());
}

} // namespace
