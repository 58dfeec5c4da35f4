#pragma once

// A table in a plain document with a style sheet, a beep counter, and the grid checks the
// tests share. The document runs with the default options or with the notes editor's.

#include "app/ui/notes_sheet/NotesStyleSheet.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

// The settings a table's document runs with: the defaults, or those of the notes editor (its
// style sheet, item tags kept as words, what it writes into RNF and RTF).
enum class TableOptions { Defaults, NotesEditor };

inline void UseTableOptions(TableOptions options, TRichNoteSettings& settings, TRNStyle& sheet) {
    UseTextTagsIfAsked(settings);
    if (options == TableOptions::NotesEditor) {
        SetUpNotesSheet(sheet);
        settings.Options = NotesDocumentOptions();
        settings.RNFOptions = NotesRNFOptions();
        settings.RTFOptions = NotesRTFOptions();
    }
}

inline std::string TableOptionsName(const ::testing::TestParamInfo<TableOptions>& info) {
    return info.param == TableOptions::NotesEditor ? "NotesEditor" : "Defaults";
}

// A suite run under both settings.
#define TABLE_OPTIONS_SUITE(suite)                                                                 \
    class suite : public ::testing::TestWithParam<TableOptions> {};                                \
    INSTANTIATE_TEST_SUITE_P(, suite,                                                              \
                             ::testing::Values(TableOptions::Defaults, TableOptions::NotesEditor), \
                             TableOptionsName)

struct TableDoc {
    TRNStyle Style;
    TRNPlainRootData Doc;
    int Beeps = 0;
    explicit TableDoc(TableOptions options = TableOptions::Defaults) {
        UseTableOptions(options, Doc, Style);
        Doc.Style = &Style;
        Doc.OnBeep = [this] { ++Beeps; };
    }
    std::unique_ptr<TRNTableItemInfo> Make(int rows, int cols) {
        return std::make_unique<TRNTableItemInfo>(rows, cols, &Doc);
    }
};

// Everything a grid edit may change, slot by slot: spans, the cell objects and their texts.
using GridSlot = std::tuple<const TRNTableCellData*, int, int, std::string>;
inline std::vector<std::vector<GridSlot>> Snapshot(const TRNTableRows& rows) {
    std::vector<std::vector<GridSlot>> grid;
    for (int r = 0; r < rows.Count(); ++r) {
        auto& line = grid.emplace_back();
        for (int c = 0; c < rows.Get(r)->Count(); ++c) {
            const TRNTableCellData* cell = rows.Cell(r, c);
            std::string text;
            for (int i = 0; cell && i < cell->ItemCount(); ++i) {
                text += cell->GetItemText(i) + "|";
            }
            line.emplace_back(cell, cell ? cell->RowSpan : 0, cell ? cell->ColSpan : 0, text);
        }
    }
    return grid;
}

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

// Equal slot counts, spans of at least 1, every slot covered by exactly one main cell whose
// area lies inside the grid, every cell attached to its own row.
inline ::testing::AssertionResult GridIsSound(const TRNTableRows& rows) {
    int cols = rows.ColCount();
    if (rows.Count() < 1 || cols < 1) {
        return ::testing::AssertionFailure() << "empty grid";
    }
    std::vector<int> cover(static_cast<size_t>(rows.Count() * cols), 0);
    for (int r = 0; r < rows.Count(); ++r) {
        if (rows.Get(r)->Count() != cols) {
            return ::testing::AssertionFailure() << "row " << r << " has another slot count";
        }
        for (int c = 0; c < cols; ++c) {
            const TRNTableCellData* cell = rows.Cell(r, c);
            if (!cell) {
                continue;
            }
            if (cell->List != rows.Get(r) || cell->RowSpan < 1 || cell->ColSpan < 1 ||
                r + cell->RowSpan > rows.Count() || c + cell->ColSpan > cols) {
                return ::testing::AssertionFailure() << "bad cell at " << r << "," << c;
            }
            for (int rr = r; rr < r + cell->RowSpan; ++rr) {
                for (int cc = c; cc < c + cell->ColSpan; ++cc) {
                    if ((rr != r || cc != c) && rows.Cell(rr, cc)) {
                        return ::testing::AssertionFailure()
                               << "cell inside area at " << rr << "," << cc;
                    }
                    ++cover[static_cast<size_t>(rr * cols + cc)];
                }
            }
        }
    }
    for (size_t i = 0; i < cover.size(); ++i) {
        if (cover[i] != 1) {
            return ::testing::AssertionFailure() << "slot " << i << " covered " << cover[i];
        }
    }
    return ::testing::AssertionSuccess();
}

