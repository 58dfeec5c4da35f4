#include "EditForm.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    std::function<void(EditForm&)> run;
    // Over the selection of "bc" in "abcd": the text after, and the undo steps back (typing
    // and Enter keep the removed selection a step of its own).
    std::string overSelection = {};
    int undos = 1;
};

const std::vector<Command>& Edits() {
    static const std::vector<Command> commands{
        {"Type", [](EditForm& f) { f.Type("z"); }, "azd", 2},
        {"Enter", [](EditForm& f) { f.Key(Qt::Key_Return); }, "a\r\nd", 2},
        {"Delete", [](EditForm& f) { f.Key(Qt::Key_Delete); }, "ad"},
        {"Backspace", [](EditForm& f) { f.Key(Qt::Key_Backspace); }, "ad"},
        {"InsertText", [](EditForm& f) { f.Edit->InsertTextW(u"z\r\nw"); }, "az\r\nwd"},
        {"Paste",
         [](EditForm& f) {
             Offer({{"text/plain", "pasted"}});
             f.Edit->Paste();
         },
         "apastedd"},
        {"Picture",
         [](EditForm& f) {
             f.Edit->InsertPicture("p", std::make_unique<TBitmap>(6, 6), TRNVAlign::rnvaBaseline);
         },
         "a"},
        {"Rnf", [](EditForm& f) { f.InsertFrom(&TRichNoteEdit::InsertRNFFromStreamEd, f.Rnf()); },
         "aabcdd"},
    };
    return commands;
}

const std::vector<Command>& Typing() {
    static const std::vector<Command> commands{Edits().front()};
    return commands;
}

const std::vector<Command>& Replays() {
    static const std::vector<Command> commands{
        {"CtrlZ", [](EditForm& f) { f.Key(Qt::Key_Z, Qt::ControlModifier); }},
        {"CtrlShiftZ",
         [](EditForm& f) { f.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }},
        {"Undo", [](EditForm& f) { f.Edit->Undo(); }},
        {"Redo", [](EditForm& f) { f.Edit->Redo(); }},
    };
    return commands;
}

} // namespace

TEST(EditGuards, RefusedChangesBeepAndLeaveTheNoteAlone) {
    struct Case {
        const char* name;
        std::function<void(EditForm&)> guard;
        std::function<void(EditForm&)> lift;
        const std::vector<Command>& commands;
        bool canChange; // the test from outside, which a held mouse does not stop
        bool beeps;     // without a style sheet there is no sound to make
    };
    const auto none = [](EditForm&) {};
    const std::vector<Case> cases{
        {"ReadOnly", [](EditForm& f) { f.Edit->ReadOnly = true; }, none, Edits(), false, true},
        {"NoStyleSheet", [](EditForm& f) { f.Edit->SetStyle(nullptr); },
         [](EditForm& f) { f.Edit->SetStyle(&f.Sheet); }, Edits(), false, false},
        {"ItemHoldsTheMouse", [](EditForm& f) { f.D().CaptureMouseItem = &f.D().GetItem(0); },
         [](EditForm& f) { f.D().CaptureMouseItem = nullptr; }, Edits(), true, true},
        {"ProtectedSelection",
         [](EditForm& f) {
             f.Sheet.TextStyles()[0].Protection.Include(TRNProtectOption::rnprModifyProtect);
             f.Edit->SetSelectionBounds(0, 2, 0, 4);
         },
         none, Edits(), true, true},
        {"NothingToReplay", none, none, Replays(), true, true},
        {"StickingEnd",
         [](EditForm& f) {
             f.Sheet.TextStyles()[0].Protection.Include(TRNProtectOption::rnprSticking);
             f.D().SetCurTextStyleNo(f.Sheet.AddTextStyle());
         },
         none, Typing(), true, true},
    };
    for (const Case& c : cases) {
        for (const Command& command : c.commands) {
            SCOPED_TRACE(std::string(c.name) + " " + command.name);
            EditForm f("abcd");
            const std::string before = f.Rnf();
            c.guard(f);
            const int changes = f.Changes;
            const int beeps = f.Beeps;
            command.run(f);
            EXPECT_EQ(f.Beeps > beeps, c.beeps);
            EXPECT_EQ(f.Edit->CanChange(), c.canChange);
            c.lift(f);
            EXPECT_EQ(f.Rnf(), before);
            EXPECT_EQ(f.UndoCount(), 0);
            EXPECT_EQ(f.D().UndoList().GroupModeCounter, 0);
            EXPECT_EQ(f.Changes, changes);
        }
    }
}

