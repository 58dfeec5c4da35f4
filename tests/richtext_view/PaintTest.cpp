#include "ViewFixture.h"

#include "platform/graphics/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

struct Piece {
    std::string Text;
    int Left, Width, SpaceBefore;
    bool Selected;
};

// Records every text piece the sheet is asked to draw, and draws it as well.
std::vector<Piece> RecordPieces(Viewer& v) {
    auto pieces = std::make_shared<std::vector<Piece>>();
    v.Style.OnDrawStyleText = [pieces](TRNStyle&, std::string_view text, TCanvas&, int,
                                       int spaceBefore, int left, int, int width, int,
                                       TRNTextDrawState state, bool&) {
        pieces->push_back({std::string(text), left, width, spaceBefore,
                           state.Contains(TRNTextDrawStateItem::rntsSelected)});
    };
    v.D().PaintTo(v.Canvas, Rect(0, 0, v.Host.ClientWidth, v.Host.ClientHeight));
    return *pieces;
}

// A non-text item that records the states it is painted in.
class Probe : public TRNNonTextItemInfo {
public:
    Probe(TCustomRNData* data, std::vector<TRNItemDrawStates>* seen)
        : TRNNonTextItemInfo(data), seen_(seen) {
        StyleNo = -100;
    }
    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* data) const override {
        return std::make_unique<Probe>(data, seen_);
    }
    int GetWidth() const override { return 10; }
    int GetHeight() const override { return 10; }
    void Paint(int, int, TCanvas&, TRNItemDrawStates state, TRNStyle&, TRNDrawLineInfo*) override {
        seen_->push_back(state);
    }

private:
    std::vector<TRNItemDrawStates>* seen_;
};

TEST(Paint, ASelectionInsideOneDrawItemGivesThreeContiguousPieces) {
    Viewer v;
    v.D().AddNL("abcdefgh", 0, 0);
    v.Format();
    ASSERT_EQ(v.D().DrawItems.Count(), 1);
    TRNDrawLineInfo& d = *v.D().DrawItems[0];
    d.JustifyExtra = 4; // as justification leaves it: the width includes the extra
    d.Width += 4;
    v.D().SelStartNo = v.D().SelEndNo = 0;
    v.D().SelStartOffs = 3;
    v.D().SelEndOffs = 6;
    const std::vector<Piece> pieces = RecordPieces(v);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].Text + "|" + pieces[1].Text + "|" + pieces[2].Text, "ab|cde|fgh");
    EXPECT_FALSE(pieces[0].Selected);
    EXPECT_TRUE(pieces[1].Selected);
    EXPECT_FALSE(pieces[2].Selected);
    EXPECT_EQ(pieces[0].SpaceBefore, 4);
    EXPECT_EQ(pieces[1].SpaceBefore, 0);
    EXPECT_EQ(pieces[2].SpaceBefore, 0);
    EXPECT_EQ(pieces[0].Left, d.Left);
    EXPECT_EQ(pieces[1].Width, 3 * 8); // three characters of 8 px
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pieces[i].Left + pieces[i].Width, pieces[i + 1].Left) << "gap after " << i;
    }
    EXPECT_EQ(pieces[2].Left + pieces[2].Width, d.Left + d.Width);

    // Ending exactly after the last character of a later draw item: one selected piece.
    v.D().SelStartOffs = 1;
    v.D().SelEndOffs = d.Length + 1;
    const std::vector<Piece> whole = RecordPieces(v);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_TRUE(whole[0].Selected);
}

