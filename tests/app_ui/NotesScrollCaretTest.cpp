// The notes editor scrolled by the wheel and by its scroll bars: the caret is drawn where what
// is typed goes, or not at all when that place is out of view, and the status bar names the
// caret's line.
#include "platform/graphics/Bitmap.h"

#include "tests/app_ui/NotesRig.h"

#include <QImage>

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct Place {
    int Item = -1;
    int Offs = -1;
    bool operator==(const Place&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Place& place) {
    return out << "item " << place.Item << " offset " << place.Offs;
}

// The editor's own scroll bar of that direction, as the user reaches it.
QScrollBar& BarOf(TRichNoteEdit& edit, Qt::Orientation orientation) {
    for (QScrollBar* bar : edit.findChildren<QScrollBar*>()) {
        if (bar->orientation() == orientation) {
            return *bar;
        }
    }
    throw std::logic_error("the editor has no such scroll bar");
}

// The caret is on the screen: shown, and its middle inside the client area.
bool CaretInView(TRichNoteEdit& edit) {
    const TRect caret = edit.Caret().Bounds();
    const TRect client = edit.ClientRect();
    const int x = (caret.Left + caret.Right) / 2;
    const int y = (caret.Top + caret.Bottom) / 2;
    return edit.Caret().Shown() && x >= client.Left && x < client.Right && y >= client.Top &&
           y < client.Bottom;
}

// Where a click on the drawn caret puts the text position: the place the caret tells the user
// typing goes. The caret stands on the line's edge after its last letter, so the click finds
// the letter nearest; it must fall inside the line's height.
Place UnderDrawnCaret(TRichNoteEdit& edit) {
    TRNEditRNData& data = edit.EditData();
    const TRect caret = edit.Caret().Bounds();
    const int y = (caret.Top + caret.Bottom) / 2 + data.GetVOffs();
    int drawItem = -1;
    int drawOffs = 0;
    data.FindDrawItemForSel(caret.Left + data.GetHOffs(), y, drawItem, drawOffs);
    Place place;
    if (drawItem >= 0 && y >= data.DrawItems[drawItem]->Top &&
        y < data.DrawItems[drawItem]->Top + data.DrawItems[drawItem]->Height) {
        data.DrawItem2Item(drawItem, drawOffs, place.Item, place.Offs);
    }
    return place;
}

Place TextPosition(TRichNoteEdit& edit) {
    Place place;
    edit.EditData().GetCaretItem(place.Item, place.Offs);
    return place;
}

void Wheel(TRichNoteEdit& edit, int notches) {
    const QPoint at = edit.rect().center();
    QWheelEvent wheel(at, edit.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&edit, &wheel);
    QApplication::processEvents();
}

// A click on the bar's groove beyond its handle, towards the end (or the start): a page.
void ClickGroove(QScrollBar& bar, bool towardsEnd) {
    const bool vertical = bar.orientation() == Qt::Vertical;
    const int length = vertical ? bar.height() : bar.width();
    const int along = towardsEnd ? length - length / 5 : length / 5;
    const QPoint at = vertical ? QPoint(bar.width() / 2, along) : QPoint(along, bar.height() / 2);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

// A letter typed as a user types it; the status bar follows on the key's release.
void TypeLetter(TRichNoteEdit& edit, char letter) {
    QTest::keyClick(&edit, letter);
    QApplication::processEvents();
}

// The status bar's line for a place: the line is the item's number counted from 1.
std::string LineOfPanel(const std::string& panel) {
    const auto comma = panel.find(" ,");
    return panel.rfind("Ln ", 0) == 0 && comma != std::string::npos ? panel.substr(3, comma - 3)
                                                                    : "(" + panel + ")";
}

struct ScrolledNote : NotesRig {
    ScrolledNote() {
        std::vector<std::tuple<std::string, int, int>> lines;
        for (int n = 1; n <= 60; ++n) {
            lines.emplace_back("line number " + std::to_string(n), 0, 0);
        }
        Fill(lines);
        E().SetFocus();
        QApplication::processEvents();
    }

    // Types a letter at the drawn caret and checks it went there and the status bar says so.
    void TypeAtTheCaret(char letter) {
        ASSERT_TRUE(CaretInView(E()));
        const Place drawn = UnderDrawnCaret(E());
        ASSERT_GE(drawn.Item, 0);
        const std::string before = D().GetItemText(drawn.Item);
        TypeLetter(E(), letter);
        std::string expected = before;
        expected.insert(static_cast<size_t>(drawn.Offs - 1), 1, letter);
        EXPECT_EQ(D().GetItemText(drawn.Item), expected);
        EXPECT_EQ(LineOfPanel(Host.Panels[2]), std::to_string(drawn.Item + 1));
        EXPECT_EQ(UnderDrawnCaret(E()), TextPosition(E()));
    }
};

} // namespace

TEST(NotesScrollCaret, TheWheelAndTheBarsCarryTheCaretWithTheText) {
    ScrolledNote rig;
    TRichNoteEdit& edit = rig.E();
    int vScrolled = 0;
    edit.OnVScrolled = [&] { ++vScrolled; };
    const int line15 = 14;
    rig.Caret(line15, static_cast<int>(rig.D().GetItemText(line15).size()) + 1);
    ASSERT_TRUE(CaretInView(edit));
    const Place typing = TextPosition(edit);
    ASSERT_EQ(UnderDrawnCaret(edit), typing);

    // The wheel, down and back up a little: the caret rides with its line.
    for (const int notches : {-1, -2, 1}) {
        const int top = rig.D().GetVOffs();
        Wheel(edit, notches);
        ASSERT_NE(rig.D().GetVOffs(), top);
        ASSERT_TRUE(CaretInView(edit)) << notches;
        EXPECT_EQ(UnderDrawnCaret(edit), typing) << notches;
        EXPECT_EQ(TextPosition(edit), typing) << notches;
    }
    EXPECT_EQ(vScrolled, 3);
    ASSERT_NO_FATAL_FAILURE(rig.TypeAtTheCaret('X'));

    // A page down by the bar takes the caret's line out of view: no caret shows anywhere.
    QScrollBar& bar = BarOf(edit, Qt::Vertical);
    ASSERT_TRUE(bar.isVisible());
    const Place afterX = TextPosition(edit);
    ClickGroove(bar, true);
    ClickGroove(bar, true);
    EXPECT_FALSE(CaretInView(edit));
    EXPECT_EQ(TextPosition(edit), afterX);
    // Typed there all the same, the letter goes after the X and the view comes back to it.
    TypeLetter(edit, 'Y');
    EXPECT_EQ(rig.D().GetItemText(afterX.Item), "line number 15XY");
    EXPECT_TRUE(CaretInView(edit));
    EXPECT_EQ(UnderDrawnCaret(edit), TextPosition(edit));

    // Back by the bar's groove towards the start, a page at a time, until the line shows.
    ClickGroove(bar, true);
    ClickGroove(bar, false);
    ClickGroove(bar, false);
    ASSERT_NO_FATAL_FAILURE(rig.TypeAtTheCaret('Z'));
    EXPECT_EQ(rig.D().GetItemText(afterX.Item), "line number 15XYZ");
}

TEST(NotesScrollCaret, TheHorizontalBarCarriesTheCaretAlongAWideLine) {
    ScrolledNote rig;
    TRichNoteEdit& edit = rig.E();
    // A picture wider than the editor, then a line of text after it: the horizontal bar comes.
    rig.Fill({{"short", 0, 0}});
    QImage wide(3000, 20, QImage::Format_RGB32);
    wide.fill(Qt::darkGreen);
    edit.AddPictureEx("", std::make_unique<TBitmap>(wide), -1, TRNVAlign::rnvaBaseline);
    edit.AddNL("line after the picture", 0, 0);
    edit.Format();
    rig.Caret(2, 10);
    QScrollBar& bar = BarOf(edit, Qt::Horizontal);
    ASSERT_TRUE(bar.isVisible());
    const Place typing = TextPosition(edit);
    ASSERT_EQ(UnderDrawnCaret(edit), typing);

    const int left = rig.D().GetHOffs();
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QApplication::processEvents();
    ASSERT_GT(rig.D().GetHOffs(), left);
    ASSERT_TRUE(CaretInView(edit));
    EXPECT_EQ(UnderDrawnCaret(edit), typing);
    ASSERT_NO_FATAL_FAILURE(rig.TypeAtTheCaret('i'));
}
