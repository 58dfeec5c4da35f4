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
// `next` as their next style; `change` alters the sheet further.
std::string NoteNamingNext(int next, const std::function<void(TRNStyle&)>& change = {}) {
    TNotesDocument note;
    note.Sheet().TextStyles()[0].NextStyleNo = next;
    note.Sheet().ParaStyles()[0].NextParaNo = next;
    if (change) {
        change(note.Sheet());
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

// The stored note reads back on the notes editor's sheet as "Title" and "x", every item in a
// style of the sheet.
void ExpectReadsBack(const std::string& stored) {
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
    EXPECT_EQ(read, (std::vector<std::string>{"Title", "x"}));
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
    TTreeNode* Open(const std::string& bytes) {
        TTreeNode* node = Add(NodeKind::Notes, "note");
        NodeRecord(node)->Notes.AppendRaw(bytes.data(), bytes.size());
        Select(node);
        return node;
    }
    void Select(TTreeNode* node) { Window->Binder().Items().SetSelected(node); }
    TNotesCommands& Commands() { return Window->NotesPart().Commands(); }
    TRichNoteEdit& Editor() { return Commands().RichNoteEdit1(); }
    // Enter at the end of the last paragraph and "x" typed, as the keys do, without a message;
    // then the note is stored as moving to another node stores it.
    std::string EnterAndType(TTreeNode* node) {
        const int last = Editor().GetLineCount() - 1;
        MoveCaret(Editor(), last, static_cast<int>(Editor().GetItemText(last).size()) + 1);
        QTest::keyClick(&Editor(), Qt::Key_Return);
        TypeInto(Editor(), "x");
        EXPECT_TRUE(Boxes.Boxes.empty()) << Boxes.Boxes.front();
        Select(Other);
        return NodeRecord(node)->Notes.Bytes();
    }
    FakeNotesPrompts Prompts;
    BoxCatcher Boxes;
    TTreeNode* Other = nullptr;
};

// The note as another binder exports it, imported by the menu command.
TTreeNode* Import(NextStyleWindow& w, const std::string& note) {
    BinderPaths paths;
    paths.BinderRoot = w.Folder.Str();
    TTreeNodes tree;
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::Notes;
    record->Notes.AppendRaw(note.data(), note.size());
    tree.AddChildObject(nullptr, "carried", std::move(record));
    const std::string file = w.Folder.Str() + "/note.tqz";
    EXPECT_TRUE(WriteExchangeFile(tree, nullptr, paths, file).Write.Written);
    TTreeNode* folder = w.Add(NodeKind::Folder, "folder");
    w.Select(folder);
    WhenModalIs<QFileDialog>([&file](QFileDialog* files) {
        files->selectFile(QString::fromStdString(file));
        static_cast<QDialog*>(files)->accept();
    });
    w.Window->Actions().Action(TMainAction::FileImportVelmor)->trigger();
    EXPECT_EQ(folder->Count(), 1);
    w.Select(folder->Item(0));
    return folder->Item(0);
}

// The note pasted as another program leaves it: its length, then the note.
TTreeNode* Paste(NextStyleWindow& w, const std::string& note) {
    TTreeNode* node = w.Open("");
    const auto length = static_cast<uint32_t>(note.size());
    auto* data = new QMimeData;
    data->setData(
        CF_RICHNOTE_MIME,
        QByteArray::fromStdString(std::string(reinterpret_cast<const char*>(&length), 4) + note));
    QApplication::clipboard()->setMimeData(data);
    w.Commands().Execute(TNoteAction::RPaste);
    return node;
}

} // namespace

TEST(NotesNextStyle, ANoteNamingAStyleItLacksTakesEnterAndReadsBackOpenedPastedOrImported) {
    const std::pair<const char*, std::function<TTreeNode*(NextStyleWindow&, std::string)>> ways[] =
        {{"opened", [](NextStyleWindow& w, std::string note) { return w.Open(note); }},
         {"pasted", Paste},
         {"imported", Import}};
    for (const auto& [way, bring] : ways) {
        for (int next : {99, -5}) {
            SCOPED_TRACE(std::string(way) + " " + std::to_string(next));
            NextStyleWindow w;
            TTreeNode* node = bring(w, NoteNamingNext(next));
            ExpectNextStylesInside(w.Commands().rns());
            ExpectReadsBack(w.EnterAndType(node));
        }
    }
}

// A sheet changed in the program that names a style it lacks: Enter keeps the current styles.
TEST(NotesNextStyle, EnterIgnoresANextStyleTheSheetLacks) {
    for (int next : {99, -5}) {
        SCOPED_TRACE(next);
        NextStyleWindow w;
        TTreeNode* node = w.Open(NoteNamingNext(-1));
        TRNStyle& sheet = w.Commands().rns();
        sheet.TextStyles()[0].NextStyleNo = sheet.ParaStyles()[0].NextParaNo = next;
        const std::string stored = w.EnterAndType(node);
        sheet.TextStyles()[0].NextStyleNo = sheet.ParaStyles()[0].NextParaNo = -1;
        ExpectReadsBack(stored);
    }
}

// The alignment buttons name paragraph styles of the notes editor's own sheet; in a note whose
// sheet has only one, the paragraph keeps it.
TEST(NotesNextStyle, AlignmentANoteSheetLacksLeavesTheParagraphInItsStyle) {
    NextStyleWindow w;
    TTreeNode* node = w.Open(NoteNamingNext(-1, [](TRNStyle& sheet) {
        TParaInfos left;
        left.Add().Assign(sheet.ParaStyles()[0]);
        sheet.ParaStyles().Assign(left);
    }));
    w.Commands().Action(TNoteAction::RAlignCnt)->trigger();
    ExpectReadsBack(w.EnterAndType(node));
}

// A note opening on text that takes no caret style of its own, after a note whose caret stood in
// a style the new sheet lacks: Bold applies instead of failing.
TEST(NotesNextStyle, BoldAfterANoteOfMoreStylesTakesTheNewSheet) {
    NextStyleWindow w;
    w.Open(NoteNamingNext(-1));
    w.Editor().ApplyTextStyle(w.Commands().rns().TextStyles().Count() - 1);
    TTreeNode* node = w.Open(NoteNamingNext(-1, [](TRNStyle& sheet) {
        while (sheet.TextStyles().Count() > 6) {
            sheet.TextStyles().Delete(6);
        }
        sheet.TextStyles()[0].Protection = {TRNProtectOption::rnprDoNotAutoSwitch};
    }));
    w.Commands().Execute(TNoteAction::RBold);
    ExpectReadsBack(w.EnterAndType(node));
}
