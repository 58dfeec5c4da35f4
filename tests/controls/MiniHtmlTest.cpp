#include "controls/MiniHtml.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/ImageList.h"

#include <gtest/gtest.h>

#include <QImage>

// The fake canvas's default font is 11 pixels high: characters 5 pixels wide (6 in bold),
// text height 13, external leading 1. Single lines are drawn bottom-aligned with the
// external leading, so a word whose bottom is b starts at b - 14.

namespace {

constexpr int Char = 5;
constexpr int BoldChar = 6;
constexpr int Height = 13;
constexpr int Cell = 14;

struct Drawn {
    int x;
    int y;
    std::string text;
    bool operator==(const Drawn&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Drawn& d) {
    return out << "(" << d.x << "," << d.y << ",'" << d.text << "')";
}

class MiniHtml : public ::testing::Test {
protected:
    std::vector<TCanvasCall> Paint(std::string_view text, TRect rect,
                                   const TImageList* images = nullptr, bool blinkShown = true) {
        canvas.ClearCalls();
        std::string anchor;
        EXPECT_FALSE(
            HTMLDrawText(canvas, text, rect, images, 0, 0, false, blinkShown, clBlue, anchor));
        return canvas.CallsOf("TextOut");
    }

    std::vector<Drawn> Words(std::string_view text, TRect rect,
                             const TImageList* images = nullptr) {
        std::vector<Drawn> out;
        for (const TCanvasCall& call : Paint(text, rect, images)) {
            out.push_back({call.Points[0].X, call.Points[0].Y, call.Text});
        }
        return out;
    }

    // The anchor under a point, or "-" when there is none.
    std::string Hit(std::string_view text, TRect rect, int x, int y,
                    const TImageList* images = nullptr) {
        std::string anchor = "unset";
        canvas.ClearCalls();
        bool hit = HTMLDrawText(canvas, text, rect, images, x, y, true, true, clBlue, anchor);
        EXPECT_TRUE(canvas.CallsOf("TextOut").empty()) << "hit testing draws nothing";
        EXPECT_TRUE(canvas.CallsOf("DrawImage").empty());
        return hit ? anchor : "-";
    }

    static TImageList Images(int count) {
        TImageList list(16, 16);
        for (int i = 0; i < count; ++i) {
            QImage image(16, 16, QImage::Format_RGB32);
            image.fill(qRgb(10 * i, 100, 200));
            list.AddImage(image);
        }
        return list;
    }

