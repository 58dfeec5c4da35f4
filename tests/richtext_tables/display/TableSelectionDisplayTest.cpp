// Selected cells and a selected table as they reach the screen.

#include "platform/graphics/Color.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include <memory>

namespace {

constexpr TColor Selection = RGB(0, 160, 0);
constexpr TColor SelectionText = RGB(230, 0, 0);

struct ViewerWithTable {
    TRNStyle Sheet;
    TRichNote Note;
    TRNTableItemInfo* T = nullptr;

    ViewerWithTable() {
        Sheet.TextStyles()[0].Size = 20;
        Sheet.TextStyles()[0].Color = clBlack;
        Sheet.SelColor = Selection;
        Sheet.SelTextColor = SelectionText;
        Note.SetStyle(&Sheet);
        Note.resize(420, 220);
        Note.AddNL("before", 0, 0);
        auto table = std::make_unique<TRNTableItemInfo>(1, 3, &Note.RNData());
        T = table.get();
        T->BestWidth = 360;
        T->Cells(0, 0)->BestHeight = 40;
        T->Color = clWhite;
        T->Cells(0, 2)->Clear();
        T->Cells(0, 2)->AddNL("WWWW", 0, 0);
        Note.AddItem("", std::move(table));
        Note.Format();
        Note.show();
    }
    // A cell's rectangle in the control's widget coordinates.
    QRect CellRect(int row, int col) {
        TRichNoteRNData& doc = Note.RNData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const TRNTableCellData& cell = *T->Cells(row, col);
        return {d.Left - doc.GetHOffs() + cell.Left + Note.ClientOrigin().x(),
                d.Top - doc.GetVOffs() + cell.Top + Note.ClientOrigin().y(), cell.Width,
                cell.Height};
    }
    // What the screen shows of the control once every paint has gone out.
    QImage Screen() {
        Note.Invalidate();
        Note.Repaint();
        QApplication::processEvents();
        QTest::qWait(50);
        return Note.screen()
            ->grabWindow(Note.winId(), 0, 0, Note.width(), Note.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};

QRgb RgbOf(TColor c) {
    const uint32_t v = ColorToRGB(c);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int CountIn(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        }
    }
    return n;
}

TEST(TableSelectionDisplay, SelectedCellsAndAWholeSelectedTableShowTheSelectionColours) {
    ViewerWithTable v;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v.Note));

    v.T->Select(0, 0, 0, 0);
    ASSERT_TRUE(v.T->CellsSelected);
    QImage shot = v.Screen();
    const QPoint a = v.CellRect(0, 0).center();
    const QPoint b = v.CellRect(0, 1).center();
    EXPECT_EQ(shot.pixel(a) & 0xFFFFFF, RgbOf(Selection) & 0xFFFFFF);
    EXPECT_NE(shot.pixel(b) & 0xFFFFFF, RgbOf(Selection) & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(b) & 0xFFFFFF, RgbOf(clWhite) & 0xFFFFFF);

    // Deselected again, the cell is the table's colour once more.
    v.T->Deselect();
    shot = v.Screen();
    EXPECT_EQ(shot.pixel(a) & 0xFFFFFF, RgbOf(clWhite) & 0xFFFFFF);

    // The whole table selected by a selection over the document: the text of the third cell
    // turns from black to the selection's text colour.
    const QRect text = v.CellRect(0, 2).adjusted(2, 2, -2, -2);
    ASSERT_GT(CountIn(shot, text, qRgb(0, 0, 0)), 20);
    v.Note.RNData().SetSelectionBounds(0, 1, 1, 1);
    shot = v.Screen();
    EXPECT_GT(CountIn(shot, text, RgbOf(SelectionText)), 20);
    EXPECT_EQ(CountIn(shot, text, qRgb(0, 0, 0)), 0);
    EXPECT_EQ(shot.pixel(a) & 0xFFFFFF, RgbOf(Selection) & 0xFFFFFF);
    // The mark is the paint's own: the cell is not left completely selected.
    EXPECT_FALSE(v.T->Cells(0, 2)->State.Contains(TRNStateItem::rnstCompletelySelected));
}

} // namespace
