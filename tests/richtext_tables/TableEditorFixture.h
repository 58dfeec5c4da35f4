#pragma once

// A table inside an editor, for the tests of undoable table edits.

#include "tests/richtext_view/EditFixture.h"

#include "TableFixture.h"

#include <functional>

// A table after one text item of an editor, every cell holding its own position as text.
struct TableEditor {
    Editor E;
    TRNTableItemInfo* T;
    TableEditor(int rows, int cols, TableOptions options = TableOptions::Defaults) {
        UseTableOptions(options, E.Host, E.Style);
        E.D().AddNL("before", 0, 0);
        auto owned = std::make_unique<TRNTableItemInfo>(rows, cols, &E.D());
        T = owned.get();
        E.D().AddItem("", std::move(owned));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                SetTextOf(*T->Cells(r, c), std::to_string(r) + "," + std::to_string(c));
            }
        }
        E.Format();
    }
    // One command: one undo step.
    void Step(const std::function<void(TRNTableRows&)>& edit) {
        T->InitUndo();
        edit(T->Rows);
        T->DoneUndo();
    }
};
