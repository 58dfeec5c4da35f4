#pragma once

// The main window with a note holding "before" and "after", its table commands answered by
// the test: tables inserted as the Insert Table form asks, cells opened and typed into, the
// note read back from its record.

#include "app/binder/PageInfo.h"
#include "app/ui/TableCommands.h"
#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/UnitTablesize.h"
#include "richtext/tables/RNTableInplace.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <gtest/gtest.h>

#include <string>

struct TablesWindow : MainWindowRig {
    TablesWindow() {
        RegisterTableItemClass();
        Make();
        Lifecycle.Open = true;
        Window->NotesPart().Commands().SetPrompts(Prompts);
        Node = Add(NodeKind::Notes, "n");
        Window->ViewsPane().Views().ViewNoteExecute();
        Window->Binder().Items().SetSelected(Node);
        FillNote(E(), {{"before", 0, 0}, {"after", 0, 0}});
        Caret(0, 7);
    }
    TRichNoteEdit& E() { return Window->NotesPart().Commands().RichNoteEdit1(); }
    TTableCommands& T() { return Window->NotesPart().Tables(); }
    void Caret(int itemNo, int offs) { MoveCaret(E(), itemNo, offs); }
    // Answers "Insert Table" with a size and a layout (percent 0: "AutoSize ").
    void AnswerInsert(int rows, int cols, int percent) {
        Prompts.Form = [=](QDialog& form) {
            auto& f = dynamic_cast<TForm2&>(form);
            f.CSpinEdit1->setValue(rows);
            f.CSpinEdit2->setValue(cols);
            f.SetLayoutIndex(percent == 0 ? 0 : 1);
            EXPECT_EQ(f.CSpinEdit3->isEnabled(), percent != 0);
            f.CSpinEdit3->setValue(percent == 0 ? 100 : percent);
            return true;
        };
    }
    // A rows x cols table inserted after "before", the caret on it.
    TRNTableItemInfo& Insert(int rows, int cols, int percent = 0) {
        AnswerInsert(rows, cols, percent);
        T().RInsertTableExecute();
        TRNTableItemInfo* table = TableAt(1);
        EXPECT_NE(table, nullptr);
        Caret(1, 0);
        return *table;
    }
    TRNTableItemInfo* TableAt(int itemNo) {
        return itemNo < E().GetLineCount()
                   ? dynamic_cast<TRNTableItemInfo*>(&E().EditData().GetItem(itemNo))
                   : nullptr;
    }
    std::string Rnf() { return NoteBytes(E()); }
    int Tables() {
        int count = 0;
        for (int i = 0; i < E().GetLineCount(); ++i) {
            count += TableAt(i) != nullptr;
        }
        return count;
    }
    bool On(TTableAction action) { return T().Action(action)->isEnabled(); }
    QAction* Note(TNoteAction action) { return Window->NotesPart().Commands().Action(action); }
    // The cell editor opened on a cell of `t`, holding `text`, all of it selected.
    TRNTableInplaceEdit* OpenCell(TRNTableItemInfo& t, int row, int col, const std::string& text) {
        t.CreateInplace(-1, row, col, false, false);
        TRNTableInplaceEdit* cell = CellEditorOf(t);
        if (cell) {
            cell->InsertText(text);
            cell->SetSelectionBounds(0, 1, 0, static_cast<int>(text.size()) + 1);
        }
        return cell;
    }
    // The note as its record keeps it, shown again as selecting its node shows it.
    void Reload() {
        const std::string bytes = Rnf();
        TTreeNode* other = Add(NodeKind::Notes, "other");
        Window->Binder().Items().SetSelected(other);
        NodeRecord(Node)->Notes.Clear();
        NodeRecord(Node)->Notes.AppendRaw(bytes.data(), bytes.size());
        Window->Binder().Items().SetSelected(Node);
    }
    static void Type(QWidget* editor, const QString& text) {
        TypeInto(*editor, text);
        QApplication::processEvents();
    }

    FakeNotesPrompts Prompts;
    TTreeNode* Node = nullptr;
};
