#pragma once

// A table inside an editor, for the tests of undoable table edits.

#include "tests/richtext_view/EditFixture.h"

#include "TableFixture.h"

#include <functional>

// Spans and texts slot by slot, without the cell objects: what a redo must give back, since
// it makes new cells where the edit made new ones.
inline std::vector<std::vector<std::tuple<int, int, std::string>>> Shape(const TRNTableRows& rows) {
    std::vector<std::vector<std::tuple<int, int, std::string>>> shape;
    for (const auto& line : Snapshot(rows)) {
        auto& out = shape.emplace_back();
        for (const auto& [cell, rowSpan, colSpan, text] : line) {
            out.emplace_back(rowSpan, colSpan, text);
        }
    }
    return shape;
}

// A table after one text item of an editor, every cell holding its own position as text.
struct TableEditor {
    Editor E;
    TRNTableItemInfo* T;
    TableEditor(int rows, int cols) {
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
