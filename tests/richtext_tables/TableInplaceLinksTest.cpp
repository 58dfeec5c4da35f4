// The cell editor's links and its end when the table leaves the document.

#include "TableInplaceTest.h"

#include "platform/widgets/Input.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <vector>

namespace {

constexpr int LeftButton = static_cast<int>(TMouseButton::mbLeft);
constexpr uint32_t CtrlKey = 1u << static_cast<int>(TShiftStateItem::ssCtrl);

// The middle of the first draw item of `itemNo` in a document, in its control's client
// coordinates.
TPoint ItemCentre(TCustomRNFormattedData& doc, int itemNo) {
    const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(itemNo)];
    return {d.Left - doc.GetHOffs() + d.Width / 2, d.Top - doc.GetVOffs() + d.Height / 2};
}

TEST(TableInplaceLinks, ALinkInACellOpenedWithCtrlGoesOnFromTheDocumentsNumbering) {
    EditedTable e(1, 2);
    e.Sheet.TextStyles()[1].Jump = true;
    e.Edit.FirstJumpNo = 40;
    std::vector<int> jumps;
    e.Edit.Events().OnJump = [&](IRichNoteHost&, int id) { jumps.push_back(id); };
    // A link before the table, and one in its first cell.
    e.Edit.RNData().GetItem(0).StyleNo = 1;
    e.T->Cells(0, 0)->Clear();
    e.T->Cells(0, 0)->AddNL("cell link", 1, 0);
    e.Edit.Format();

    // Ctrl+click on the cell opens its editor with the links built.
    TRNEditRNData& doc = e.Edit.EditData();
    const TRNDrawLineInfo& table = *doc.DrawItems[doc.FindDrawItemByItem(1)];
    const int cellX = table.Left - doc.GetHOffs() + e.T->Cells(0, 0)->Left + 8;
    const int cellY = table.Top - doc.GetVOffs() + e.T->Cells(0, 0)->Top + 8;
    doc.MouseDown(LeftButton, CtrlKey, cellX, cellY);
    doc.MouseUp(LeftButton, CtrlKey, cellX, cellY);
    EditedTable::Settle();
    ASSERT_NE(e.Cell(), nullptr);
    TRNTableInplaceRNData& cell = e.Cell()->InplaceData();
    ASSERT_EQ(cell.Jumps.Count(), 1);
    EXPECT_EQ(cell.GetFirstJumpNo() + cell.Jumps[0]->Id, 41);
    // The document's own link kept the first number.
    ASSERT_EQ(doc.Jumps.Count(), 1);
    EXPECT_EQ(doc.GetFirstJumpNo() + doc.Jumps[0]->Id, 40);

    const TPoint link = ItemCentre(cell, 0);
    cell.MouseDown(LeftButton, CtrlKey, link.X, link.Y);
    cell.MouseUp(LeftButton, CtrlKey, link.X, link.Y);
    EXPECT_EQ(jumps, std::vector<int>{41});

    // Clearing the editor's links clears the document's too.
    cell.ClearJumpsCoords();
    EXPECT_EQ(cell.Jumps.Count(), 0);
    EXPECT_EQ(doc.Jumps.Count(), 0);
}

TEST(TableInplaceLinks, TheTableRemovedUnderItsCellEditorTakesTheTypedTextAlong) {
    EditedTable e(1, 2);
    e.Open(0, 1);
    EditedTable::Type(e.Cell(), "typed");
    QPointer<TRNTableInplaceEdit> editor = e.Cell();
    TRNEditRNData& doc = e.Edit.EditData();
    const int steps = doc.UndoList().Count();

    // One step that removes the table while the editor is still open on it.
    ASSERT_TRUE(doc.BeginUndoSequence(TRNUndoType::rnutDelete));
    bool full = false;
    doc.Do_DeleteItem(1, full);
    doc.Deselect(nullptr);
    e.Edit.Format();
    EditedTable::Settle();
    EXPECT_EQ(CellEditorOf(*e.T), nullptr);
    EXPECT_FALSE(editor);
    EXPECT_EQ(e.Edit.InplaceEditor(), nullptr);
    EXPECT_EQ(doc.UndoList().Count(), steps + 1);
    ASSERT_EQ(doc.ItemCount(), 1);

    // One undo brings the table back with the text in its cell.
    e.Edit.Undo();
    EditedTable::Settle();
    ASSERT_EQ(doc.ItemCount(), 2);
    EXPECT_EQ(&doc.GetItem(1), e.T);
    EXPECT_EQ(e.Text(0, 1), "typed");
    EXPECT_EQ(e.Cell(), nullptr);
}

} // namespace