    TFakeCanvas canvas;
};

TEST_F(MiniHtml, WordsWrapAfterBlanksAndAnOverWideWordOverflows) {
    // The working area starts one pixel in: 30 pixels wide here.
    EXPECT_EQ(Words("aaa bbb ccc", Rect(0, 0, 31, 100)),
              (std::vector<Drawn>{{1, Height - Cell, "aaa "},
                                  {1, 2 * Height - Cell, "bbb "},
                                  {1, 3 * Height - Cell, "ccc"}}));
    // A word wider than the line stays whole; the next word starts a new line.
    EXPECT_EQ(Words("abcdefgh ij", Rect(0, 0, 21, 100)),
              (std::vector<Drawn>{{1, Height - Cell, "abcdefgh "}, {1, 2 * Height - Cell, "ij"}}));
    // A text in UTF-8 is measured by characters.
    EXPECT_EQ(Words("Größe x", Rect(0, 0, 200, 20)),
              (std::vector<Drawn>{{1, -1, "Größe "}, {1 + 6 * Char, -1, "x"}}));
}

TEST_F(MiniHtml, BreaksAndDroppedLines) {
    EXPECT_EQ(Words("ab<BR>cd", Rect(0, 0, 200, 26)),
              (std::vector<Drawn>{{1, -1, "ab"}, {1, Height - 1, "cd"}}));
    // The second line would reach below the rectangle.
    EXPECT_EQ(Words("ab<br>cd", Rect(0, 0, 200, 25)), (std::vector<Drawn>{{1, -1, "ab"}}));
    // A paragraph end breaks as well; a rule ends its line and is drawn under its text.
    EXPECT_EQ(Words("ab</P>cd", Rect(0, 0, 200, 40)).size(), 2u);
    std::vector<Drawn> ruled = Words("ab<HR>cd", Rect(0, 0, 50, 40));
    ASSERT_EQ(ruled.size(), 2u);
    EXPECT_EQ(ruled[1].y, Height - 1);
    std::vector<TCanvasCall> lines = canvas.CallsOf("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{1, Height}, {50, Height}}));
    EXPECT_EQ(lines[0].PenColor, clBlack);
    // A tag without its ">" ends the text.
    EXPECT_EQ(Words("ab <b cd", Rect(0, 0, 200, 40)), (std::vector<Drawn>{{1, -1, "ab "}}));
}

TEST_F(MiniHtml, AlignmentPlacesLinesWithoutTheTrailingBlankAndPersists) {
    // "ab " + "cd " is 30 pixels, 25 without the last blank.
    EXPECT_EQ(Words("<P align=\"right\">ab cd ", Rect(0, 0, 101, 20)),
              (std::vector<Drawn>{{76, -1, "ab "}, {91, -1, "cd "}}));
    std::vector<Drawn> twoLines = Words("<p ALIGN=\"Right\">ab<br>xyz", Rect(0, 0, 101, 40));
    ASSERT_EQ(twoLines.size(), 2u);
    EXPECT_EQ(twoLines[0].x, 101 - 2 * Char);
    EXPECT_EQ(twoLines[1].x, 101 - 3 * Char);
    // Centred: half of the spare room, rounded down.
    EXPECT_EQ(Words("<P align=\"center\">ab cd ", Rect(0, 0, 101, 20))[0].x, 1 + (100 - 25) / 2);
    // "left" after "right" in one value wins; an unquoted value changes nothing.
    EXPECT_EQ(Words("<P align=\"right left\">ab", Rect(0, 0, 101, 20))[0].x, 1);
    EXPECT_EQ(Words("<P align=right>ab", Rect(0, 0, 101, 20))[0].x, 1);
    // An indent moves the pen from the rectangle's left.
    EXPECT_EQ(Words("<IND x=\"40\">ab", Rect(0, 0, 101, 20))[0].x, 41);
}

TEST_F(MiniHtml, EntitiesAreDecodedOnceFromLeftToRight) {
    auto text = [&](std::string_view html) {
        std::string all;
        for (const Drawn& d : Words(html, Rect(0, 0, 400, 20))) {
            all += d.text;
        }
        return all;
    };
    EXPECT_EQ(text("a&lt;b"), "a<b");
    EXPECT_EQ(text("&amp;lt;"), "&lt;");
    EXPECT_EQ(text("x&gt;y&lt;"), "x>y<");
    EXPECT_EQ(text("&nbsp;&QUOT;&Amp;"), "&nbsp;\"&");
    EXPECT_EQ(text("a&b &"), "a&b &");
}

TEST_F(MiniHtml, FontStylesAndFaceChangeAndReturn) {
    std::vector<TCanvasCall> calls =
        Paint("<B>a</B><I>b</I><U>c</U><S>d</S>e", Rect(0, 0, 200, 20));
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_TRUE(calls[0].FontStyle.Contains(TFontStyle::fsBold));
    EXPECT_EQ(calls[1].Points[0].X, 1 + BoldChar);
    EXPECT_EQ(calls[1].FontStyle, TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(calls[2].FontStyle, TFontStyles{TFontStyle::fsUnderline});
    EXPECT_EQ(calls[3].FontStyle, TFontStyles{TFontStyle::fsStrikeOut});
    EXPECT_TRUE(calls[4].FontStyle.Empty());

    // 12 points is 16 pixels: text height 20, external leading 2. The line grows to 20.
    calls = Paint("<font face=\"Courier New\" size=\"12\">a</font>b", Rect(0, 0, 200, 40));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].FontName, "Courier New");
    EXPECT_EQ(calls[0].FontHeight, -16);
    EXPECT_EQ(calls[0].Points[0].Y, 20 - 22);
    EXPECT_EQ(calls[1].FontName, "MS Sans Serif");
    EXPECT_EQ(calls[1].FontHeight, -11);
    EXPECT_EQ(calls[1].Points, (std::vector<TPoint>{{1 + 8, 20 - Cell}}));
    // A size that is not a whole number is ignored.
    EXPECT_EQ(Paint("<font size=\"big\">a", Rect(0, 0, 200, 40))[0].FontHeight, -11);
    // The canvas font is the one it was, whatever the text left open.
    Paint("<B><I><font face=\"Arial\" size=\"20\">x", Rect(0, 0, 200, 60));
    EXPECT_EQ(canvas.Font().Name(), "MS Sans Serif");
    EXPECT_EQ(canvas.Font().Height(), -11);
    EXPECT_TRUE(canvas.Font().Style().Empty());
}

TEST_F(MiniHtml, ColoursByNameAndHexValue) {
    auto colour = [&](std::string_view value) {
        std::string html = "<font color=\"" + std::string(value) + "\">a</font>b";
        std::vector<TCanvasCall> calls = Paint(html, Rect(0, 0, 200, 20));
        EXPECT_EQ(calls.at(1).FontColor, canvas.Font().Color()) << "the end tag restores it";
        return calls.at(0).FontColor;
    };
    TColor base = canvas.Font().Color();
    EXPECT_EQ(colour("clred"), clRed);
    EXPECT_EQ(colour("clRed"), clRed);
    EXPECT_EQ(colour("#FF0000"), clRed);
    EXPECT_EQ(colour("#00ff80"), RGB(0, 255, 128));
    EXPECT_EQ(colour(" #0000FF"), clBlue);
    EXPECT_EQ(colour("CLRED"), base);
    EXPECT_EQ(colour("clfoo"), clBlack);
    EXPECT_EQ(colour("clbtnface"), clBtnFace);
    EXPECT_EQ(colour("clinfobk"), clInfoBk);
    EXPECT_EQ(colour("clscrollbar"), clBlack) << "not one of the forty names";
    EXPECT_EQ(colour("#F0"), base);
    EXPECT_EQ(colour("#F00"), base);
    EXPECT_EQ(colour("#GG0000"), base);
    // "#" over a name when both are there.
    EXPECT_EQ(colour("clred #00FF00"), clLime);

    // bgcolor does not take the colour of " color"; the text then shows on that colour.
    std::vector<TCanvasCall> calls =
        Paint("<font bgcolor=\"clyellow\">a</font>b", Rect(0, 0, 200, 20));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].FontColor, base);
    EXPECT_EQ(calls[0].BrushColor, clYellow);
    EXPECT_EQ(calls[0].BkMode, TBkMode::bkOpaque);
    EXPECT_EQ(calls[1].BrushColor, clWhite);
    EXPECT_EQ(calls[1].BkMode, TBkMode::bkTransparent);

