#include "Surface.h"

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

namespace {

// Fake font of height 16: every character 8 wide, lines 20 high (22 with the leading).
struct FakeText : testing::Test {
    FakeText() { canvas.Font().SetHeight(-16); }
    TFakeCanvas canvas;
};

} // namespace

TEST_F(FakeText, PrefixUnderlinesTheMarkedLetter) {
    TRect r = Rect(0, 0, 200, 20);
    DrawText(canvas, "&Binders && more", r, DT_SINGLELINE);
    auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "Binders & more");
    EXPECT_FALSE(texts[0].FontStyle.Contains(TFontStyle::fsUnderline));
    EXPECT_EQ(texts[1].Text, "B");
    EXPECT_EQ(texts[1].Points[0], Point(0, 0));
    EXPECT_TRUE(texts[1].FontStyle.Contains(TFontStyle::fsUnderline));
    EXPECT_FALSE(canvas.Font().Style().Contains(TFontStyle::fsUnderline));

    canvas.ClearCalls();
    DrawText(canvas, "a&bc", r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(canvas.CallsOf("TextOut").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "a&bc");
    canvas.ClearCalls();
    DrawText(canvas, "a&bc", r, DT_SINGLELINE | DT_HIDEPREFIX);
    ASSERT_EQ(canvas.CallsOf("TextOut").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "abc");
}

TEST_F(FakeText, CalcRectMeasuresWithoutDrawing) {
    TRect r = Rect(10, 10, 500, 500);
    EXPECT_EQ(DrawText(canvas, "Hello", r, DT_SINGLELINE | DT_CALCRECT), 20);
    EXPECT_EQ(r, Rect(10, 10, 50, 30));
    EXPECT_TRUE(canvas.Calls().empty());

    r = Rect(0, 0, 100, 0);
    // "aaaa bbbb cccc" wraps after each word pair that fits 100 pixels (12 characters).
    EXPECT_EQ(DrawText(canvas, "aaaa bbbb cccc dddd", r, DT_WORDBREAK | DT_CALCRECT), 40);
    EXPECT_EQ(r, Rect(0, 0, 72, 40));
    r = Rect(0, 0, 100, 0);
    EXPECT_EQ(DrawText(canvas, "one\r\ntwo\nthree", r, DT_CALCRECT | DT_EXTERNALLEADING), 66);
    EXPECT_EQ(r.Right, 40);
    // A word wider than the rectangle stays whole and widens it.
    r = Rect(0, 0, 30, 0);
    DrawText(canvas, "abcdefgh ij", r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(r, Rect(0, 0, 64, 40));
    // ... unless it is broken between characters like an edit control does.
    r = Rect(0, 0, 30, 0);
    DrawText(canvas, "abcdefgh", r, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT);
    EXPECT_EQ(r, Rect(0, 0, 24, 60));
}

TEST_F(FakeText, AlignsClipsAndReturnsTheOffset) {
    TRect r = Rect(0, 0, 100, 50);
    EXPECT_EQ(DrawText(canvas, "abc", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 35);
    EXPECT_EQ(DrawText(canvas, "abc", r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM), 50);
    auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Points[0], Point(38, 15));
    EXPECT_EQ(texts[1].Points[0], Point(76, 30));
    EXPECT_TRUE(texts[0].Clipped);
    EXPECT_EQ(texts[0].ClipBox, r);
    EXPECT_FALSE(canvas.HasClip());
    canvas.ClearCalls();
    DrawText(canvas, "abc", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_FALSE(canvas.Calls()[0].Clipped);
}

TEST_F(FakeText, EllipsisAndTabs) {
    TRect r = Rect(0, 0, 60, 20);
    DrawText(canvas, "Capture Completed", r, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "Capt...");
    canvas.ClearCalls();
    DrawText(canvas, "Node", r, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "Node");
    // A tab moves to the next multiple of eight average widths (64 pixels).
    canvas.ClearCalls();
    r = Rect(0, 0, 300, 20);
    DrawText(canvas, "ab\tc", r, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(r.Right, 72);
    r = Rect(0, 0, 300, 20);
    DrawText(canvas, "ab\tc", r, DT_SINGLELINE | DT_EXPANDTABS);
    auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].Text, "c");
    EXPECT_EQ(texts[1].Points[0].X, 64);
}

TEST(Edges, ClassicEdgeColoursAndAdjust) {
    Surface s(20, 20);
    s.Canvas.Brush().SetColor(clRed);
    TRect r = Rect(0, 0, 10, 10);
    DrawEdge(s.Canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 8, 8));
    EXPECT_EQ(s.Pixel(0, 0), qRgb(192, 192, 192)); // 3D light
    EXPECT_EQ(s.Pixel(9, 9), qRgb(0, 0, 0));       // dark shadow
    EXPECT_EQ(s.Pixel(9, 0), qRgb(0, 0, 0));       // right line over the corner
    EXPECT_EQ(s.Pixel(1, 1), qRgb(255, 255, 255)); // highlight
    EXPECT_EQ(s.Pixel(8, 8), qRgb(128, 128, 128)); // shadow
    EXPECT_EQ(s.Pixel(5, 5), qRgb(192, 192, 192)); // face
    EXPECT_EQ(s.Canvas.Brush().Color(), clRed);

    TRect sunken = Rect(10, 10, 20, 20);
    DrawEdge(s.Canvas, sunken, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(s.Pixel(10, 10), qRgb(128, 128, 128));
    EXPECT_EQ(s.Pixel(19, 19), qRgb(255, 255, 255));
    EXPECT_EQ(sunken, Rect(10, 10, 20, 20));
}

TEST(Edges, Frame3DMatchesTheFrameworkOnTheEdgePixels) {
    Surface s(10, 10);
    TRect r = Rect(0, 0, 10, 10);
    Frame3D(s.Canvas, r, clBlack, clRed, 1);
    EXPECT_EQ(r, Rect(1, 1, 9, 9));
    // The bottom line is drawn last and runs under the left one's start.
    EXPECT_EQ(s.Pixel(0, 9), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(0, 8), qRgb(0, 0, 0));
    EXPECT_EQ(s.Pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(s.Pixel(8, 0), qRgb(0, 0, 0));
    EXPECT_EQ(s.Pixel(9, 0), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(1, 9), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(s.Canvas.Pen().Color(), clRed);
}

TEST(Edges, FrameControlsDrawTheirParts) {
    Surface s(40, 20);
    DrawFrameControl(s.Canvas, Rect(0, 0, 14, 14), DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT | DFCS_MONO);
    // The tick: seven columns of three.
    EXPECT_EQ(CountPixels(s.Image, QRect(2, 2, 10, 10), IsBlack), 21);
    DrawFrameControl(s.Canvas, Rect(20, 0, 36, 16), DFC_SCROLL, DFCS_SCROLLDOWN);
    // The arrow's tip points down: its widest row is above its tip.
    std::vector<int> rows;
    for (int y = 2; y < 14; ++y) {
        if (int n = CountPixels(s.Image, QRect(22, y, 12, 1), IsBlack)) {
            rows.push_back(n);
        }
    }
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(*std::max_element(rows.begin(), rows.end()), 7);
    EXPECT_EQ(rows.back(), 1);

    TFakeCanvas fake;
    DrawFrameControl(fake, Rect(0, 0, 16, 16), DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    auto fills = fake.CallsOf("FillRect");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.front().BrushColor, clBtnShadow); // sunken: shadow on top
    EXPECT_EQ(fills.back().Rect, Rect(2, 2, 14, 14));
}