inline void SetTextOf(TRNTableCellData& cell, const std::string& text) {
    cell.Clear();
    cell.AddNL(text, 0, 0);
}

// A text item that, once armed, refuses one time to settle into a document or to go to the undo
// list: a failure half-way through a grid edit.
class TRefusingText : public TRNTextItemInfo {
public:
    using TRNTextItemInfo::TRNTextItemInfo;
    bool Armed = false;
    void Inserted(TCustomRNData* rnData, bool flag) override {
        Refuse();
        TRNTextItemInfo::Inserted(rnData, flag);
    }
    void MovingToUndoList(int itemNo, TCustomRNData& rnData) override {
        Refuse();
        TRNTextItemInfo::MovingToUndoList(itemNo, rnData);
    }

private:
    void Refuse() {
        if (Armed) {
            Armed = false;
            throw ERichNoteError("refused");
        }
    }
};

// Appends a refusing text as a paragraph of its own.
inline TRefusingText& AddRefusingText(TRNTableCellData& cell, const std::string& text) {
    auto item = std::make_unique<TRefusingText>(&cell);
    TRefusingText& raw = *item;
    cell.AddItem(text, std::move(item));
    return raw;
}

inline bool IsFreshCell(const TRNTableCellData& cell) {
    return cell.ItemCount() == 1 && cell.GetItemStyle(0) == 0 && cell.GetItemPara(0) == 0 &&
           cell.GetItemText(0).empty();
}

// One random structural edit of the grid, small enough to keep it within 12 x 12; answers
// which kind it was.
inline int RandomGridEdit(TRNTableRows& rows, std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int nr = rows.Count(), nc = rows.ColCount();
    int op = pick(9);
    int r = pick(nr), c = pick(nc);
    switch (op) {
    case 0:
        if (nr < 12) {
            int index = pick(nr + 1);
            int copy = pick(3) == 0 ? -1 : std::clamp(index - pick(2), 0, nr - 1);
            rows.InsertRows(index, 1 + pick(2), copy, pick(2) == 0);
        }
        break;
    case 1:
        if (nc < 12) {
            int index = pick(nc + 1);
            int copy = pick(3) == 0 ? -1 : std::clamp(index - pick(2), 0, nc - 1);
            rows.InsertCols(index, 1 + pick(2), copy, pick(2) == 0);
        }
        break;
    case 2:
        if (nr > 1) {
            rows.DeleteRows(r, 1 + pick(std::min(nr - 1, 3)), pick(2) == 0);
        }
        break;
    case 3:
        if (nc > 1) {
            rows.DeleteCols(c, 1 + pick(std::min(nc - 1, 3)), pick(2) == 0);
        }
        break;
    case 4:
    case 5:
        rows.MergeCells(r, c, 1 + pick(3), 1 + pick(3), pick(2) == 0);
        break;
    case 6:
        if (nc < 12) {
            rows.SplitCellsVertically(r, c, 1 + pick(2), 1 + pick(2), 2 + pick(2));
        }
        break;
    case 7:
        if (nr < 12) {
            rows.SplitCellsHorizontally(r, c, 1 + pick(2), 1 + pick(2), 2 + pick(2));
        }
        break;
    default:
        rows.UnmergeCell(r, c, pick(2) == 0, pick(2) == 0);
        break;
    }
    return op;
}