TEST(Paint, NonTextItemsAtTheSelectionEdgesAreNotSelected) {
    std::vector<TRNItemDrawStates> seen;
    Viewer v;
    v.D().AddNL("ab", 0, 0);
    v.D().AddItem("", std::make_unique<Probe>(&v.D(), &seen));
    v.D().GetItem(1).SetSameAsPrev(true);
    v.D().AddNL("cd", 0, -1);
    v.Format();
    ASSERT_EQ(v.D().DrawItems.Count(), 3);
    struct Case {
        int StartNo, StartOffs, EndNo, EndOffs;
        bool Completely, Selected;
    } cases[] = {
        {1, 1, 2, 2, false, false}, // begins after the item
        {0, 1, 1, 0, false, false}, // ends before it
        {0, 1, 2, 2, false, true},  {-1, 0, -1, 0, false, false},
        {-1, 0, -1, 0, true, true}, // a cell inside a selection of cells
    };
    for (const Case& c : cases) {
        v.D().SelStartNo = c.StartNo;
        v.D().SelStartOffs = c.StartOffs;
        v.D().SelEndNo = c.EndNo;
        v.D().SelEndOffs = c.EndOffs;
        if (c.Completely) {
            v.D().State.Include(TRNStateItem::rnstCompletelySelected);
        }
        seen.clear();
        v.D().PaintTo(v.Canvas, Rect(0, 0, 200, 100));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].Contains(TRNItemDrawState::rnidsSelected), c.Selected)
            << c.StartNo << "/" << c.StartOffs << " .. " << c.EndNo << "/" << c.EndOffs;
    }
}

TEST(Paint, AParagraphBackgroundAboveTheAreaIsDrawnWholeAndThePassStopsBelow) {
    Viewer v(40); // five characters a line
    v.Para(1).Background.Color = clYellow;
    for (int i = 0; i < 5; ++i) {
        v.D().AddNL("line", 0, 0);
    }
    v.D().AddNL("aaaa bbbb cccc dddd eeee", 0, 1); // five lines
    for (int i = 0; i < 20; ++i) {
        v.D().AddNL("line", 0, 0);
    }
    v.D().AddNL("later", 0, 1); // far below the area
    v.Format();
    std::vector<TRect> backs;
    v.Style.OnDrawParaBack = [&](TRNStyle&, TCanvas&, int paraNo, const TRect& r, bool&) {
        EXPECT_EQ(paraNo, 1);
        backs.push_back(r);
    };
    int first = v.D().FindDrawItemByItem(5);
    const int top = v.DI(first).Top;
    const int bottom = v.DI(first + 4).Top + v.DI(first + 4).Height;
    v.Host.VPos = (top + 50) / v.Host.VSmallStep; // the area starts inside the paragraph
    v.D().PaintTo(v.Canvas, Rect(0, 0, 40, 60));
    ASSERT_EQ(backs.size(), 1u);
    const int dy = v.Host.VPos * v.Host.VSmallStep;
    EXPECT_EQ(backs[0].Top, top - dy);
    EXPECT_EQ(backs[0].Bottom, bottom - dy);
}

TEST(Paint, MarksAreDrawnWhereAskedAndTextStylesApplyAgainAfterThem) {
    Viewer v;
    v.Host.Options.Include(TRNOption::rnoShowCheckpoints);
    v.D().AddNL("ab", 0, 0);
    v.D().AddNamedCheckpointEx("c", false);
    v.D().AddNL("cd", 0, 0);
    v.D().AddNamedCheckpointEx("end", true); // after the last item
    v.Format();
    struct Mark {
        int X, Y, ItemNo, XShift;
    };
    std::vector<Mark> marks;
    v.Style.OnDrawCheckpoint = [&](TRNStyle&, TCanvas& canvas, int x, int y, int itemNo, int xShift,
                                   bool, const TRNMarkArea&, bool&) {
        marks.push_back({x, y, itemNo, xShift});
        canvas.Font().SetName("Changed by the handler");
    };
    v.D().PaintTo(v.Canvas, Rect(0, 10, 200, 100));
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].ItemNo, 1);
    EXPECT_EQ(marks[0].Y, v.DI(1).Top - 10);
    EXPECT_EQ(marks[1].X, -1);
    EXPECT_EQ(marks[1].ItemNo, -1);
    EXPECT_EQ(marks[1].Y, v.D().DocumentHeight - 10);
    EXPECT_EQ(marks[1].XShift, 0);
    for (const TCanvasCall& call : v.Canvas.CallsOf("TextOut")) {
        EXPECT_NE(call.FontName, "Changed by the handler") << call.ToString();
    }
}

