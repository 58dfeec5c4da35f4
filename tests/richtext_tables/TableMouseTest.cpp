#include "tests/richtext_view/EditFixture.h"

#include "TableFixture.h"
#include "platform/widgets/Input.h"
#include "richtext/view/RNEdit.h"
#include "tests/support/TextTagsRun.h"

#include <QImage>
#include <QPixmap>
#include <QTransform>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int LeftButton = static_cast<int>(TMouseButton::mbLeft);
constexpr uint32_t LeftDown = 1u << static_cast<int>(TShiftStateItem::ssLeft);
constexpr uint32_t ShiftLeft = LeftDown | 1u << static_cast<int>(TShiftStateItem::ssShift);

// A table after a line of text in a document that is laid out; points are in the window.
template <class Doc> struct PlacedTable {
    TRNTableItemInfo* T = nullptr;
    Doc& Doc_;

    PlacedTable(Doc& doc, int rows, int cols, const std::function<void(TRNTableItemInfo&)>& prep)
        : Doc_(doc) {
        Doc_.AddNL("before", 0, 0);
        auto owned = std::make_unique<TRNTableItemInfo>(rows, cols, &Doc_);
        T = owned.get();
        // Narrower than the window: the caret put after the table scrolls nothing.
        T->BestWidth = 400;
        if (prep) {
            prep(*T);
        }
        Doc_.AddItem("", std::move(owned));
        T->InsertedInData = T->InEditor = true;
    }
    TPoint Origin() const {
        const TRNDrawLineInfo& d = *Doc_.DrawItems[Doc_.FindDrawItemByItem(1)];
        return {d.Left - Doc_.GetHOffs(), d.Top - Doc_.GetVOffs()};
    }
    TPoint CellCentre(int row, int col) const {
        const TRNTableCellData* c = T->Cells(row, col);
        return {Origin().X + c->Left + c->Width / 2, Origin().Y + c->Top + c->Height / 2};
    }
    // The middle of the gap before column `col` (row `row`), half way down (across) the table.
    TPoint ColBorder(int col) const {
        const auto& f = T->FormattingInfo;
        return {Origin().X + f.ColStarts[col] - (T->CellHSpacing + 2 * T->CellBorderWidth) / 2,
                Origin().Y + f.RowStarts[0] + 5};
    }
    TPoint RowBorder(int row) const {
        const auto& f = T->FormattingInfo;
        return {Origin().X + f.ColStarts[0] + 5,
                Origin().Y + f.RowStarts[row] - (T->CellVSpacing + 2 * T->CellBorderWidth) / 2};
    }
    void Drag(TPoint from, TPoint to, uint32_t shift = LeftDown) {
        Doc_.MouseDown(LeftButton, shift, from.X, from.Y);
        Doc_.MouseMove(shift, to.X, to.Y);
        Doc_.MouseUp(LeftButton, shift, to.X, to.Y);
    }
    std::vector<int> Row(int row, int TRNTableCellData::*field) const {
        std::vector<int> v;
        for (int c = 0; c < T->Rows.ColCount(); ++c) {
            v.push_back(T->Cells(row, c) ? T->Cells(row, c)->*field : -999);
        }
        return v;
    }
};

struct EditorTable : Editor, PlacedTable<TRNEditRNData> {
    explicit EditorTable(int rows, int cols,
                         const std::function<void(TRNTableItemInfo&)>& prep = {})
        : Editor(600), PlacedTable(*Data, rows, cols, prep) {
        Format();
    }
};

