// The notes editor in the main window: notes shown as nodes are selected, kept byte for byte
// while only looked at, and stored when changed.
#include "app/binder/PageInfo.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/StringUtils.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/NotesSheet.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string StoredNote() {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    TMemoryStream written;
    note.SaveRNFToStream(written, false, clNone, nullptr);
    return written.Bytes();
}

struct NotesWindow : MainWindowRig {
    NotesWindow() {
        Make();
        Lifecycle.Open = true;
        Paths.TreeFilePath = (Folder / "velmor.sav").string();
        Window->NotesPart().Commands().SetPrompts(Prompts);
    }
    TTreeNode* Note(const std::string& title, const std::string& bytes) {
        TTreeNode* node = Add(NodeKind::Notes, title);
        NodeRecord(node)->Notes.AppendRaw(bytes.data(), bytes.size());
        return node;
    }
    void Select(TTreeNode* node) { Window->Binder().Items().SetSelected(node); }
    std::string Bytes(TTreeNode* node) { return NodeRecord(node)->Notes.Bytes(); }
    TRichNoteEdit& Editor() { return Window->NotesPart().Commands().RichNoteEdit1(); }
    void Type(const QString& text) { TypeInto(Editor(), text); }
    FakeNotesPrompts Prompts;
};

TEST(NotesWindow, LookingAtNotesChangesNothingAndAChangeIsStored) {
    NotesWindow rig;
    const std::string stored = StoredNote();
    TTreeNode* a = rig.Note("a", stored);
    TTreeNode* b = rig.Note("b", "");
    rig.Window->ViewsPane().Views().ViewNoteExecute();
    for (TTreeNode* node : {a, b, a, b, a}) {
        rig.Select(node);
        const int last = rig.Editor().GetLineCount() - 1;
        MoveCaret(rig.Editor(), last, 1);
        rig.Editor().SetSelectionBounds(0, 1, last, 1);
        QApplication::processEvents();
    }
    EXPECT_GT(rig.Editor().GetLineCount(), 5);
    EXPECT_EQ(rig.Bytes(a), stored);
    EXPECT_EQ(rig.Bytes(b), "");
    EXPECT_FALSE(rig.Window->Binder().BinderDirty);
    EXPECT_EQ(rig.Editor().UndoAction(), TRNUndoType::rnutNone);
    QAction* save = rig.Window->NotesPart().Commands().Action(TNoteAction::RSave);
    EXPECT_FALSE(save->isEnabled());
    // The "&Edit   " menu sits before "&View" and is on while the notes show.
    QMenu& edit = rig.Window->NotesPart().Commands().EditMenu();
    EXPECT_EQ(edit.title(), "&Edit   ");
    EXPECT_TRUE(edit.isEnabled());
    const QList<QAction*> menus = rig.Window->menuBar()->actions();
    const qsizetype at = menus.indexOf(edit.menuAction());
    ASSERT_GT(at, 0);
    EXPECT_EQ(menus[at + 1]->text(), "&View");

    // A change: "Modified", RSave on, the binder changed; moving on stores it in its node.
    rig.Editor().Deselect();
    rig.Type("typed");
    EXPECT_EQ(rig.Panel(3), "Modified");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(rig.Window->Binder().BinderDirty);
    rig.Select(b);
    EXPECT_NE(rig.Bytes(a), stored);
    EXPECT_NE(rig.Bytes(a).find("typed"), std::string::npos);

    // RSave stores the note and writes the tree file at once.
    rig.Type("more");
    rig.Window->RSaveExecute();
    EXPECT_EQ(rig.Panel(3), "Saved");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_NE(rig.Bytes(b).find("more"), std::string::npos);
    EXPECT_FALSE(rig.Window->Binder().BinderDirty);
    EXPECT_TRUE(std::filesystem::exists(rig.Folder / "velmor.sav"));
}

