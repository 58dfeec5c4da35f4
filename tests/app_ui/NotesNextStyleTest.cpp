// A note whose own style sheet names, as the style after Enter, a style it does not have (from a
// damaged or hostile binder, exchange file or clipboard): opened, pasted or imported, Enter at a
// paragraph's end and a letter typed, the note is stored and reads back whole.
#include "app/binder/ExchangeFile.h"
#include "app/binder/PageInfo.h"
#include "app/ui/NotesCommands.h"
#include "platform/graphics/ClipboardWriter.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/NotesSheet.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

// A note on the notes editor's sheet whose "Normal" text style and "Left" paragraph style name
// `next` as their next style; with `onePara` its sheet keeps "Left" as its only paragraph style.
std::string NoteNamingNext(int next, bool onePara = false) {
    TNotesDocument note;
    TParaInfos& paras = note.Sheet().ParaStyles();
    note.Sheet().TextStyles()[0].NextStyleNo = next;
    paras[0].NextParaNo = next;
    if (onePara) {
        TParaInfos left;
        left.Add().Assign(paras[0]);
        paras.Assign(left);
    }
    note.AddNL("Title", 0, 0);
    TMemoryStream written;
    note.SaveRNFToStream(written, false, clNone, nullptr);
    return written.Bytes();
}

bool Among(int styleNo, const TCustomRNInfos& styles) {
    return styleNo >= 0 && styleNo < styles.Count();
}

// Every next style of `sheet` is one of it, or none.
void ExpectNextStylesInside(const TRNStyle& sheet) {
    for (int i = 0; i < sheet.TextStyles().Count(); ++i) {
        const int next = sheet.TextStyles()[i].NextStyleNo;
        EXPECT_TRUE(next == -1 || Among(next, sheet.TextStyles())) << "text style " << i;
    }
    for (int i = 0; i < sheet.ParaStyles().Count(); ++i) {
        const int next = sheet.ParaStyles()[i].NextParaNo;
        EXPECT_TRUE(next == -1 || Among(next, sheet.ParaStyles())) << "paragraph style " << i;
    }
}

// The stored note reads back on the notes editor's sheet with `texts` in it, every item in a
// style of the sheet.
void ExpectReadsBack(const std::string& stored, const std::vector<std::string>& texts) {
    TNotesDocument note;
    TBytesReadStream stream(stored);
    TColor color = clNone;
    ASSERT_TRUE(note.LoadRNFFromStream(stream, color, nullptr)) << note.RNFError;
    ExpectNextStylesInside(note.Sheet());
    std::vector<std::string> read;
    for (int i = 0; i < note.ItemCount(); ++i) {
        read.push_back(note.GetItemText(i));
        EXPECT_TRUE(Among(note.GetItem(i).StyleNo, note.Sheet().TextStyles())) << i;
        EXPECT_TRUE(Among(note.GetItem(i).ParaNo, note.Sheet().ParaStyles())) << i;
    }
    EXPECT_EQ(read, texts);
}

struct NextStyleWindow : MainWindowRig {
    NextStyleWindow() {
        BinderInFolder();
        Make();
        Lifecycle.Open = true;
        Window->NotesPart().Commands().SetPrompts(Prompts);
        Other = Add(NodeKind::Notes, "other");
        Window->ViewsPane().Views().ViewNoteExecute();
    }
    TTreeNode* Note(const std::string& bytes) {
        TTreeNode* node = Add(NodeKind::Notes, "note");
        NodeRecord(node)->Notes.AppendRaw(bytes.data(), bytes.size());
        return node;
    }
    void Select(TTreeNode* node) { Window->Binder().Items().SetSelected(node); }
    TNotesCommands& Commands() { return Window->NotesPart().Commands(); }
    TRichNoteEdit& Editor() { return Commands().RichNoteEdit1(); }
    // Enter at the end of the last paragraph and "x" typed, as the keys do; then the note is
    // stored as moving to another node stores it.
    std::string EnterAndType(TTreeNode* node) {
        const int last = Editor().GetLineCount() - 1;
        MoveCaret(Editor(), last, static_cast<int>(Editor().GetItemText(last).size()) + 1);
        const size_t shown = Boxes.Boxes.size();
        QTest::keyClick(&Editor(), Qt::Key_Return);
        TypeInto(Editor(), "x");
        EXPECT_EQ(Boxes.Boxes.size(), shown) << Boxes.Boxes.back();
        Select(Other);
        return NodeRecord(node)->Notes.Bytes();
    }
    FakeNotesPrompts Prompts;
    BoxCatcher Boxes;
    TTreeNode* Other = nullptr;
};

constexpr int OutsideNexts[] = {99, -5};

} // namespace

TEST(NotesNextStyle, ANoteNamingAStyleItLacksTakesEnterAndReadsBack) {
    for (int next : OutsideNexts) {
        SCOPED_TRACE(next);
        NextStyleWindow w;
        TTreeNode* node = w.Note(NoteNamingNext(next));
        w.Select(node);
        ExpectNextStylesInside(w.Commands().rns());
        ExpectReadsBack(w.EnterAndType(node), {"Title", "x"});
    }
}