    EXPECT_EQ(HTMLColorByName("claqua"), clAqua);
    EXPECT_EQ(HTMLHexToColor("#123456"), RGB(0x12, 0x34, 0x56));
    EXPECT_FALSE(HTMLHexToColor("#12345"));
}

TEST_F(MiniHtml, SubscriptAndSuperscriptMoveTextByAQuarterOfItsHeight) {
    // Quarter of 13 is 3: the line is 16 high, the base text sits 3 above its bottom.
    std::vector<Drawn> sub = Words("a<SUB>b</SUB><br>c", Rect(0, 0, 200, 60));
    EXPECT_EQ(sub, (std::vector<Drawn>{
                       {1, 13 - Cell, "a"}, {1 + Char, 16 - Cell, "b"}, {1, 16 + 13 - Cell, "c"}}));
    std::vector<Drawn> sup = Words("a<SUP>b</sup><br>c", Rect(0, 0, 200, 60));
    EXPECT_EQ(sup, (std::vector<Drawn>{
                       {1, 16 - Cell, "a"}, {1 + Char, 13 - Cell, "b"}, {1, 16 + 13 - Cell, "c"}}));
    // SUB does not carry over into the next line.
    std::vector<Drawn> carried = Words("<sub>a<br>b", Rect(0, 0, 200, 60));
    EXPECT_EQ(carried[1], (Drawn{1, 16 + 13 - Cell, "b"}));
}