TEST(TableMouse, DraggingOverCellsSelectsTheirRectangle) {
    const struct {
        const char* Name;
        bool Merged; // (1,1) covers 2 x 2
        int ExportLevel;
        std::vector<std::pair<int, int>> Path;
        bool Selected;
        std::array<int, 4> Bounds; // top, left, column span, row span
        int Flagged;               // cells drawn as selected
    } cases[] = {
        {"to (1,2)", false, 0, {{0, 0}, {1, 2}}, true, {0, 0, 3, 2}, 6},
        {"and back", false, 0, {{0, 0}, {1, 2}, {0, 0}}, false, {}, 0},
        {"corner in a merged cell", true, 0, {{0, 0}, {1, 1}}, true, {0, 0, 3, 3}, 6},
        {"while exporting", false, 1, {{0, 0}, {1, 2}}, false, {}, 0},
    };
    for (const auto& c : cases) {
        EditorTable t(3, 3, [&](TRNTableItemInfo& table) {
            if (c.Merged) {
                table.Rows.MergeCells(1, 1, 2, 2, true);
            }
        });
        t.T->ExportLevel = c.ExportLevel;
        const TPoint start = t.CellCentre(c.Path[0].first, c.Path[0].second);
        t.D().MouseDown(LeftButton, LeftDown, start.X, start.Y);
        TPoint p = start;
        for (const auto& [row, col] : c.Path) {
            p = t.CellCentre(row, col);
            t.D().MouseMove(LeftDown, p.X, p.Y);
        }
        std::array<int, 4> bounds{};
        EXPECT_EQ(
            t.T->GetNormalizedSelectionBounds(false, bounds[0], bounds[1], bounds[2], bounds[3]),
            c.Selected)
            << c.Name;
        if (c.Selected) {
            EXPECT_EQ(bounds, c.Bounds) << c.Name;
        }
        int flagged = 0;
        for (int r = 0; r < 3; ++r) {
            for (int col = 0; col < 3; ++col) {
                const TRNTableCellData* cell = t.T->Cells(r, col);
                flagged += cell && cell->State.Contains(TRNStateItem::rnstCompletelySelected);
            }
        }
        EXPECT_EQ(flagged, c.Flagged) << c.Name;
        t.D().MouseUp(LeftButton, LeftDown, p.X, p.Y);
        EXPECT_FALSE(t.T->MouseSelecting) << c.Name;
        EXPECT_EQ(t.D().CaptureMouseItem, nullptr) << c.Name;
    }
}

TEST(TableMouse, WholeRowsAndColumnsAreSelectedFromTheFirstOfThem) {
    EditorTable t(3, 4);
    const struct {
        const char* Name;
        std::function<void()> Select;
        std::array<int, 4> Bounds;
    } cases[] = {
        {"rows 0-1", [&] { t.T->SelectRows(0, 2); }, {0, 0, 4, 2}},
        {"row 2", [&] { t.T->SelectRows(2, 1); }, {2, 0, 4, 1}},
        {"columns 1-2", [&] { t.T->SelectCols(1, 2); }, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        c.Select();
        std::array<int, 4> bounds{};
        ASSERT_TRUE(
            t.T->GetNormalizedSelectionBounds(false, bounds[0], bounds[1], bounds[2], bounds[3]))
            << c.Name;
        EXPECT_EQ(bounds, c.Bounds) << c.Name;
        EXPECT_EQ(t.D().PartialSelectedItem, t.T) << c.Name;
    }
    t.T->Deselect();
    EXPECT_FALSE(t.T->CellsSelected);
}

// Another note shown between pressing on a border and letting go: the table goes with the old
// note, and its document no longer draws its guide line or gives it the mouse (ASan checks that
// nothing freed is touched).
TEST(TableMouse, ATableFreedDuringABorderDragLeavesNothingBehindInItsDocument) {
    for (bool row : {false, true}) {
        SCOPED_TRACE(row ? "row border" : "column border");
        EditorTable t(2, 3);
        const TPoint from = row ? t.RowBorder(1) : t.ColBorder(1);
        t.D().MouseDown(LeftButton, LeftDown, from.X, from.Y);
        t.D().MouseMove(LeftDown, from.X + 8, from.Y + 8);
        ASSERT_TRUE(t.D().UsingThisXorDrawing(&t.T->ResizeGuide));
        ASSERT_TRUE(t.D().XorDrawn);
        t.D().Clear();
        t.D().AddNL("another note", 0, 0);
        t.Format();
        EXPECT_EQ(t.D().XorFigure, nullptr);
        EXPECT_FALSE(t.D().XorDrawn);
        EXPECT_EQ(t.D().CaptureMouseItem, nullptr);
        t.D().MouseMove(LeftDown, from.X + 16, from.Y + 16);
        t.D().MouseUp(LeftButton, LeftDown, from.X + 16, from.Y + 16);
        EXPECT_EQ(t.D().ItemCount(), 1);
    }
}

TEST(TableMouse, AColumnBorderDragSetsTheWidthsAsOneUndoStep) {
    const struct {
        const char* Name;
        int Dx;
        uint32_t Shift;
        std::array<int, 3> Added; // to the laid-out widths; 0 for untouched cells
    } cases[] = {
        {"in place", 0, LeftDown, {0, 0, -1}},
        {"wider", 16, LeftDown, {16, -16, -1}},
        {"narrower", -40, LeftDown, {-40, 40, -1}},
        {"with Shift", 16, ShiftLeft, {16, -1, -1}},
    };
    for (const auto& c : cases) {
        EditorTable t(2, 3);
        std::array<int, 3> widths{};
        for (int col = 0; col < 3; ++col) {
            widths[col] = t.T->FormattingInfo.ColWidths[col];
        }
        const int groups = t.D().UndoList().Count();
        const TPoint from = t.ColBorder(1);
        t.D().MouseDown(LeftButton, c.Shift, from.X, from.Y);
        t.D().MouseMove(c.Shift, from.X + c.Dx, from.Y);
        EXPECT_TRUE(t.D().XorDrawn) << c.Name;
        t.D().MouseUp(LeftButton, c.Shift, from.X + c.Dx, from.Y);
        EXPECT_EQ(t.D().XorFigure, nullptr) << c.Name;
        std::vector<int> expected;
        for (int col = 0; col < 3; ++col) {
            expected.push_back(c.Added[col] == -1 ? 0 : widths[col] + c.Added[col]);
        }
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(t.Row(row, &TRNTableCellData::BestWidth), expected) << c.Name;
        }
        EXPECT_EQ(t.D().UndoList().Count(), groups + 1) << c.Name;
        t.Undo();
        EXPECT_EQ(t.Row(0, &TRNTableCellData::BestWidth), std::vector<int>(3, 0)) << c.Name;
        EXPECT_EQ(t.Row(1, &TRNTableCellData::BestWidth), std::vector<int>(3, 0)) << c.Name;
    }
}

