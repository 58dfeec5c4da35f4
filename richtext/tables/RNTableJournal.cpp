#include "richtext/tables/RNTableJournal.h"

#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableUndo.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

#include <exception>

TRNGridJournal::TRNGridJournal(TRNTableRows& rows) : rows_(rows) {
    const TRNTableItemInfo* table = rows.Table;
    IRNEditContext* context = TCustomRNFormattedData::EditContextOf(rows.MainRNData);
    if (table && table->InsertedInData && table->InEditor && context) {
        list_ = context->GetUndoList();
    }
    if (list_) {
        groups_ = list_->Count();
        lastGroup_ = list_->Last();
        records_ = lastGroup_ ? lastGroup_->Records.Count() : 0;
    }
}

TRNGridJournal::~TRNGridJournal() = default;

void TRNGridJournal::Add(TCustomRNUndoTableGrid& record,
                         std::unique_ptr<TCustomRNUndoTableGrid> owned) {
    // Room first: once the record is taken, nothing may fail before it is noted.
    entries_.reserve(entries_.size() + 1);
    if (owned) {
        owned_.reserve(owned_.size() + 1);
        owned_.push_back(std::move(owned));
    }
    TEntry entry;
    entry.Record = &record;
    entries_.push_back(entry);
}

void TRNGridJournal::Done() {
    for (auto it = entries_.rbegin(); it != entries_.rend() && !it->Done; ++it) {
        it->Done = true;
    }
}

void TRNGridJournal::NoteAttributes(int row, int col) {
    const TRNTableCellData* cell = rows_.CellAt(row, col);
    if (!cell) {
        return;
    }
    TEntry entry;
    entry.Done = true;
    entry.Row = row;
    entry.Col = col;
    entry.Color = cell->Color;
    entry.VisibleBorders = cell->VisibleBorders;
    entry.BestWidth = cell->BestWidth;
    entry.BestHeight = cell->BestHeight;
    entries_.push_back(entry);
}

void TRNGridJournal::Rollback() noexcept {
    bool whole = true;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        try {
            if (it->Record) {
                // A change whose primitive failed was never made: its primitive put back what
                // it had begun to change.
                if (it->Done) {
                    it->Record->Revert(rows_);
                }
            } else if (TRNTableCellData* cell = rows_.CellAt(it->Row, it->Col)) {
                cell->Color = it->Color;
                cell->VisibleBorders = it->VisibleBorders;
                cell->BestWidth = it->BestWidth;
                cell->BestHeight = it->BestHeight;
            }
        } catch (...) {
            whole = false;
        }
    }
    Truncate();
    if (!whole) {
        try {
            rows_.MakeSound();
        } catch (...) {
            // Out of memory for the last new cells: nothing more can be done here.
        }
    }
    if (rows_.Table) {
        rows_.Table->NeedsReformat = true;
    }
}

void TRNGridJournal::Truncate() {
    if (!list_) {
        return;
    }
    // The records the edit made name a grid it no longer has.
    TRNList<TRNUndoInfos>& groups = list_->Groups;
    const bool inPlace = groups_ <= groups.Count() &&
                         (groups_ == 0 ? lastGroup_ == nullptr : groups[groups_ - 1] == lastGroup_);
    if (!inPlace) {
        // Groups went from the front under the undo limit: what is left cannot be told apart
        // by position, and none of it may replay over the grid as it is now.
        list_->Clear();
        return;
    }
    while (groups.Count() > groups_) {
        groups.Delete(groups.Count() - 1);
    }
    if (lastGroup_) {
        while (lastGroup_->Records.Count() > records_) {
            lastGroup_->Records.Delete(lastGroup_->Records.Count() - 1);
        }
    }
}

TRNGridEdit::TRNGridEdit(TRNTableRows& rows)
    : rows_(rows), exceptions_(std::uncaught_exceptions()) {
    if (!rows.Journal) {
        journal_ = std::make_unique<TRNGridJournal>(rows);
        rows.Journal = journal_.get();
    }
}

TRNGridEdit::~TRNGridEdit() {
    if (!journal_) {
        return;
    }
    rows_.Journal = nullptr;
    if (std::uncaught_exceptions() > exceptions_) {
        journal_->Rollback();
    }
}