TEST_F(MiniHtml, ImagesByIndex) {
    TImageList images = Images(2);
    // The program's own status text: no src=, the quoted value is the source.
    std::vector<Drawn> words =
        Words("<img \"idx:1\"> Downloading...", Rect(0, 0, 300, 19), &images);
    std::vector<TCanvasCall> drawn = canvas.CallsOf("DrawImage");
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].Rect, Bounds(1, 0, 16, 16));
    // The line is as high as the image; the text sits on its bottom.
    EXPECT_EQ(words,
              (std::vector<Drawn>{{17, 16 - Cell, " "}, {17 + Char, 16 - Cell, "Downloading..."}}));

    // An index the list does not have draws nothing and takes no room.
    TImageList one = Images(1);
    EXPECT_EQ(Words("<IMG src=\"idx:1\">ab", Rect(0, 0, 300, 19), &one),
              (std::vector<Drawn>{{1, -1, "ab"}}));
    EXPECT_TRUE(canvas.CallsOf("DrawImage").empty());
    EXPECT_EQ(Words("<img src=\"idx:-1\">ab", Rect(0, 0, 300, 19), &one)[0].x, 1);
    EXPECT_EQ(Words("<img src=\"idx:x\">ab", Rect(0, 0, 300, 19), &one)[0].x, 1);
    EXPECT_EQ(Words("<img src=\"idx:0\">ab", Rect(0, 0, 300, 19), nullptr)[0].x, 1);
    // A system image-list number has no counterpart: nothing, no room.
    EXPECT_EQ(Words("<img src=\"ssys:3\">ab", Rect(0, 0, 300, 19), &one)[0].x, 1);

    // An image that does not fit goes to the next line.
    Words("abcd<img src=\"idx:0\">", Rect(0, 0, 31, 60), &images);
    drawn = canvas.CallsOf("DrawImage");
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].Rect, Bounds(1, Height, 16, 16));

    // align="top" raises the line's text to the image's top, "middle" half way.
    EXPECT_EQ(Words("<img src=\"idx:0\" align=\"top\">ab", Rect(0, 0, 300, 19), &images)[0].y,
              13 - Cell);
    EXPECT_EQ(Words("<img src=\"idx:0\" align=\"middle\">ab", Rect(0, 0, 300, 19), &images)[0].y,
              16 - 1 - Cell);
}

TEST_F(MiniHtml, LinksAreHitTestedByPoint) {
    const std::string text = "<A href=\"x\">link</A> other";
    // "link" covers the line's pixels 0..20 (the line starts at 1), strictly inside.
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 10, 5), "x");
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 2, 1), "x");
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 1, 5), "-");
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 21, 5), "-");
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 40, 5), "-") << "text outside the link";
    EXPECT_EQ(Hit(text, Rect(0, 0, 200, 20), 10, 13), "-") << "below the line";
    // The link's words are underlined in the link colour; the colour returns after it.
    std::vector<TCanvasCall> calls = Paint(text, Rect(0, 0, 200, 20));
    EXPECT_EQ(calls[0].FontColor, clBlue);
    EXPECT_TRUE(calls[0].FontStyle.Contains(TFontStyle::fsUnderline));
    EXPECT_NE(calls.back().FontColor, clBlue);

    // On the second line, after a right-aligned first line.
    const std::string second = "<P align=\"right\">ab<br><a href=\"two\">cd</a>";
    EXPECT_EQ(Hit(second, Rect(0, 0, 101, 40), 101 - 2 * Char + 3, 14 + 5), "two");
    EXPECT_EQ(Hit(second, Rect(0, 0, 101, 40), 101 - 2 * Char + 3, 5), "-");

    // An image inside a link.
    TImageList images = Images(1);
    const std::string image = "<a href=\"pic\"><img src=\"idx:0\"></a> text";
    EXPECT_EQ(Hit(image, Rect(0, 0, 200, 19), 9, 8, &images), "pic");
    EXPECT_EQ(Hit(image, Rect(0, 0, 200, 19), 30, 8, &images), "-");
}

