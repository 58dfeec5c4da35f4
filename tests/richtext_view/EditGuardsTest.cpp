#include "EditForm.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    std::function<void(EditForm&)> run;
};

const std::vector<Command>& Edits() {
    static const std::vector<Command> commands{
        {"Type", [](EditForm& f) { f.Type("z"); }},
        {"Enter", [](EditForm& f) { f.Key(Qt::Key_Return); }},
        {"Delete", [](EditForm& f) { f.Key(Qt::Key_Delete); }},
        {"Backspace", [](EditForm& f) { f.Key(Qt::Key_Backspace); }},
        {"InsertText", [](EditForm& f) { f.Edit->InsertTextW(u"z\r\nw"); }},
        {"Paste",
         [](EditForm& f) {
             Offer({{"text/plain", "pasted"}});
             f.Edit->Paste();
         }},
        {"Picture",
         [](EditForm& f) {
             f.Edit->InsertPicture("p", std::make_unique<TBitmap>(6, 6), TRNVAlign::rnvaBaseline);
         }},
        {"Rnf", [](EditForm& f) { f.InsertFrom(&TRichNoteEdit::InsertRNFFromStreamEd, f.Rnf()); }},
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
    struct Case {
        const char* name;
        int undos; // typing and Enter keep the removed selection a step of its own
        std::string text;
    };
    const std::vector<Case> cases{
        {"Type", 2, "azd"},     {"Enter", 2, "a\r\nd"},        {"Delete", 1, "ad"},
        {"Backspace", 1, "ad"}, {"InsertText", 1, "az\r\nwd"}, {"Paste", 1, "apastedd"},
        {"Picture", 1, "a"},    {"Rnf", 1, "aabcdd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f("abcd");
        const std::string before = f.Rnf();
        f.Edit->SetSelectionBounds(0, 2, 0, 4);
        const int changes = f.Changes;
        for (const Command& command : Edits()) {
            if (std::string(command.name) == c.name) {
                command.run(f);
            }
        }
        EXPECT_EQ(f.Changes, changes + 1);
        EXPECT_EQ(f.Text().substr(0, c.text.size()), c.text);
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
