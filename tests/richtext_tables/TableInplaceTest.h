#pragma once

// A table in a notes editor control, with the cell editor laid over its cells, and keys and
// messages sent the way the window system sends them.

#include "TableFixture.h"

#include "platform/widgets/Control.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTableInplace.h"

#include <QApplication>
#include <QKeyEvent>

#include <memory>
#include <string>

struct EditedTable {
    TRNStyle Sheet;
    TRichNoteEdit Edit;
    TRNTableItemInfo* T = nullptr;
    int Beeps = 0;

    EditedTable(int rows, int cols, TableOptions options = TableOptions::Defaults) {
        for (int i = 0; i < 4; ++i) {
            Sheet.TextStyles()[i].Size = 12;
        }
        // As the notes window sets up its editor.
        UseTableOptions(options, Edit, Sheet);
        if (options == TableOptions::NotesEditor) {
            Edit.EditorOptions = {TRNEditorOption::rnoClearTagOnStyleApp,
                                  TRNEditorOption::rnoAutoSwitchLang};
            SetUpNotesRTFReader(*Edit.GetRTFReadProperties());
        }
        Edit.SetStyle(&Sheet);
        Edit.SetUndoLimit(-1);
        Edit.resize(500, 300);
        Edit.EditData().OnBeep = [this] { ++Beeps; };
        Edit.AddNL("before", 0, 0);
        auto table = std::make_unique<TRNTableItemInfo>(rows, cols, &Edit.RNData());
        T = table.get();
        T->BestWidth = 300;
        Edit.AddItem("", std::move(table));
        T->InsertedInData = T->InEditor = true;
        Edit.Format();
        Edit.show();
    }
    TRNTableInplaceEdit* Cell() const { return CellEditorOf(*T); }
    void Open(int row, int col) { T->CreateInplace(-1, row, col, false, false); }
    std::string Text(int row, int col) const {
        std::string text;
        const TRNTableCellData* cell = T->Cells(row, col);
        for (int i = 0; cell && i < cell->ItemCount(); ++i) {
            text += cell->GetItemText(i);
        }
        return text;
    }
    static void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = {},
                    const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
    }
    static void Type(QWidget* target, const std::string& text) {
        for (char ch : text) {
            Key(target, ch == ' ' ? Qt::Key_Space : Qt::Key_A + (ch - 'a'), {}, QString(QChar(ch)));
        }
    }
    // The middle of the gap before column `col`, in the control's client coordinates.
    TPoint ColBorder(int col) {
        TRNEditRNData& doc = Edit.EditData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const auto& f = T->FormattingInfo;
        return {d.Left - doc.GetHOffs() + f.ColStarts[col] -
                    (T->CellHSpacing + 2 * T->CellBorderWidth) / 2,
                d.Top - doc.GetVOffs() + f.RowStarts[0] + 5};
    }
    // Posted messages, then the editors freed after their handlers.
    static void Settle() {
        QApplication::sendPostedEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
