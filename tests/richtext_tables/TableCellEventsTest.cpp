// What the documents of a table's cells report to the viewer that shows the table: selection
// notices, the focused item, jumps and the actions of controls in the cells.

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "platform/widgets/Input.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RichNote.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int LeftButton = static_cast<int>(TMouseButton::mbLeft);

struct ViewerTable {
    TRNStyle Sheet;
    TRichNote Note;
    TImageList Images{16, 16};
    TRNTableItemInfo* T = nullptr;
    int Selects = 0;
    std::vector<int> Jumps;
    std::vector<std::pair<TRNControlAction, int>> Actions;

    ViewerTable(int rows, int cols) {
        RegisterTableItemClass();
        Note.SetStyle(&Sheet);
        UseTextTagsIfAsked(Note);
        Note.resize(500, 400);
        Note.Events().OnSelect = [this](IRichNoteHost&) { ++Selects; };
        Note.Events().OnJump = [this](IRichNoteHost&, int id) { Jumps.push_back(id); };
        Note.Events().OnControlAction = [this](IRichNoteHost&, TRNControlAction action, int itemNo,
                                               IEmbeddedControl&) {
            Actions.emplace_back(action, itemNo);
        };
        TBitmap strip(32, 16);
        Images.Add(strip);
        Note.AddNL("before", 0, 0);
        auto table = std::make_unique<TRNTableItemInfo>(rows, cols, &Note.RNData());
        T = table.get();
        Note.AddItem("", std::move(table));
    }
    void Show() {
        Note.Format();
        Note.show();
        QApplication::processEvents();
    }
    // The window point over the middle of item `itemNo` of a cell.
    TPoint PointIn(TRNTableCellData& cell, int itemNo) {
        int x = 0, y = 0;
        cell.GetOrigin(x, y);
        int d = -1;
        cell.Item2FirstDrawItem(itemNo, d);
        const TRNDrawLineInfo& di = *cell.DrawItems[d];
        TRichNoteRNData& doc = Note.RNData();
        return {x + di.Left + di.Width / 2 - doc.GetHOffs(),
                y + di.Top + di.Height / 2 - doc.GetVOffs()};
    }
    void Click(TPoint p) {
        Note.RNData().MouseDown(LeftButton, 0, p.X, p.Y);
        Note.RNData().MouseUp(LeftButton, 0, p.X, p.Y);
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&Note, &press);
    }
};

TEST(TableCellEvents, ACellSelectionChangeIsOneSelectionNoticeAtMost) {
    ViewerTable v(20, 10);
    // Every cell with a selection of its own, which the table's selection clears.
    v.T->Rows.ForEachCell([](TRNTableCellData& cell) { cell.SetSelectionBounds(0, 0, 0, 1); });
    v.Show();
    v.Selects = 0;
    v.T->Select(2, 3, 4, 5);
    EXPECT_LE(v.Selects, 1);
    EXPECT_TRUE(v.T->IsCellSelected(6, 8));
    EXPECT_FALSE(v.T->IsCellSelected(1, 3));
    v.Selects = 0;
    v.T->Rows.ForEachCell([](TRNTableCellData& cell) { cell.SetSelectionBounds(0, 0, 0, 1); });
    v.T->UpdateCellSel();
    EXPECT_LE(v.Selects, 1);
    // The cells outside the selection lost theirs.
    EXPECT_FALSE(v.T->Cells(0, 0)->SelectionExists(false, false));
    EXPECT_TRUE(v.T->Cells(6, 8)->State.Contains(TRNStateItem::rnstCompletelySelected));
}

TEST(TableCellEvents, AClickOnAHotspotInACellFocusesItAndEnterJumps) {
    ViewerTable v(1, 2);
    v.Note.FirstJumpNo = 40;
    v.Note.AddHotspotEx("outside", 0, 1, &v.Images, 0);
    TRNTableCellData& cell = *v.T->Cells(0, 0);
    cell.Clear();
    cell.AddHotspotEx("inside", 0, 1, &v.Images, 0);
    v.Show();
    v.Note.RNData().ClearFocus();

    v.Click(v.PointIn(cell, 0));
    TRichNoteRNData& doc = v.Note.RNData();
    EXPECT_EQ(doc.TopLevelFocusedRNData, &cell);
    EXPECT_EQ(doc.TopLevelFocusedItemNo, 0);
    EXPECT_EQ(doc.FocusedItemNo, 1);
    EXPECT_EQ(v.T->FocusedRow, 0);
    EXPECT_EQ(v.T->FocusedCol, 0);
    EXPECT_EQ(cell.FocusedItemNo, 0);

    // The hotspot after the table takes the number after the cell's.
    v.Jumps.clear();
    v.Key(Qt::Key_Return);
    ASSERT_EQ(v.Jumps.size(), 1u);
    int cellJump = -1, outsideJump = -1;
    for (int i = 0; i < doc.Jumps.Count(); ++i) {
        (doc.Jumps[i]->RNData == &cell ? cellJump : outsideJump) = doc.Jumps[i]->Id;
    }
    EXPECT_EQ(v.Jumps[0], 40 + cellJump);
    EXPECT_NE(cellJump, outsideJump);
}

TEST(TableCellEvents, AControlInACellActsUnderTheTablesItemNumber) {
    ViewerTable v(2, 2);
    TRNTableCellData& cell = *v.T->Cells(1, 1);
    cell.Clear();
    // A control as a note brings it: it is written back as it was read.
    cell.AddControlEx("button", RNFLoadControlBytes("TButton", "button", "stored", nullptr), 0,
                      TRNVAlign::rnvaBaseline);
    v.Show();
    v.Actions.clear();
    TMemoryStream note;
    ASSERT_TRUE(v.Note.SaveRNFToStream(note, false));
    const std::vector<std::pair<TRNControlAction, int>> expected{
        {TRNControlAction::rncaBeforeRNFSave, 1}, {TRNControlAction::rncaAfterRNFSave, 1}};
    EXPECT_EQ(v.Actions, expected);

    // Taken out of its table, the cell passes the action on to the document it came from,
    // under no item number.
    TRNTableCellData detached(nullptr);
    detached.DetachedParent = &v.Note.RNData();
    TEmbeddedWidget control(std::make_unique<QPushButton>("detached"), "TButton");
    v.Actions.clear();
    detached.ControlAction2(TRNControlAction::rncaMoveToUndoList, 0, control);
    const std::vector<std::pair<TRNControlAction, int>> moved{
        {TRNControlAction::rncaMoveToUndoList, -1}};
    EXPECT_EQ(v.Actions, moved);
}

} // namespace