TEST(TableMouse, APercentColumnDragOnATableWithoutRoomGivesOnePercent) {
    EditorTable t(1, 2, [](TRNTableItemInfo& table) { table.Cells(0, 0)->BestWidth = -30; });
    const TPoint from = t.ColBorder(1);
    t.D().MouseDown(LeftButton, LeftDown, from.X, from.Y);
    t.T->FormattingInfo.Width = t.T->GetHorzExtra();
    t.D().MouseUp(LeftButton, LeftDown, from.X + 20, from.Y);
    EXPECT_EQ(t.Row(0, &TRNTableCellData::BestWidth), (std::vector<int>{-1, 0}));
}

TEST(TableMouse, ARowBorderDragSetsTheHeightsOfTheRowAbove) {
    const struct {
        const char* Name;
        int Dy;
        int ExportLevel;
        int Added; // to the laid-out height; -1: the heights stay 0
    } cases[] = {
        {"taller", 10, 0, 10},
        {"above the padding", -100, 0, -1},
        {"while exporting", 10, 1, -1},
    };
    for (const auto& c : cases) {
        EditorTable t(3, 2);
        const int height = t.T->FormattingInfo.RowHeights[0];
        t.T->ExportLevel = c.ExportLevel;
        const TPoint from = t.RowBorder(1);
        t.Drag(from, {from.X, from.Y + c.Dy});
        const int expected = c.Added == -1 ? 0 : height + c.Added;
        EXPECT_EQ(t.Row(0, &TRNTableCellData::BestHeight), std::vector<int>(2, expected)) << c.Name;
        EXPECT_EQ(t.Row(1, &TRNTableCellData::BestHeight), std::vector<int>(2, 0)) << c.Name;
        EXPECT_EQ(t.D().XorFigure, nullptr) << c.Name;
    }
}

TEST(TableMouse, TheCellNextToACellGoesOverMergedCellsAndBeepsAtTheEdge) {
    // (0,1) spans columns 1-2, (1,0) spans rows 1-2.
    TableDoc d;
    auto t = d.Make(3, 3);
    t->Rows.MergeCells(0, 1, 2, 1, true);
    t->Rows.MergeCells(1, 0, 1, 2, true);
    using D = TRNCellDirection;
    const struct {
        int Row, Col;
        D Direction;
        bool Found;
        int NewRow, NewCol;
    } cases[] = {
        {0, 1, D::rncdLeft, true, 0, 0},   {0, 0, D::rncdLeft, false, 0, 0},
        {2, 2, D::rncdUp, true, 1, 2},     {1, 1, D::rncdUp, true, 0, 1},
        {0, 0, D::rncdUp, false, 0, 0},    {1, 0, D::rncdRight, true, 1, 1},
        {0, 1, D::rncdRight, false, 0, 0}, {0, 0, D::rncdDown, true, 1, 0},
        {1, 0, D::rncdDown, false, 0, 0},  {0, 1, D::rncdNext, true, 1, 0},
        {2, 2, D::rncdNext, false, 0, 0},  {1, 0, D::rncdPrev, true, 0, 1},
        {0, 0, D::rncdPrev, false, 0, 0},  {2, 1, D::rncdLeft, true, 1, 0},
    };
    for (const auto& c : cases) {
        for (bool quiet : {false, true}) {
            d.Beeps = 0;
            int row = -7, col = -7;
            EXPECT_EQ(t->GetCellTo(c.Row, c.Col, c.Direction, row, col, quiet), c.Found)
                << c.Row << "," << c.Col << " " << static_cast<int>(c.Direction);
            if (c.Found) {
                EXPECT_EQ(std::make_pair(row, col), std::make_pair(c.NewRow, c.NewCol))
                    << c.Row << "," << c.Col << " " << static_cast<int>(c.Direction);
            }
            EXPECT_EQ(d.Beeps, !c.Found && !quiet ? 1 : 0);
        }
    }
}