TEST(NotesWindow, CancelChangeShowsTheStoredNoteAgainAndApplyChangeStoresTheEdit) {
    NotesWindow rig;
    const std::string stored = StoredNote();
    TTreeNode* a = rig.Note("a", stored);
    TTreeNode* b = rig.Note("b", "");
    rig.Window->ViewsPane().Views().ViewNoteExecute();
    rig.Select(a);
    auto* apply = rig.Window->findChild<QAction*>("ApplyChange");
    auto* cancel = rig.Window->findChild<QAction*>("CancelChange");
    ASSERT_TRUE(apply != nullptr && cancel != nullptr);
    // Both stand at the end of the notes editor's menu, off while nothing is changed.
    const QList<QAction*> entries = rig.Window->NotesPart().Commands().EditMenu().actions();
    ASSERT_GE(entries.size(), 2);
    EXPECT_EQ(entries[entries.size() - 2], apply);
    EXPECT_EQ(entries.last(), cancel);
    EXPECT_FALSE(apply->isEnabled() || cancel->isEnabled());
    const auto shown = [&rig] {
        TMemoryStream written;
        EXPECT_TRUE(rig.Editor().SaveRNFToStream(written, false));
        return written.Bytes();
    };
    ASSERT_EQ(shown(), stored);

    rig.Editor().Deselect();
    rig.Type("typed");
    EXPECT_TRUE(apply->isEnabled() && cancel->isEnabled());
    ASSERT_NE(shown().find("typed"), std::string::npos);
    cancel->trigger();
    EXPECT_EQ(shown(), stored);
    EXPECT_EQ(rig.Bytes(a), stored);
    EXPECT_FALSE(apply->isEnabled() || cancel->isEnabled());
    EXPECT_FALSE(rig.Editor().ReadOnly);
    rig.Select(b); // moving on stores nothing of the edit thrown away
    EXPECT_EQ(rig.Bytes(a), stored);

    rig.Select(a);
    rig.Editor().Deselect();
    rig.Type("kept");
    apply->trigger();
    EXPECT_NE(rig.Bytes(a).find("kept"), std::string::npos);
    EXPECT_FALSE(apply->isEnabled() || cancel->isEnabled());
    cancel->setEnabled(true); // nothing is being edited: there is nothing to throw away
    cancel->trigger();
    EXPECT_NE(shown().find("kept"), std::string::npos);

    // Opening the menu begins an edit of the note shown.
    rig.Select(b);
    QMenu& edit = rig.Window->NotesPart().Commands().EditMenu();
    edit.popup(QPoint(0, 0));
    edit.hide();
    EXPECT_TRUE(apply->isEnabled() && cancel->isEnabled());
    EXPECT_EQ(rig.Window->ViewsPane().Views().EditingNode(), b);
}

// A one-line note on the editor's sheet whose item carries `tag`, written in the tag mode the
// tag needs.
std::string NoteWithTag(const RNTag& tag) {
    TNotesDocument note;
    if (tag.IsString()) {
        note.Options.Include(TRNOption::rnoTagsArePChars);
    }
    note.AddNLTag("tagged line", 0, 0, tag);
    TMemoryStream written;
    EXPECT_TRUE(note.SaveRNFToStream(written, false, clNone, nullptr));
    return written.Bytes();
}

TEST(NotesWindow, NotesWithTextTagsOpenEditableAndAreStoredBackByteForByte) {
    const struct {
        RNTag Tag;
        const char* Token; // the tag as it stands before the item's text
    } cases[] = {{RNTag::String("abc"), " abc\r\ntagged line\r\n"},
                 {RNTag(), " 0\r\ntagged line\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Token);
        NotesWindow rig;
        const std::string stored = NoteWithTag(c.Tag);
        ASSERT_NE(stored.find(c.Token), std::string::npos) << stored;
        TTreeNode* note = rig.Note("note", stored);
        rig.Window->ViewsPane().Views().ViewNoteExecute();
        rig.Select(note);
        EXPECT_TRUE(rig.Prompts.Messages.empty());
        EXPECT_FALSE(rig.Window->NotesPart().Commands().NoteDamaged());
        EXPECT_FALSE(rig.Editor().ReadOnly);
        EXPECT_EQ(rig.Editor().GetItemText(0), "tagged line");
        EXPECT_EQ(rig.Editor().GetItemTag(0).AsString(), c.Tag.AsString());

        // Applied without a change, the note is written back as it was read.
        TNodeViews& views = rig.Window->ViewsPane().Views();
        views.OtherChangedExecut();
        views.ApplyChangeExecute();
        EXPECT_EQ(rig.Bytes(note), stored);

        // The same note inserted as a file keeps its tag too.
        const std::filesystem::path file = rig.Folder / "tagged.rnf";
        WriteFileBytes(file, stored);
        rig.Prompts.File = TNoteFileChoice{file.string(), 4};
        MoveCaret(rig.Editor(), 0, 12); // after the line
        rig.Window->NotesPart().Commands().RInsertFileExecute();
        EXPECT_TRUE(rig.Prompts.Messages.empty());
        std::string text;
        for (int item = 0; item < rig.Editor().GetLineCount(); ++item) {
            text += rig.Editor().GetItemText(item) + "|";
            EXPECT_EQ(rig.Editor().GetItemTag(item).AsString(), c.Tag.AsString()) << item;
        }
        EXPECT_EQ(ReplaceAll(text, "tagged line", "").find_first_not_of('|'), std::string::npos)
            << text;
        EXPECT_NE(text.find("tagged line"), text.rfind("tagged line")) << text;
    }
}

} // namespace
