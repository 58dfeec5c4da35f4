#include "app/ui/TableCommands.h"

#include "app/ui/NotesCommands.h"
#include "app/ui/TableIcons.h"
#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/UnitTablesize.h"
#include "app/ui/dialogs/splitdlg.h"
#include "platform/widgets/Control.h"
#include "richtext/tables/RNTableInplace.h"
#include "richtext/view/CtrlImg.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QToolBar>

namespace {

struct TTableActionEntry {
    TTableAction Action;
    const char* Name;
    const char* Caption; // the menu's, or null for the hint's short part
    const char* Hint;    // "short|long", or one text for both
    int Tag;
    TTableIcon Icon;
    void (TTableCommands::*Run)();
};

constexpr TTableActionEntry TableActionEntries[] = {
    {TTableAction::RInsertTable, "RInsertTable", "Table", "Insert Table |Insert Table Into Note", 0,
     TTableIcon::InsertTable, &TTableCommands::RInsertTableExecute},
    {TTableAction::RDelTables, "RDelTables", nullptr, "Delete Table", 0, TTableIcon::DeleteTable,
     &TTableCommands::RDelTablesExecute},
    {TTableAction::RInsertRowBefore, "RInsertRowBefore", nullptr,
     "Insert Row Before|Insert Row Before", 1, TTableIcon::RowBefore,
     &TTableCommands::RInsertRowBeforeExecute},
    {TTableAction::RInsertRowAfter, "RInsertRowAfter", nullptr, "Insert Row After|Insert Row After",
     2, TTableIcon::RowAfter, &TTableCommands::RInsertRowAfterExecute},
    {TTableAction::RInsertColBefore, "RInsertColBefore", nullptr,
     "Insert Column Before|Insert Column Before", 3, TTableIcon::ColBefore,
     &TTableCommands::RInsertColBeforeExecute},
    {TTableAction::RInsertColAfter, "RInsertColAfter", nullptr,
     "Insert Column After|Insert Column After", 4, TTableIcon::ColAfter,
     &TTableCommands::RInsertColAfterExecute},
    {TTableAction::RDelRows, "RDelRows", nullptr, "Delete Rows", 5, TTableIcon::DeleteRows,
     &TTableCommands::RDelRowsExecute},
    {TTableAction::RDelCol, "RDelCol", nullptr, "Delete Column", 6, TTableIcon::DeleteCols,
     &TTableCommands::RDelColExecute},
    {TTableAction::RmergeTable, "RmergeTable", nullptr, "Merge Cells", 7, TTableIcon::Merge,
     &TTableCommands::RmergeTableExecute},
    {TTableAction::RSplitTable, "RSplitTable", nullptr, "Split Cell", 11, TTableIcon::Split,
     &TTableCommands::RSplitTableExecute},
};

// The actions that need cells selected (or one being edited).
constexpr TTableAction SelectionActions[] = {
    TTableAction::RInsertRowBefore, TTableAction::RInsertRowAfter, TTableAction::RInsertColBefore,
    TTableAction::RInsertColAfter,  TTableAction::RDelRows,        TTableAction::RDelCol,
    TTableAction::RDelTables};

// Properties of a new table.
constexpr int NewTableBorder = 1;
constexpr int NewTableSpacing = 2;
constexpr int NewTablePadding = 3;

// The table at the caret of the innermost editor that has one, with that editor; none while
// the notes may not change.
bool ChangeableTableAtCaret(TRichNoteEdit& main, TRichNoteEdit*& editor, TRNTableItemInfo*& table) {
    return main.CanChange() && main.GetCurrentItemEx(editor, table);
}

// Removes the whole table item: one undo step of its own.
void DeleteTableItem(TRichNoteEdit& editor, int itemNo) {
    editor.SetSelectionBounds(itemNo, 0, itemNo, 1);
    editor.DeleteSelection();
}

enum TTableTag {
    TagRowBefore = 1,
    TagRowAfter = 2,
    TagColBefore = 3,
    TagColAfter = 4,
    TagDeleteRows = 5,
    TagDeleteCols = 6,
    TagMerge = 7,
    TagSplit = 11
};

// Whether deleting the selected rows (columns) would delete all of the table's.
bool DeletesWholeTable(const TRNTableItemInfo& table, int tag) {
    int topRow = 0, leftCol = 0, colSpan = 0, rowSpan = 0;
    if ((tag != TagDeleteRows && tag != TagDeleteCols) ||
        !table.GetNormalizedSelectionBounds(true, topRow, leftCol, colSpan, rowSpan)) {
        return false;
    }
    return tag == TagDeleteRows ? rowSpan == table.Rows.Count()
                                : colSpan == table.Rows.Get(0)->Count();
}

std::unique_ptr<TRNTableItemInfo> NewTable(const TForm2& form, TCustomRNData* rnData) {
    const int cols = form.Cols();
    auto table = std::make_unique<TRNTableItemInfo>(form.Rows(), cols, rnData);
    TRNTableItemInfo& t = *table;
    t.SetColor(clWhite);
    t.SetBorderWidth(NewTableBorder);
    t.SetBorderStyle(TRNTableBorderStyle::rntbColor);
    t.SetCellBorderStyle(TRNTableBorderStyle::rntbColor);
    t.SetBorderLightColor(clWhite);
    t.SetCellBorderLightColor(clWhite);
    t.SetBorderColor(clBlack);
    t.SetCellBorderColor(clBlack);
    t.SetBorderVSpacing(NewTableSpacing);
    t.SetBorderHSpacing(NewTableSpacing);
    t.SetCellBorderWidth(NewTableBorder);
    t.SetCellPadding(NewTablePadding);
    t.SetCellVSpacing(NewTableSpacing);
    t.SetCellHSpacing(NewTableSpacing);
    for (int row = 0; row < t.Rows.Count(); ++row) {
        for (int col = 0; col < cols; ++col) {
            t.SetCellBestWidth(-(100 / cols), row, col);
        }
    }
    t.SetBestWidth(form.LayoutIndex() == 0 ? -100 : -form.PercentWidth());
    return table;
}

} // namespace