TEST(EditNotices, OneActionOverASelectionIsOneChange) {
    for (const Command& c : Edits()) {
        SCOPED_TRACE(c.name);
        EditForm f("abcd");
        const std::string before = f.Rnf();
        f.Edit->SetSelectionBounds(0, 2, 0, 4);
        const int changes = f.Changes;
        c.run(f);
        EXPECT_EQ(f.Changes, changes + 1);
        EXPECT_EQ(f.Text().substr(0, c.overSelection.size()), c.overSelection);
        for (int i = 0; i < c.undos; ++i) {
            f.Edit->Undo();
        }
        EXPECT_EQ(f.Rnf(), before);
    }
    // Inside an update neither the start nor the end of a change is told.
    EditForm f("abcd");
    int changing = 0;
    f.Edit->OnChanging = [&changing](TRichNoteEdit&, bool&) { ++changing; };
    f.Edit->BeginUpdate();
    f.Type("z");
    f.Edit->InsertTextW(u"w");
    f.Edit->EndUpdate();
    EXPECT_EQ(f.Text().substr(0, 6), "abcdzw");
    EXPECT_EQ(f.Changes, 0);
    EXPECT_EQ(changing, 0);
    f.Type("y");
    EXPECT_EQ(f.Changes, 1);
    EXPECT_EQ(changing, 1);
}

TEST(EditSteps, AnUnwantedEnterBeepsOnceAndChangesNothing) {
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        SCOPED_TRACE(static_cast<int>(modifiers));
        EditForm f("abcd");
        f.Edit->EditorOptions.Include(TRNEditorOption::rnoDoNotWantReturns);
        const std::string before = f.Rnf();
        f.Key(Qt::Key_Return, modifiers, "\r");
        EXPECT_EQ(f.Beeps, 1);
        EXPECT_EQ(f.Rnf(), before);
        EXPECT_EQ(f.Changes, 0);
        EXPECT_EQ(f.UndoCount(), 0);
        // Wanted again, the same key starts a paragraph without a sound.
        f.Edit->EditorOptions.Exclude(TRNEditorOption::rnoDoNotWantReturns);
        f.Key(Qt::Key_Return, modifiers, "\r");
        EXPECT_EQ(f.Beeps, 1);
        EXPECT_NE(f.Rnf(), before);
    }
}

TEST(EditSteps, LosingTheFocusMovesTheMouseOnceInPlace) {
    EditForm f;
    auto* other = new QLineEdit(&f.Window);
    f.Window.layout()->addWidget(other);
    f.Edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(f.Edit->hasFocus());
    int moves = 0;
    f.Edit->OnMouseMove = [&moves](TShiftState, int, int) { ++moves; };
    other->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(other->hasFocus());
    EXPECT_EQ(moves, 1);
    EXPECT_FALSE(f.Edit->Caret().Exists());
    // Coming back moves nothing.
    f.Edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(moves, 1);
}

TEST(EditSteps, ARefusedChangeNeverReachesThePasteHandler) {
    struct Case {
        const char* name;
        std::function<void(EditForm&)> guard;
    };
    const Case cases[] = {
        {"ChangingRefused",
         [](EditForm& f) {
             f.Edit->OnChanging = [](TRichNoteEdit&, bool& allow) { allow = false; };
         }},
        {"ReadOnly", [](EditForm& f) { f.Edit->ReadOnly = true; }},
        {"ItemHoldsTheMouse", [](EditForm& f) { f.D().CaptureMouseItem = &f.D().GetItem(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f("abcd");
        int handled = 0;
        f.Edit->OnPaste = [&handled](TRichNoteEdit& e, bool& doDefault) {
            ++handled;
            e.InsertTextW(u"handler");
            doDefault = false;
        };
        Offer({{"text/plain", "pasted"}});
        const std::string before = f.Rnf();
        c.guard(f);
        f.Edit->Paste();
        EXPECT_EQ(handled, 0);
        f.D().CaptureMouseItem = nullptr;
        EXPECT_EQ(f.Rnf(), before);
        EXPECT_EQ(f.Changes, 0);
    }
    // Allowed, the handler takes the paste over.
    EditForm f("abcd");
    f.Edit->OnPaste = [](TRichNoteEdit& e, bool& doDefault) {
        e.InsertTextW(u"!");
        doDefault = false;
    };
    Offer({{"text/plain", "pasted"}});
    f.Edit->Paste();
    EXPECT_EQ(f.Text().substr(0, 5), "abcd!");
}
