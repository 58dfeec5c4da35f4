#include "platform/base/Stream.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTableInplace.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>

#include <memory>
#include <string>

// The input method connection of a real display keeps a buffer of the system's message bus
// library until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace {

struct NotesWithTable {
    TRNStyle Sheet;
    TRichNoteEdit Edit;
    TRNTableItemInfo* T = nullptr;

    NotesWithTable() {
        Sheet.TextStyles()[0].Size = 12;
        Edit.SetStyle(&Sheet);
        Edit.SetUndoLimit(-1);
        Edit.resize(420, 220);
        Edit.AddNL("before", 0, 0);
        auto table = std::make_unique<TRNTableItemInfo>(2, 2, &Edit.RNData());
        T = table.get();
        T->BestWidth = 300;
        T->BorderWidth = 1;
        T->CellBorderWidth = 1;
        Edit.AddItem("", std::move(table));
        T->InsertedInData = T->InEditor = true;
        Edit.AddNL("after", 0, 0);
        Edit.Format();
        Edit.show();
    }
    // A cell's rectangle in the control's widget coordinates.
    QRect CellRect(int row, int col) {
        TRNEditRNData& doc = Edit.EditData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const TRNTableCellData& cell = *T->Cells(row, col);
        return {d.Left - doc.GetHOffs() + cell.Left + Edit.ClientOrigin().x(),
                d.Top - doc.GetVOffs() + cell.Top + Edit.ClientOrigin().y(), cell.Width,
                cell.Height};
    }
    std::string Text(int row, int col) const {
        const TRNTableCellData* cell = T->Cells(row, col);
        return cell && cell->ItemCount() ? cell->GetItemText(0) : std::string();
    }
    void ClickOutside() {
        QTest::mouseClick(&Edit, Qt::LeftButton, {}, QPoint(Edit.width() / 2, Edit.height() - 5));
        QApplication::processEvents();
    }
};

// Whether any pixel of the rectangle is darker than mid-grey.
bool DarkIn(const QImage& image, const QRect& r) {
    for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), image.height() - 1); ++y) {
        for (int x = std::max(r.left(), 0); x <= std::min(r.right(), image.width() - 1); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

TEST(TableCellEditorDisplay, ClickTypeTabTypeClickOutsideThenUndoAndRedo) {
    NotesWithTable n;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&n.Edit));
    n.Edit.activateWindow();
    n.Edit.setFocus();
    QApplication::processEvents();

    QTest::mouseClick(&n.Edit, Qt::LeftButton, {}, n.CellRect(0, 0).center());
    QApplication::processEvents();
    ASSERT_NE(CellEditorOf(*n.T), nullptr);
    EXPECT_EQ(CellEditorOf(*n.T)->Row, 0);
    QTest::keyClicks(CellEditorOf(*n.T), "ab");
    QTest::keyClick(CellEditorOf(*n.T), Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_NE(CellEditorOf(*n.T), nullptr);
    EXPECT_EQ(CellEditorOf(*n.T)->Col, 1);
    // Typing in the last cell is one character: typing is undone a character at a time.
    QTest::keyClicks(CellEditorOf(*n.T), "c");
    n.ClickOutside();
    EXPECT_EQ(CellEditorOf(*n.T), nullptr);
    EXPECT_EQ(n.Text(0, 0), "ab");
    EXPECT_EQ(n.Text(0, 1), "c");

    n.Edit.Undo();
    QApplication::processEvents();
    ASSERT_NE(CellEditorOf(*n.T), nullptr);
    EXPECT_EQ(CellEditorOf(*n.T)->Col, 1);
    EXPECT_EQ(CellEditorOf(*n.T)->GetItemText(0), "");
    n.Edit.Redo();
    QApplication::processEvents();
    EXPECT_EQ(CellEditorOf(*n.T)->GetItemText(0), "c");
    n.ClickOutside();
    EXPECT_EQ(n.Text(0, 1), "c");
    EXPECT_EQ(n.Text(0, 0), "ab");

    // The stored note holds both texts in their cells.
    TMemoryStream note;
    ASSERT_TRUE(n.Edit.SaveRNFToStream(note, false));
    RegisterTableItemClass();
    TRichNoteEdit reread;
    reread.SetStyle(&n.Sheet);
    note.SetPosition(0);
    ASSERT_TRUE(reread.LoadRNFFromStream(note));
    ASSERT_EQ(reread.RNData().ItemCount(), 3);
    auto* stored = dynamic_cast<TRNTableItemInfo*>(&reread.RNData().GetItem(1));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Cells(0, 0)->GetItemText(0), "ab");
    EXPECT_EQ(stored->Cells(0, 1)->GetItemText(0), "c");

    n.Edit.Update();
    const QImage shot = n.Edit.grab().toImage();
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(TARNWICK_SCREENSHOT_DIR "/table-cell-editor.png"));
    const QRect first = n.CellRect(0, 0);
    const int pad = n.T->CellPadding;
    // The text of cell (0,0) at its left, nothing at the right of the cell, and the cell's
    // border just outside it.
    EXPECT_TRUE(
        DarkIn(shot, QRect(first.left() + pad, first.top() + pad, 24, first.height() - 2 * pad)));
    EXPECT_FALSE(
        DarkIn(shot, QRect(first.right() - 20, first.top() + pad, 16, first.height() - 2 * pad)));
    const QColor border = shot.pixelColor(first.left() - 1, first.center().y());
    const QColor inside = shot.pixelColor(first.center().x() + 20, first.center().y());
    EXPECT_NE(border, inside);
}

TEST(TableCellEditorDisplay, ASelectionDraggedFromTheEditorIntoAnotherCellReleasesIt) {
    NotesWithTable n;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&n.Edit));
    n.Edit.activateWindow();
    QApplication::processEvents();

    const QPoint from = n.CellRect(1, 0).center();
    const QPoint to = n.CellRect(1, 1).center();
    QTest::mousePress(&n.Edit, Qt::LeftButton, {}, from);
    ASSERT_NE(CellEditorOf(*n.T), nullptr);
    // The press opened the editor; the rest of the drag is the editor's.
    QWidget* editor = CellEditorOf(*n.T);
    QMouseEvent move(QEvent::MouseMove, QPointF(editor->mapFrom(&n.Edit, to)),
                     QPointF(editor->mapToGlobal(editor->mapFrom(&n.Edit, to))), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(editor, &move);
    QTest::mouseRelease(editor, Qt::LeftButton, {}, editor->mapFrom(&n.Edit, to));
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CellEditorOf(*n.T), nullptr);
    EXPECT_TRUE(n.T->CellsSelected);
    EXPECT_TRUE(n.T->IsCellSelected(1, 0));
    EXPECT_TRUE(n.T->IsCellSelected(1, 1));
    EXPECT_FALSE(n.T->IsCellSelected(0, 0));
}

} // namespace