TTableCommands::TTableCommands(TNotesCommands& notes, QWidget& page) : notes_(notes) {
    BuildActions();
    BuildToolBar(page);
    AddToInsertMenu();
    notes_.OnTableCaret = [this] { UpdateTableActions(); };
    notes_.RNPrint1().OnPrintComponent = &TTableCommands::RNPrint1PrintComponent;
    UpdateTableActions();
}

TTableCommands::~TTableCommands() {
    notes_.OnTableCaret = nullptr;
    notes_.RNPrint1().OnPrintComponent = nullptr;
}

void TTableCommands::BuildActions() {
    for (const TTableActionEntry& entry : TableActionEntries) {
        const QString hint = entry.Hint;
        const QString shortHint = hint.section('|', 0, 0);
        auto* action = new QAction(TableIcon(entry.Icon),
                                   entry.Caption != nullptr ? entry.Caption : shortHint, this);
        action->setObjectName(entry.Name);
        action->setToolTip(shortHint);
        action->setStatusTip(hint.contains('|') ? hint.section('|', 1) : hint);
        action->setData(entry.Tag);
        actions_[entry.Action] = action;
        const auto run = entry.Run;
        connect(action, &QAction::triggered, this,
                [this, run] { GuardEvent([this, run] { (this->*run)(); }); });
    }
}

void TTableCommands::BuildToolBar(QWidget& page) {
    toolBar_ = new QToolBar(&page);
    toolBar_->setObjectName("TableToolBar");
    toolBar_->setIconSize(QSize(16, 16));
    for (const TTableActionEntry& entry : TableActionEntries) {
        toolBar_->addAction(Action(entry.Action));
        if (entry.Action == TTableAction::RDelTables || entry.Action == TTableAction::RDelCol) {
            toolBar_->addSeparator();
        }
    }
    // Under the editor's own tool bar, above the editor.
    if (auto* layout = qobject_cast<QBoxLayout*>(page.layout())) {
        layout->insertWidget(1, toolBar_);
    }
}

void TTableCommands::AddToInsertMenu() {
    auto* insert = notes_.EditMenu().findChild<QMenu*>("Insert1");
    if (insert == nullptr) {
        insert = notes_.EditMenu().addMenu("&Insert");
        insert->setObjectName("Insert1");
    }
    const QList<QAction*> entries = insert->actions();
    insert->insertAction(entries.isEmpty() ? nullptr : entries.front(),
                         Action(TTableAction::RInsertTable));
}

// ---- commands ---------------------------------------------------------------------------------

