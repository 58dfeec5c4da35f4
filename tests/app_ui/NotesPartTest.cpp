// The notes editor wired to the main window's parts with no window object: what is typed
// reaches the binder document, the views' editing state and the status bar straight away, the
// views show and store notes through the editor's notes port, and saving is one call on the
// binder document.
#include "app/ui/NotesPart.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/capture/CapturePort.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/NodeImages.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/StatusBarWriter.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/Files.h"
#include "platform/graphics/ImageList.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct QuietCommands : IViewCommands {
    void SetCommandEnabled(ViewCommand, bool) override {}
    void SetViewMark(int) override {}
};

struct QuietReports : ICaptureReports {
    void CaptureDone(uint32_t) override {}
    void SavingStatus(StatusForm, int, const std::string&,
                      const std::optional<std::string>&) override {}
    void OpenStatusForm(const std::string&) override {}
    void UpdateStatusForm() override {}
    void CloseStatusForm() override {}
    void ProcessMessages() override {}
};

// The parts the window is made of, each built on its own, and the notes editor over them.
struct NotesParts {
    NotesParts() {
        paths.BinderRoot = folder.Str();
        paths.TreeFilePath = (folder / "velmor.sav").string();
        FillMainImages(images);
        notes = std::make_unique<TNotesPart>(binder, views, status, images);
        views.resize(700, 500);
    }
    ~NotesParts() { notes.reset(); }

    TTreeNode* Note(const std::string& title, const std::string& bytes) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::Notes;
        record->Title = title;
        record->Notes.AppendRaw(bytes.data(), bytes.size());
        return binder.Items().AddChildObject(nullptr, title, std::move(record));
    }
    void Type(QChar c) { TypeInto(Editor(), QString(c)); }
    TRichNoteEdit& Editor() { return notes->Commands().RichNoteEdit1(); }
    std::string Panel(int panel) { return status.Bar().Panels()[panel].Text(); }

    ScopedEventLoopInvoker invoker;
    TempDir folder;
    FakeTaskQueue queue;
    TSettings settings;
    BinderPaths paths;
    TBinderTree binder{queue, settings, paths};
    QWidget holder;
    TImageList images;
    TStatusBarWriter status{&holder, images, 900};
    QuietCommands commands;
    QuietReports reports;
    TViewsPane views{binder, paths,   settings,     commands,
                     status, reports, folder.Str(), "not available"};
    std::unique_ptr<TNotesPart> notes;
};

std::string WrittenNote(TRichNoteEdit& editor, const std::string& text) {
    editor.Clear();
    editor.AddNL(text, 0, 0);
    editor.Format();
    TPageInfo record;
    EXPECT_TRUE(saveRichContent(record.Notes, editor));
    return record.Notes.Bytes();
}

} // namespace

TEST(NotesPart, ATypedCharacterReachesTheBinderWithoutAWindow) {
    NotesParts parts;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        ASSERT_EQ(qobject_cast<TFormVelmorRnx*>(top), nullptr);
    }
    const std::string stored = WrittenNote(parts.Editor(), "stored words");
    TTreeNode* a = parts.Note("a", stored);
    TTreeNode* b = parts.Note("b", WrittenNote(parts.Editor(), "other"));
    parts.binder.BinderDirty = false;

    // The views show the selected note through the notes port.
    parts.binder.Items().SetSelected(a);
    ASSERT_EQ(parts.views.ActivePage(), ViewPage::Notes);
    EXPECT_EQ(parts.Editor().GetItemText(0), "stored words");
    EXPECT_FALSE(parts.binder.BinderDirty);
    EXPECT_EQ(parts.views.Views().EditingNode(), nullptr);

    // One typed character: the binder is changed, the views edit the node shown, and the
    // status bar says so.
    parts.Editor().EditData().SetCaretAtItem(0, 1);
    parts.Type('x');
    EXPECT_TRUE(parts.binder.BinderDirty);
    EXPECT_EQ(parts.views.Views().EditingNode(), a);
    EXPECT_EQ(parts.Panel(NotesStatusPanel), "Modified");
    EXPECT_EQ(NodeRecord(a)->Notes.Bytes(), stored);

    // Saving stores the note in the record and writes the tree file in one call.
    parts.notes->Commands().RSaveExecute();
    EXPECT_FALSE(parts.binder.BinderDirty);
    const std::string saved = NodeRecord(a)->Notes.Bytes();
    EXPECT_NE(saved.find("xstored words"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(parts.paths.TreeFilePath));
    EXPECT_EQ(parts.Panel(NotesStatusPanel), "Saved");

    // Moving on stores the pending edit through the port into the node it was typed for.
    parts.Type('y');
    ASSERT_EQ(parts.views.Views().EditingNode(), a);
    parts.binder.Items().SetSelected(b);
    EXPECT_NE(NodeRecord(a)->Notes.Bytes().find("xystored words"), std::string::npos);
    EXPECT_EQ(parts.Editor().GetItemText(0), "other");
    EXPECT_EQ(parts.views.Views().EditingNode(), nullptr);
}

// The views without a notes editor show nodes and store nothing.
TEST(NotesPart, ViewsWithoutTheEditorLeaveNotesAlone) {
    NotesParts parts;
    const std::string stored = WrittenNote(parts.Editor(), "kept");
    TTreeNode* a = parts.Note("a", stored);
    parts.binder.Items().SetSelected(a);
    parts.Type('z');
    ASSERT_EQ(parts.views.Views().EditingNode(), a);
    parts.notes.reset();
    parts.views.Views().ApplyChangeExecute();
    EXPECT_EQ(NodeRecord(a)->Notes.Bytes(), stored);
}

// A note is laid out once when it is shown, also when showing it brings the notes page up; the
// page shown again lays it out only at a new width.
TEST(NotesPart, ANoteShownWithItsPageIsLaidOutOnce) {
    NotesParts parts;
    parts.views.show();
    TTreeNode* a = parts.Note("a", WrittenNote(parts.Editor(), "first note"));
    TTreeNode* b = parts.Note("b", WrittenNote(parts.Editor(), "second note"));
    parts.binder.Items().SetSelected(a);
    ASSERT_EQ(parts.views.ActivePage(), ViewPage::Notes);

    parts.views.ActivatePage(ViewPage::Browse);
    const uint32_t before = parts.Editor().RNData().WholeLayouts;
    parts.binder.Items().SetSelected(b);
    ASSERT_EQ(parts.views.ActivePage(), ViewPage::Notes);
    ASSERT_EQ(parts.Editor().GetItemText(0), "second note");
    EXPECT_EQ(parts.Editor().RNData().WholeLayouts - before, 1u);

    // Another page and back at the same width: nothing to lay out.
    parts.views.ActivatePage(ViewPage::Browse);
    parts.views.ActivatePage(ViewPage::Notes);
    EXPECT_EQ(parts.Editor().RNData().WholeLayouts - before, 1u);

    // Narrower while another page was up: the note follows the new width when shown.
    parts.views.ActivatePage(ViewPage::Browse);
    parts.views.resize(400, 500);
    QCoreApplication::processEvents();
    const uint32_t narrowed = parts.Editor().RNData().WholeLayouts;
    parts.views.ActivatePage(ViewPage::Notes);
    QCoreApplication::processEvents();
    EXPECT_GT(parts.Editor().RNData().WholeLayouts, before + 1);
    EXPECT_LE(parts.Editor().RNData().WholeLayouts - narrowed, 1u);
}