// A guide line drawn by inverting the pixels under it.
class GuideLine : public IRNXorFigure {
public:
    explicit GuideLine(TCanvas& canvas) : canvas_(canvas) {}
    void DrawXor(TCustomRNFormattedData&, uint32_t, int x, int y) override {
        canvas_.Pen().SetMode(TPenMode::pmXor);
        canvas_.Pen().SetColor(clWhite);
        canvas_.MoveTo(x, 0);
        canvas_.LineTo(x, y);
    }

private:
    TCanvas& canvas_;
};

TEST(Paint, TheXorFigureDrawnTwiceLeavesTheSurfaceAsItWas) {
    QImage image(50, 50, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    const QImage before = image.copy();
    TQtCanvas canvas(&image);
    GuideLine line(canvas);
    Viewer v;
    v.D().AssignXorDrawing(&line);
    EXPECT_TRUE(v.D().UsingThisXorDrawing(&line));
    v.D().XorDrawingEx(20, 40);
    EXPECT_NE(image, before);
    EXPECT_TRUE(v.D().XorDrawn);
    v.D().XorDrawingEx(20, 40);
    EXPECT_EQ(image, before);
    EXPECT_FALSE(v.D().ClearXorDrawing()); // nothing on the surface to erase
    v.D().XorDrawingEx(30, 30);
    EXPECT_TRUE(v.D().ClearXorDrawing());
    EXPECT_EQ(image, before);
    GuideLine other(canvas);
    v.D().UnAssignXorDrawing(&other); // not the figure held: nothing changes
    EXPECT_TRUE(v.D().UsingThisXorDrawing(&line));
    v.D().UnAssignXorDrawing(&line);
    EXPECT_FALSE(v.D().UsingThisXorDrawing(&line));
}

TEST(Paint, APartialRepaintGivesThePixelsOfAFullOne) {
    Viewer v(120);
    v.Host.ClientHeight = 80;
    v.Style.Color = clWhite;
    v.Para(1).Background.Color = clAqua;
    v.Para(1).Border.Style = TRNBorderStyle::rnbSingle;
    v.D().AddNL("painted in pieces ", 0, 0);
    v.D().AddNL("with a paragraph background and a selection", 0, 1);
    v.Format();
    v.D().SelStartNo = 0;
    v.D().SelStartOffs = 3;
    v.D().SelEndNo = 2;
    v.D().SelEndOffs = 4;
    v.Host.VPos = 1;

    auto paint = [&](const TRect& clip) {
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::black);
        TQtCanvas canvas(&image);
        canvas.SetClipRect(clip);
        v.Host.Canvas = &canvas;
        v.D().PaintBuffered();
        v.Host.Canvas = &v.Canvas;
        return image;
    };
    const QImage full = paint(Rect(0, 0, 120, 80));
    const TRect part = Rect(13, 17, 71, 53);
    const QImage partial = paint(part);
    const QRect q(part.Left, part.Top, part.Width(), part.Height());
    EXPECT_EQ(partial.copy(q), full.copy(q));
    EXPECT_NE(full.pixel(60, 40), qRgb(0, 0, 0)); // something was painted
}

TEST(Paint, RepaintRequestsReachTheControl) {
    Viewer v;
    v.D().Jumps.Add(std::make_unique<TRNJumpInfo>(TRNJumpInfo{&v.D(), 30, 40, 20, 10, 2, 0, 0}));
    v.Host.VPos = 1;
    v.D().InvalidateJumpRect(2);
    ASSERT_EQ(v.Host.Invalidated.size(), 1u);
    EXPECT_EQ(v.Host.Invalidated[0], Rect(25, 25, 55, 45)); // grown by 5, moved by the scroll
    EXPECT_EQ(v.Host.Updates, 1);
    v.Host.HasWindow = false;
    v.D().InvalidateRect(Rect(0, 0, 5, 5));
    EXPECT_EQ(v.Host.Invalidated.size(), 1u);
}

} // namespace