TEST(NotesNextStyle, TheSameNotePastedTakesEnterAndReadsBack) {
    for (int next : OutsideNexts) {
        SCOPED_TRACE(next);
        NextStyleWindow w;
        TTreeNode* node = w.Note("");
        w.Select(node);
        // The clipboard block: the note's length, then the note.
        const std::string note = NoteNamingNext(next);
        const auto length = static_cast<uint32_t>(note.size());
        std::string block(reinterpret_cast<const char*>(&length), 4);
        auto* data = new QMimeData;
        data->setData(CF_RICHNOTE_MIME, QByteArray::fromStdString(block + note));
        QApplication::clipboard()->setMimeData(data);
        w.Commands().Execute(TNoteAction::RPaste);
        ExpectNextStylesInside(w.Commands().rns());
        ExpectReadsBack(w.EnterAndType(node), {"Title", "x"});
    }
}

TEST(NotesNextStyle, TheSameNoteFromAnExchangeFileTakesEnterAndReadsBack) {
    for (int next : OutsideNexts) {
        SCOPED_TRACE(next);
        TempDir source;
        BinderPaths paths;
        paths.BinderRoot = source.Str();
        paths.BinderStore = "store";
        TTreeNodes tree;
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::Notes;
        record->Title = "carried";
        const std::string bytes = NoteNamingNext(next);
        record->Notes.AppendRaw(bytes.data(), bytes.size());
        tree.AddChildObject(nullptr, "carried", std::move(record));
        const std::string file = source.Str() + "/note.tqz";
        ASSERT_TRUE(WriteExchangeFile(tree, nullptr, paths, file).Write.Written);

        NextStyleWindow w;
        TTreeNode* folder = w.Add(NodeKind::Folder, "folder");
        w.Select(folder);
        WhenModalIs<QFileDialog>([&file](QFileDialog* files) {
            files->selectFile(QString::fromStdString(file));
            static_cast<QDialog*>(files)->accept();
        });
        w.Window->Actions().Action(TMainAction::FileImportVelmor)->trigger();
        ASSERT_EQ(folder->Count(), 1);
        w.Select(folder->Item(0));
        ExpectNextStylesInside(w.Commands().rns());
        ExpectReadsBack(w.EnterAndType(folder->Item(0)), {"Title", "x"});
    }
}

// A sheet made in the program that names a style it lacks: Enter keeps the current styles.
TEST(NotesNextStyle, EnterIgnoresANextStyleTheSheetLacks) {
    for (int next : OutsideNexts) {
        SCOPED_TRACE(next);
        NextStyleWindow w;
        TTreeNode* node = w.Note(NoteNamingNext(-1));
        w.Select(node);
        w.Commands().rns().TextStyles()[0].NextStyleNo = next;
        w.Commands().rns().ParaStyles()[0].NextParaNo = next;
        const std::string stored = w.EnterAndType(node);
        w.Commands().rns().TextStyles()[0].NextStyleNo = -1;
        w.Commands().rns().ParaStyles()[0].NextParaNo = -1;
        ExpectReadsBack(stored, {"Title", "x"});
    }
}

// The alignment buttons name paragraph styles of the notes editor's own sheet; a note whose
// sheet has fewer keeps its paragraphs in styles it has.
TEST(NotesNextStyle, AlignmentANoteSheetLacksLeavesTheParagraphInItsStyle) {
    NextStyleWindow w;
    TTreeNode* node = w.Note(NoteNamingNext(-1, true));
    w.Select(node);
    w.Commands().Action(TNoteAction::RAlignCnt)->trigger();
    ExpectReadsBack(w.EnterAndType(node), {"Title", "x"});
}

// A note whose first text takes no caret style of its own opens after a note whose caret stood
// in a style the new sheet lacks: Bold applies to what is typed instead of failing.
TEST(NotesNextStyle, BoldAfterANoteOfMoreStylesTakesTheNewSheet) {
    NextStyleWindow w;
    TNotesDocument few;
    while (few.Sheet().TextStyles().Count() > 6) {
        few.Sheet().TextStyles().Delete(6);
    }
    few.Sheet().TextStyles()[0].Protection = {TRNProtectOption::rnprDoNotAutoSwitch};
    few.AddNL("Title", 0, 0);
    TMemoryStream written;
    few.SaveRNFToStream(written, false, clNone, nullptr);
    TTreeNode* many = w.Note(NoteNamingNext(-1));
    TTreeNode* node = w.Note(written.Bytes());
    w.Select(many);
    w.Editor().ApplyTextStyle(w.Editor().Style()->TextStyles().Count() - 1);
    w.Select(node);
    w.Commands().Execute(TNoteAction::RBold);
    ExpectReadsBack(w.EnterAndType(node), {"Title", "x"});
    EXPECT_TRUE(w.Boxes.Boxes.empty()) << w.Boxes.Boxes.front();
}
