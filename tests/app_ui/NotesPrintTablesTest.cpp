// Notes with tables previewed and printed in turn through the window's commands, each time with
// a cell still open for typing: every cell stays as typed, in the editor and in the stored
// notes, and the print object holds nothing of a note once its preview or print is over.
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/widgets/Printer.h"
#include "richtext/view/PtblRN.h"

#include "tests/app_ui/TablesWindow.h"
#include "tests/richtext_view/PrintFixture.h"
#include "tests/support/PdfPages.h"

#include <QFile>
#include <QTest>

#include <string>
#include <vector>

namespace {

struct PrintingWindow : TablesWindow {
    PrintingWindow()
        : Pdf(Folder.Str() + "/notes.pdf"), Installed(std::make_unique<TQtPrinter>(nullptr, Pdf)) {
        Window->resize(900, 600);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Commands().SetPreviewForm(&Preview);
    }
    ~PrintingWindow() { Commands().SetPreviewForm(nullptr); }

    TNotesCommands& Commands() { return Window->NotesPart().Commands(); }
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }
    // A 2 x 3 table after "before", typed cell by cell with Tab between: the last cell stays
    // open, its caret after the text.
    void TypeTable(const std::vector<std::string>& texts) {
        TRNTableItemInfo& table = Insert(2, 3);
        E().setFocus();
        ASSERT_TRUE(table.EnterItem(true));
        Settle();
        for (size_t i = 0; i < texts.size(); ++i) {
            TRNTableInplaceEdit* cell = CellEditorOf(table);
            ASSERT_NE(cell, nullptr) << i;
            QTest::keyClicks(cell, QString::fromStdString(texts[i]));
            if (i + 1 < texts.size()) {
                QTest::keyClick(cell, Qt::Key_Tab);
            }
            Settle();
        }
        ASSERT_NE(CellEditorOf(table), nullptr);
    }
    // The print preview, paged through and closed as a user does. The cell being edited stays
    // where it is: the pages are laid out apart from the window.
    void PreviewNote() {
        TRNTableInplaceEdit* open = CellEditorOf(*TableAt(1));
        ASSERT_NE(open, nullptr);
        const QRect place = open->geometry();
        int shown = 0;
        WhenModal([&](QWidget* dialog) {
            shown += dialog == &Preview;
            Preview.Button4Click();
            Preview.Button1Click();
            Settle();
            Preview.reject();
        });
        Note(TNoteAction::RPirntPreview)->trigger();
        Settle();
        EXPECT_EQ(shown, 1);
        ExpectNothingHeld();
        ASSERT_EQ(CellEditorOf(*TableAt(1)), open);
        EXPECT_EQ(open->geometry(), place);
    }
    void ExpectNothingHeld() {
        TPrintableRNData& data = Commands().RNPrint1().RichNote().PrintData();
        EXPECT_EQ(data.ItemCount(), 0);
        EXPECT_EQ(data.DrawItems.Count(), 0);
    }
    // The cells of the note's table, row by row.
    std::vector<std::string> Cells() {
        std::vector<std::string> texts;
        const TRNTableItemInfo* table = TableAt(1);
        const int cols = table ? table->Rows.ColCount() : 0;
        for (int i = 0; table && i < table->Rows.Count() * cols; ++i) {
            texts.push_back(table->Cells(i / cols, i % cols)->GetItemText(0));
        }
        return texts;
    }

    std::string Pdf;
    ScopedPrinter Installed;
    TfrmPreview Preview;
};

TEST(NotesPrintTables, NotesPreviewedAndPrintedInTurnKeepEveryCell) {
    const std::vector<std::string> first{"a1", "b1", "c1", "a2", "b2", "c2"};
    const std::vector<std::string> second{"p", "q", "r", "s", "t", "u"};
    PrintingWindow w;
    QFile::remove(QString::fromStdString(w.Pdf));
    TTreeNode* one = w.Node;
    w.TypeTable(first);
    w.PreviewNote();

    TTreeNode* two = w.Add(NodeKind::Notes, "second");
    w.Window->Binder().Items().SetSelected(two);
    PrintingWindow::Settle();
    FillNote(w.E(), {{"before", 0, 0}, {"after", 0, 0}});
    w.Caret(0, 7);
    w.TypeTable(second);
    w.PreviewNote();
    w.Note(TNoteAction::RPrint)->trigger();
    PrintingWindow::Settle();
    w.ExpectNothingHeld();
    EXPECT_EQ(PdfPageObjects(w.Pdf), 1);

    // Each note read back from its record.
    w.Window->Binder().Items().SetSelected(one);
    PrintingWindow::Settle();
    EXPECT_EQ(w.Cells(), first);
    w.Window->Binder().Items().SetSelected(two);
    PrintingWindow::Settle();
    EXPECT_EQ(w.Cells(), second);
}

} // namespace