TEST_F(MiniHtml, BlinkingTextTakesTheBackgroundInTheHiddenPhase) {
    canvas.Brush().SetColor(clBtnFace);
    TColor base = canvas.Font().Color();
    std::vector<TCanvasCall> shown =
        Paint("<BLINK>ab</BLINK> cd", Rect(0, 0, 200, 20), nullptr, true);
    std::vector<TCanvasCall> hidden =
        Paint("<blink>ab</blink> cd", Rect(0, 0, 200, 20), nullptr, false);
    ASSERT_EQ(shown.size(), 3u);
    ASSERT_EQ(hidden.size(), 3u);
    EXPECT_EQ(shown[0].FontColor, base);
    EXPECT_EQ(hidden[0].FontColor, clBtnFace);
    // Same place in both phases; the text after it is normal again.
    EXPECT_EQ(shown[0].Points, hidden[0].Points);
    EXPECT_EQ(hidden[2].FontColor, base);
}

TEST_F(MiniHtml, BodyColourFillsTheRectangle) {
    std::vector<TCanvasCall> text = Paint("<body bgcolor=\"#00FF00\">ab", Rect(5, 5, 100, 24));
    std::vector<TCanvasCall> fills = canvas.CallsOf("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].Rect, Rect(5, 5, 100, 24));
    EXPECT_EQ(fills[0].BrushColor, clLime);
    EXPECT_EQ(canvas.Brush().Color(), clLime) << "the brush stays as the text set it";
    // Hit testing paints nothing, not even the background.
    canvas.ClearCalls();
    Hit("<body bgcolor=\"#00FF00\">ab", Rect(5, 5, 100, 24), 10, 10);
    EXPECT_TRUE(canvas.CallsOf("FillRect").empty());
}

TEST_F(MiniHtml, UnknownTagsAndHostileInputAreHarmless) {
    EXPECT_EQ(Words("<xyz a=\"1\">ab<>cd</zz>", Rect(0, 0, 200, 20)),
              (std::vector<Drawn>{{1, -1, "ab"}, {1 + 2 * Char, -1, "cd"}}));
    // Empty and tiny rectangles, a lone "<", attributes without values.
    EXPECT_TRUE(Words("", Rect(0, 0, 200, 20)).empty());
    EXPECT_TRUE(Words("<", Rect(0, 0, 200, 20)).empty());
    // Nothing fits a rectangle of no width: each word then stays on the first line.
    EXPECT_EQ(Words("ab cd", Rect(0, 0, 0, 0)).size(), 2u);
    EXPECT_EQ(Words("<a href>x</a><img src><font color size face>y", Rect(0, 0, 200, 20)).size(),
              2u);
    // A long text of tags and words lays out without stalling.
    std::string many;
    for (int i = 0; i < 2000; ++i) {
        many += "<b>w </b>";
    }
    // Four bold "w " of 12 pixels fit in 59; 76 lines of 13 fit in 1000.
    EXPECT_EQ(Words(many, Rect(0, 0, 60, 1000)).size(), 4u * 76u);
}

} // namespace