// Stands in for the in-place cell editor: records what the table asks of it.
struct RecordingCellEditor : IRNTableCellEditor {
    std::string Log;
    bool IsOpen() const override { return false; }
    void Open(int, int, bool) override { Log += "open "; }
    void Close() override { Log += "close "; }
    void Save() override { Log += "save "; }
    void Restore() override { Log += "restore "; }
    void MouseDown(int, uint32_t, int, int) override { Log += "down "; }
    void ClearSelection() override {}
    void SelectCompletely(bool) override {}
    void Place(int, int) override {}
    bool Owns(const void*) const override { return false; }
    int BuildJumps(int) override { return 0; }
};

// The table in the editor control, on the offscreen platform.
struct ControlTable {
    TRNStyle Sheet;
    TRichNoteEdit Edit;
    std::unique_ptr<PlacedTable<TRNEditRNData>> P;
    RecordingCellEditor CellEditor;
    ControlTable() {
        Sheet.TextStyles()[0].Size = 12;
        Edit.SetStyle(&Sheet);
        UseTextTagsIfAsked(Edit);
        Edit.resize(500, 200);
        P = std::make_unique<PlacedTable<TRNEditRNData>>(Edit.EditData(), 2, 2, nullptr);
        P->T->CellEditor = &CellEditor;
        Edit.Format();
    }
};

TEST(TableMouse, ADragInAReadOnlyEditorChangesNothingAndBringsTheCellEditorBack) {
    ControlTable c;
    c.Edit.ReadOnly = true;
    const TPoint from = c.P->ColBorder(1);
    c.P->Drag(from, {from.X + 30, from.Y});
    EXPECT_EQ(c.P->Row(0, &TRNTableCellData::BestWidth), (std::vector<int>{0, 0}));
    EXPECT_EQ(c.CellEditor.Log, "save restore ");
    EXPECT_EQ(c.Edit.EditData().CaptureMouseItem, nullptr);
}

TEST(TableMouse, TheCursorTellsWhatAPressWouldDo) {
    ControlTable c;
    const TPoint origin = c.P->Origin();
    const struct {
        const char* Name;
        TPoint At;
        Qt::CursorShape Shape;
    } cases[] = {
        {"left edge", {origin.X + 1, c.P->CellCentre(0, 0).Y}, Qt::BitmapCursor},
        {"top edge", {c.P->CellCentre(0, 0).X, origin.Y + 1}, Qt::BitmapCursor},
        {"column border", c.P->ColBorder(1), Qt::SplitHCursor},
        {"row border", c.P->RowBorder(1), Qt::SplitVCursor},
    };
    for (const auto& k : cases) {
        c.Edit.EditData().MouseMove(0, k.At.X, k.At.Y);
        EXPECT_EQ(CursorFor(c.Edit.Cursor()).shape(), k.Shape) << k.Name;
    }
    EXPECT_EQ(CursorFor(crRNSelectRow).shape(), Qt::BitmapCursor);
    EXPECT_EQ(CursorFor(crRNSelectCol).shape(), Qt::BitmapCursor);
}

// The row cursor is an arrow pointing right with its hot spot at the tip, the column cursor
// the same arrow pointing down: one picture is the other mirrored about the diagonal.
TEST(TableMouse, TheRowAndColumnCursorsAreArrowsOfTheirOwn) {
    const QCursor row = CursorFor(crRNSelectRow);
    const QCursor col = CursorFor(crRNSelectCol);
    const QImage r = row.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage c = col.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(r.isNull());
    ASSERT_EQ(r.size(), c.size());
    EXPECT_EQ(c, r.transformed(QTransform(0, 1, 1, 0, 0, 0)));
    EXPECT_EQ(col.hotSpot(), row.hotSpot().transposed());
    // Black at the tip, nothing right of it; black left of the tip along the shaft.
    const QPoint tip = row.hotSpot();
    EXPECT_EQ(r.pixel(tip), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(r.pixel(tip.x() + 2, tip.y())), 0);
    EXPECT_EQ(r.pixel(tip.x() - 15, tip.y()), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(r.pixel(tip.x(), tip.y() - 5)), 0);
}

} // namespace