void TTableCommands::RInsertTableExecute() {
    TForm2 form(notes_.RichNoteEdit1().window());
    if (!notes_.Prompts().ShowModal(form)) {
        return;
    }
    // While a cell is being edited the new table goes into that cell.
    TRichNoteEdit& editor = notes_.RichNoteEdit1().GetActiveRichNoteEdit();
    editor.InsertItem("", NewTable(form, &editor.RNData()));
    UpdateTableActions();
}

void TTableCommands::RDelTablesExecute() {
    TRichNoteEdit* editor = nullptr;
    TRNTableItemInfo* table = nullptr;
    if (!ChangeableTableAtCaret(notes_.RichNoteEdit1(), editor, table)) {
        return;
    }
    DeleteTableItem(*editor, editor->GetItemNo(table));
    UpdateTableActions();
}

void TTableCommands::TableCommand(const QAction* sender) {
    TRichNoteEdit* editor = nullptr;
    TRNTableItemInfo* table = nullptr;
    if (sender == nullptr || !ChangeableTableAtCaret(notes_.RichNoteEdit1(), editor, table)) {
        return;
    }
    const int tag = sender->data().toInt();
    const int itemNo = editor->GetItemNo(table);
    // Decided before the item is opened for modification: deleting every row or column
    // deletes the item itself, and nothing may stay open on an item that is gone.
    if (DeletesWholeTable(*table, tag)) {
        DeleteTableItem(*editor, itemNo);
        UpdateTableActions();
        return;
    }
    // The item's paragraph (or the document) is formatted afterwards, whatever the edit throws.
    int data = 0;
    editor->BeginItemModify(itemNo, data);
    bool changed = false;
    try {
        changed = RunOnTable(*table, tag);
    } catch (...) {
        editor->EndItemModify(itemNo, data);
        throw;
    }
    editor->EndItemModify(itemNo, data);
    if (changed) {
        editor->Change();
    }
    UpdateTableActions();
}

bool TTableCommands::RunOnTable(TRNTableItemInfo& table, int tag) {
    switch (tag) {
    case TagRowBefore:
        table.InsertRowsAbove(1);
        return true;
    case TagRowAfter:
        table.InsertRowsBelow(1);
        return true;
    case TagColBefore:
        table.InsertColsLeft(1);
        return true;
    case TagColAfter:
        table.InsertColsRight(1);
        return true;
    case TagDeleteRows:
    case TagDeleteCols:
    case TagMerge: {
        // What the command leaves empty goes in the same step.
        const TRNTableUndoGroup group(table);
        if (tag == TagDeleteRows) {
            table.DeleteSelectedRows();
        } else if (tag == TagDeleteCols) {
            table.DeleteSelectedCols();
        } else {
            table.MergeSelectedCells(true);
        }
        table.DeleteEmptyRows();
        table.DeleteEmptyCols();
        return true;
    }
    case TagSplit: {
        TOKBottomDlg form(notes_.RichNoteEdit1().window());
        if (!notes_.Prompts().ShowModal(form)) {
            return false;
        }
        const TRNTableUndoGroup group(table);
        table.SplitSelectedCellsVertically(form.Cols());
        table.SplitSelectedCellsHorizontally(form.Rows());
        return true;
    }
    default:
        return false;
    }
}

void TTableCommands::UpdateTableActions() {
    TRichNoteEdit* editor = nullptr;
    TRNTableItemInfo* table = nullptr;
    const bool found = notes_.RichNoteEdit1().GetCurrentItemEx(editor, table);
    int topRow = 0, leftCol = 0, colSpan = 0, rowSpan = 0;
    const bool selected =
        found && table->GetNormalizedSelectionBounds(true, topRow, leftCol, colSpan, rowSpan);
    for (TTableAction action : SelectionActions) {
        Action(action)->setEnabled(selected);
    }
    int row = 0, col = 0;
    const bool edited = found && table->GetEditedCell(row, col) != nullptr;
    const bool merge = found && table->CanMergeSelectedCells(true);
    Action(TTableAction::RmergeTable)->setEnabled(merge);
    Action(TTableAction::RSplitTable)->setEnabled(selected && (merge || edited));
}

void TTableCommands::RNPrint1PrintComponent(TRNPrint&, IEmbeddedControl& printMe,
                                            std::unique_ptr<TBitmap>& ctrlbmp) {
    ctrlbmp = DrawControl(printMe);
}
