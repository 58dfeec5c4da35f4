#include "controls/MarkupStatusBar.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/widgets/Input.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

namespace {

using Style = TMarkupStatusPanelStyle;

constexpr QRgb BtnFace = qRgb(192, 192, 192);
constexpr QRgb BtnShadow = qRgb(128, 128, 128);
constexpr QRgb BtnHighlight = qRgb(255, 255, 255);
constexpr QRgb Highlight = qRgb(0, 0, 128);

std::unique_ptr<TMarkupStatusBar> MakeBar(int width) {
    auto bar = std::make_unique<TMarkupStatusBar>();
    bar->SetUseSystemFont(false);
    bar->Font().SetName("MS Sans Serif");
    bar->Font().SetSize(8);
    bar->resize(width, 19);
    return bar;
}

TMarkupStatusPanel& AddPanel(TMarkupStatusBar& bar, Style style, int width,
                             const std::string& text = "") {
    TMarkupStatusPanel& panel = bar.Panels().Add();
    panel.SetStyle(style);
    panel.SetWidth(width);
    panel.SetText(text);
    return panel;
}

void SendMouse(QWidget& widget, QEvent::Type type, int x, int y) {
    QPointF local(x, y);
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, widget.mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget, int x, int y) {
    SendMouse(widget, QEvent::MouseButtonPress, x, y);
    SendMouse(widget, QEvent::MouseButtonRelease, x, y);
}

// Text widths and heights as the bar's canvas measures them.
TSize Extent(TMarkupStatusBar& bar, const std::string& text) {
    QImage scratch(10, 10, QImage::Format_RGB32);
    TQtCanvas canvas(&scratch);
    canvas.Font().Assign(bar.Font());
    return canvas.TextExtent(text);
}

bool Dark(QRgb pixel) {
    return qRed(pixel) < 0x70 && qGreen(pixel) < 0x70 && qBlue(pixel) < 0x70;
}

int CountIn(const QImage& image, const TRect& r, const std::function<bool(QRgb)>& test) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y) {
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x) {
            n += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

TEST(MarkupStatusBar, NewPanelsAndPartLayout) {
    auto bar = MakeBar(300);
    bar->Panels().Add(); // 50 wide by default
    EXPECT_EQ(PartEdges({}), std::vector<int>{-1});
    EXPECT_EQ(PartEdges({50, 60, 70}), (std::vector<int>{50, 110, -1}));
    EXPECT_EQ(PartEdges(std::vector<int>(130, 10)).size(), 128u);

    AddPanel(*bar, Style::psText, 60);
    AddPanel(*bar, Style::psText, 10);
    // Parts two pixels apart; the last reaches the right end.
    EXPECT_EQ(bar->PanelRect(0), Rect(0, 1, 50, 19));
    EXPECT_EQ(bar->PanelRect(1), Rect(52, 1, 110, 19));
    EXPECT_EQ(bar->PanelRect(2), Rect(112, 1, 300, 19));
    EXPECT_EQ(bar->PanelContentRect(1), Rect(53, 2, 109, 18));
    EXPECT_EQ(bar->GetPanel(0), 0);
    EXPECT_EQ(bar->GetPanel(50), 0) << "the right edge is included";
    EXPECT_EQ(bar->GetPanel(51), -1);
    EXPECT_EQ(bar->GetPanel(52), 1);
    EXPECT_EQ(bar->GetPanel(299), 2);
    EXPECT_EQ(bar->GetPanel(-1), -1);

    // Panels past the 128th are not shown.
    auto many = MakeBar(1400);
    for (int i = 0; i < 130; ++i) {
        AddPanel(*many, Style::psText, 10);
    }
    EXPECT_EQ(many->PanelRect(127), Rect(1272, 1, 1400, 19));
    EXPECT_TRUE(IsRectEmpty(many->PanelRect(128)));
    EXPECT_EQ(many->GetPanel(1399), 127);

    bar->SetSimplePanel(true);
    EXPECT_EQ(bar->GetPanel(10), -1);
}

TEST(MarkupStatusBar, ChangesRedrawOnePanelOrAll) {
    auto bar = MakeBar(300);
    TMarkupStatusPanel& a = AddPanel(*bar, Style::psText, 100, "a");
    TMarkupStatusPanel& b = AddPanel(*bar, Style::psText, 100, "b");
    auto clear = [&] {
        a.SetUpdateNeeded(false);
        b.SetUpdateNeeded(false);
    };
    clear();
    a.SetText("a");
    EXPECT_FALSE(a.UpdateNeeded()) << "an unchanged text redraws nothing";
    a.SetText("x");
    EXPECT_TRUE(a.UpdateNeeded());
    EXPECT_FALSE(b.UpdateNeeded());
    clear();
    b.SetStyle(Style::psHTML);
    EXPECT_TRUE(b.UpdateNeeded());
    EXPECT_FALSE(a.UpdateNeeded());
    clear();
    b.SetWidth(120);
    EXPECT_TRUE(a.UpdateNeeded() && b.UpdateNeeded());
    clear();
    a.Progress().SetPosition(3);
    EXPECT_TRUE(a.UpdateNeeded() && b.UpdateNeeded());
    // Painting draws the marked panels.
    bar->grab();
    EXPECT_FALSE(a.UpdateNeeded() || b.UpdateNeeded());
}

TEST(MarkupStatusBar, TimerUpdatesClockAndLockPanels) {
    auto bar = MakeBar(400);
    bool numLock = true;
    bar->Clock = [] { return EncodeDateTime(2024, 3, 7, 13, 5, 9, 0); };
    bar->KeyToggled = [&](uint16_t key) { return key == VK_NUMLOCK && numLock; };
    TMarkupStatusPanel& time = AddPanel(*bar, Style::psTime, 60);
    TMarkupStatusPanel& date = AddPanel(*bar, Style::psDate, 80);
    TMarkupStatusPanel& num = AddPanel(*bar, Style::psNumLock, 40);
    TMarkupStatusPanel& caps = AddPanel(*bar, Style::psCapsLock, 40);
    TMarkupStatusPanel& scroll = AddPanel(*bar, Style::psScrollLock, 40);
    bar->Perform(WM_TIMER, TMarkupStatusBar::TimerId, 0);
    EXPECT_EQ(time.Text(), "13:05:09");
    EXPECT_EQ(date.Text(), "03/07/2024");
    EXPECT_EQ(num.Text(), "NUM");
    EXPECT_EQ(caps.Text(), "");
    EXPECT_EQ(scroll.Text(), "");

    for (int i = 0; i < bar->Panels().Count(); ++i) {
        bar->Panels()[i].SetUpdateNeeded(false);
    }
    bar->Perform(WM_TIMER, TMarkupStatusBar::TimerId, 0);
    EXPECT_FALSE(time.UpdateNeeded()) << "the same time is not drawn again";
    numLock = false;
    bar->Perform(WM_TIMER, TMarkupStatusBar::TimerId, 0);
    EXPECT_EQ(num.Text(), "");
    EXPECT_TRUE(num.UpdateNeeded());
}

TEST(MarkupStatusBar, BlinkingPanelsRedrawTwicePerCycle) {
    auto bar = MakeBar(300);
    TMarkupStatusPanel& blinking = AddPanel(*bar, Style::psHTML, 100, "<Blink>x</blink>");
    TMarkupStatusPanel& still = AddPanel(*bar, Style::psHTML, 100, "<b>x</b>");
    std::vector<int> redrawnAt;
    for (int tick = 0; tick < 22; ++tick) {
        int counter = bar->BlinkCounter();
        EXPECT_GE(counter, 0);
        EXPECT_LE(counter, 10);
        blinking.SetUpdateNeeded(false);
        still.SetUpdateNeeded(false);
        bar->Perform(WM_TIMER, TMarkupStatusBar::TimerId, 0);
        if (blinking.UpdateNeeded()) {
            redrawnAt.push_back(counter);
        }
        EXPECT_FALSE(still.UpdateNeeded());
    }
    EXPECT_EQ(redrawnAt, (std::vector<int>{5, 10, 5, 10}));
    EXPECT_EQ(bar->BlinkCounter(), 0) << "22 ticks are two whole cycles";
    EXPECT_EQ(blinking.Text(), "<Blink>x</blink>");
}

class MarkupStatusBarLinks : public ::testing::Test {
protected:
    void SetUp() override {
        bar = MakeBar(400);
        html = &AddPanel(*bar, Style::psHTML, 200);
        AddPanel(*bar, Style::psText, 200, "<a href=\"http://inert/\">texttexttexttext</a>");
        bar->ShellOpen = [this](const std::string& target) { shell.push_back(target); };
        bar->OnAnchorClick = [this](const std::string& anchor) { clicked.push_back(anchor); };
    }

    void Link(const std::string& href) {
        html->SetText("<a href=\"" + href + "\">linklinklinklink</a> tail");
    }

    std::unique_ptr<TMarkupStatusBar> bar;
    TMarkupStatusPanel* html = nullptr;
    std::vector<std::string> shell;
    std::vector<std::string> clicked;
};

TEST_F(MarkupStatusBarLinks, WebAndMailLinksGoToTheShellOthersToTheOwner) {
    for (std::string href : {"http://example.com/a?b=1", "HTTPS://Example.com/", "ftp://host/f",
                             "mailto:someone@example.com"}) {
        Link(href);
        Click(*bar, 10, 8);
        ASSERT_EQ(shell.size(), 1u) << href;
        EXPECT_EQ(shell.back(), href);
        shell.clear();
    }
    EXPECT_TRUE(clicked.empty());
    // Anything else is the owner's: program links, local files, scripts, a "://" further in.
    for (std::string href : {"node:12", "file:///etc/passwd", "javascript:alert(1)",
                             "x http://example.com/", "\\\\server\\share"}) {
        Link(href);
        Click(*bar, 10, 8);
        ASSERT_EQ(clicked.size(), 1u) << href;
        EXPECT_EQ(clicked.back(), href);
        clicked.clear();
    }
    EXPECT_TRUE(shell.empty());

    // Beside the link, and on a link written in a plain panel: nothing.
    Link("http://example.com/");
    int tail = 2 + Extent(*bar, "linklinklinklink tail").cx + 10;
    Click(*bar, tail, 8);
    Click(*bar, 210, 8);
    EXPECT_EQ(bar->IsAnchor(210, 8), "");
    EXPECT_TRUE(shell.empty());
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(bar->IsAnchor(10, 8), "http://example.com/");
}

TEST_F(MarkupStatusBarLinks, HoverShowsTheHandAndRaisesEnterAndExit) {
    Link("node:7");
    std::vector<std::string> events;
    bar->OnAnchorEnter = [&](const std::string& a) { events.push_back("enter " + a); };
    bar->OnAnchorExit = [&](const std::string& a) { events.push_back("exit " + a); };
    SendMouse(*bar, QEvent::MouseMove, 10, 8);
    EXPECT_EQ(bar->Cursor(), crHandPoint);
    SendMouse(*bar, QEvent::MouseMove, 12, 9);
    SendMouse(*bar, QEvent::MouseMove, 190, 8);
    EXPECT_EQ(bar->Cursor(), crDefault);
    SendMouse(*bar, QEvent::MouseMove, 10, 8);
    EXPECT_EQ(events, (std::vector<std::string>{"enter node:7", "exit ", "enter node:7"}));
}

TEST_F(MarkupStatusBarLinks, HintsFollowThePanelAndTheLink) {
    Link("node:7");
    html->SetHint("html hint");
    bar->Panels()[1].SetHint("plain hint");
    std::string hint;
    TPoint at;
    EXPECT_TRUE(bar->HintAt(250, 8, hint, at));
    EXPECT_EQ(hint, "plain hint");
    // An HTML panel shows hints only with AnchorHint.
    EXPECT_FALSE(bar->HintAt(10, 8, hint, at));
    bar->SetAnchorHint(true);
    EXPECT_TRUE(bar->HintAt(10, 8, hint, at));
    EXPECT_EQ(hint, "node:7");
    EXPECT_EQ(at, bar->ClientToScreen(Point(20, -2)));
    EXPECT_TRUE(bar->HintAt(190, 8, hint, at));
    EXPECT_EQ(hint, "html hint");
}

TEST(MarkupStatusBar, FlipChildrenReversesThePanels) {
    auto bar = MakeBar(400);
    AddPanel(*bar, Style::psText, 50, "A");
    AddPanel(*bar, Style::psText, 60, "B");
    AddPanel(*bar, Style::psHTML, 70, "C");
    bar->FlipChildren();
    TMarkupStatusPanels& p = bar->Panels();
    EXPECT_EQ(p[0].Text() + p[1].Text() + p[2].Text(), "CBA");
    EXPECT_EQ(p[0].Style(), Style::psHTML);
    // The first panel keeps the room the old last one showed.
    EXPECT_EQ(p[0].Width(), 400 - 110);
    EXPECT_EQ(p[1].Width(), 60);
    EXPECT_EQ(p[2].Width(), 50);
}

class MarkupStatusBarProgress : public ::testing::Test {
protected:
    // The number of filled pixels in the bar's top row, and whether any fill colour shows
    // outside the bar.
    int Filled(int min, int max, int position) {
        auto bar = MakeBar(400);
        TMarkupStatusPanel& panel = AddPanel(*bar, Style::psProgress, 400);
        panel.Progress().SetMin(min);
        panel.Progress().SetMax(max);
        panel.Progress().SetPosition(position);
        inner = bar->PanelContentRect(0);
        InflateRect(inner, -2, -2);
        image = bar->grab().toImage();
        TRect row = Rect(0, inner.Top, 400, inner.Top + 1);
        int filled = CountIn(image, row, [](QRgb p) { return p == Highlight; });
        TRect left = Rect(0, 0, inner.Left, 19);
        TRect right = Rect(inner.Right, 0, 400, 19);
        outside = CountIn(image, left, [](QRgb p) { return p == Highlight; }) +
                  CountIn(image, right, [](QRgb p) { return p == Highlight; });
        return filled;
    }

    TRect inner;
    QImage image;
    int outside = 0;
};

TEST_F(MarkupStatusBarProgress, FillCountsFromMinAndStaysInsideTheBar) {
    EXPECT_EQ(Filled(0, 100, 40), 158) << "40 % of 394 pixels, rounded";
    EXPECT_EQ(inner.Width(), 394);
    EXPECT_EQ(Filled(50, 150, 100), 197);
    EXPECT_EQ(Filled(0, 100, 100), 394);
    EXPECT_EQ(Filled(0, 100, -1), 0);
    EXPECT_EQ(Filled(0, 100, 1000), 394);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(Filled(5, 5, 0), 0) << "an empty range";
    EXPECT_EQ(Filled(5, 5, 9), 0);
    EXPECT_EQ(Filled(10, 0, 5), 0);
    EXPECT_EQ(outside, 0);
}

TEST_F(MarkupStatusBarProgress, TextShowsOverTheBarUnlessNone) {
    auto bar = MakeBar(400);
    TMarkupStatusPanel& panel = AddPanel(*bar, Style::psProgress, 400);
    panel.Progress().SetPosition(40);
    TRect r = bar->PanelContentRect(0);
    InflateRect(r, -2, -2);
    TSize text = Extent(*bar, "40%");
    TRect box = Bounds(r.Left + (r.Width() - text.cx) / 2, r.Top, text.cx, r.Height());
    // Over the empty part the text is the inverse of the button face: dark grey.
    QImage shown = bar->grab().toImage();
    EXPECT_GT(CountIn(shown, box, Dark), 3);
    TRect beside = Rect(box.Right + 2, r.Top, r.Right, r.Bottom);
    EXPECT_EQ(CountIn(shown, beside, [](QRgb p) { return p != BtnFace; }), 0);

    panel.Progress().SetIndication(TProgressIndication::piNone);
    QImage none = bar->grab().toImage();
    EXPECT_EQ(CountIn(none, box, [](QRgb p) { return p != BtnFace && p != Highlight; }), 0);
}

TEST(MarkupStatusBar, MainWindowPanelsRenderOffscreen) {
    TImageList images(16, 16);
    QImage first(16, 16, QImage::Format_RGB32);
    first.fill(qRgb(255, 0, 0));
    images.AddImage(first);
    QImage second(16, 16, QImage::Format_RGB32);
    second.fill(qRgb(0, 160, 0));
    QPainter(&second).fillRect(0, 0, 4, 4, QColor(255, 0, 255));
    images.AddImage(second);

    auto bar = MakeBar(600);
    bar->SetImages(&images);
    AddPanel(*bar, Style::psHTML, 220, "<img \"idx:1\"> Capture Completed");
    AddPanel(*bar, Style::psProgress, 240).Progress().SetPosition(40);
    AddPanel(*bar, Style::psText, 100, "Node 3 / 10");
    QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(600, 19));

    // Bevels of the first part, the gap after it and the bar above the parts.
    TRect part = bar->PanelRect(0);
    EXPECT_EQ(image.pixel(part.Left, 10), BtnShadow);
    EXPECT_EQ(image.pixel(100, part.Top), BtnShadow);
    EXPECT_EQ(image.pixel(part.Right - 1, 10), BtnHighlight);
    EXPECT_EQ(image.pixel(100, part.Bottom - 1), BtnHighlight);
    EXPECT_EQ(image.pixel(part.Right, 10), BtnFace);
    EXPECT_EQ(image.pixel(part.Right + 1, 10), BtnFace);
    EXPECT_EQ(image.pixel(100, 0), BtnFace);

    // Image 1 at the start of the line, one pixel in, on the line's top.
    TRect content = bar->PanelContentRect(0);
    int ix = content.Left + 1, iy = content.Top;
    EXPECT_EQ(image.pixel(ix, iy), qRgb(255, 0, 255));
    EXPECT_EQ(image.pixel(ix + 3, iy + 3), qRgb(255, 0, 255));
    EXPECT_EQ(image.pixel(ix + 4, iy + 4), qRgb(0, 160, 0));
    EXPECT_EQ(image.pixel(ix + 15, iy + 15), qRgb(0, 160, 0));
    EXPECT_EQ(CountIn(image, Rect(0, 0, 600, 19), [](QRgb p) { return p == qRgb(255, 0, 0); }), 0)
        << "image 0 is not drawn";
    // The text follows the image and ends where it measures.
    int textLeft = ix + 16;
    int textRight = textLeft + Extent(*bar, " Capture Completed").cx;
    EXPECT_GT(CountIn(image, Rect(textLeft, content.Top, textRight, content.Bottom), Dark), 20);
    EXPECT_EQ(CountIn(image, Rect(textRight + 2, content.Top, content.Right, content.Bottom), Dark),
              0);

    // The progress part between is drawn as the progress tests check it.
    // The node position, two pixels in from the bevel of the last part.
    TRect last = bar->PanelContentRect(2);
    EXPECT_EQ(last.Right, 599);
    int nodeRight = last.Left + 2 + Extent(*bar, "Node 3 / 10").cx;
    EXPECT_GT(CountIn(image, Rect(last.Left + 2, last.Top, nodeRight, last.Bottom), Dark), 20);
    EXPECT_EQ(CountIn(image, Rect(nodeRight + 2, last.Top, last.Right, last.Bottom), Dark), 0);
}

TEST(MarkupStatusBar, SizeGripInAResizableWindowEndsTheLastPart) {
    QWidget window;
    window.resize(400, 100);
    TMarkupStatusBar bar(&window);
    bar.SetBounds(0, 81, 400, 19);
    bar.Panels().Add().SetWidth(100);
    bar.Panels().Add();
    TRect last = bar.PanelRect(1);
    EXPECT_LT(last.Right, 400);
    EXPECT_GT(last.Right, 400 - 40);
    bar.SetSizeGrip(false);
    EXPECT_EQ(bar.PanelRect(1).Right, 400);
    // A window of fixed size has no grip.
    bar.SetSizeGrip(true);
    window.setFixedSize(400, 100);
    EXPECT_EQ(bar.PanelRect(1).Right, 400);
}

TEST(MarkupStatusBar, OwnerDrawnPanelsAndSimpleText) {
    auto bar = MakeBar(300);
    TMarkupStatusPanel& owned = AddPanel(*bar, Style::psOwnerDraw, 100);
    AddPanel(*bar, Style::psText, 100, "plain");
    std::vector<TRect> asked;
    bar->OnDrawPanel = [&](TMarkupStatusBar& sb, TMarkupStatusPanel& panel, const TRect& r) {
        EXPECT_EQ(&sb, bar.get());
        EXPECT_EQ(&panel, &owned);
        asked.push_back(r);
        sb.Canvas().Brush().SetColor(clRed);
        sb.Canvas().FillRect(r);
    };
    QImage image = bar->grab().toImage();
    ASSERT_EQ(asked, std::vector<TRect>{bar->PanelContentRect(0)});
    TRect inside = bar->PanelContentRect(0);
    EXPECT_EQ(CountIn(image, inside, [](QRgb p) { return p != qRgb(255, 0, 0); }), 0);
    EXPECT_EQ(CountIn(image, Rect(100, 0, 300, 19), [](QRgb p) { return p == qRgb(255, 0, 0); }), 0)
        << "drawing stays inside the panel";

    // Simple mode shows SimpleText over the whole bar in place of the panels.
    bar->SetSimpleText("Simple");
    bar->SetSimplePanel(true);
    asked.clear();
    image = bar->grab().toImage();
    EXPECT_TRUE(asked.empty());
    int right = 2 + 2 + Extent(*bar, "Simple").cx;
    EXPECT_GT(CountIn(image, Rect(3, 2, right, 18), Dark), 10);
    EXPECT_EQ(CountIn(image, Rect(right + 2, 2, 298, 18), Dark), 0);
}

} // namespace

TEST(MarkupStatusBar, AutoHintShowsACommandsHintUnlessOffOrTakenByOnHint) {
    std::unique_ptr<TMarkupStatusBar> bar = MakeBar(300);
    // Without panels the hint goes to the simple text.
    EXPECT_FALSE(bar->AutoHint());
    EXPECT_FALSE(bar->ExecuteHintAction("off"));
    EXPECT_EQ(bar->SimpleText(), "");
    bar->SetAutoHint(true);
    EXPECT_TRUE(bar->ExecuteHintAction("no panels"));
    EXPECT_EQ(bar->SimpleText(), "no panels");

    AddPanel(*bar, Style::psHTML, 100, "first");
    AddPanel(*bar, Style::psText, 100, "second");
    EXPECT_TRUE(bar->ExecuteHintAction("Open a binder file"));
    EXPECT_EQ(bar->Panels()[0].Text(), "Open a binder file");
    EXPECT_EQ(bar->Panels()[1].Text(), "second");
    EXPECT_EQ(bar->SimpleText(), "no panels");
    EXPECT_TRUE(bar->ExecuteHintAction("")); // the mouse left the command
    EXPECT_EQ(bar->Panels()[0].Text(), "");

    bar->SetSimplePanel(true);
    EXPECT_TRUE(bar->ExecuteHintAction("simple"));
    EXPECT_EQ(bar->SimpleText(), "simple");
    EXPECT_EQ(bar->Panels()[0].Text(), "");

    // An OnHint handler takes the hint: the bar leaves it to the framework.
    int raised = 0;
    bar->OnHint = [&raised] { ++raised; };
    EXPECT_FALSE(bar->ExecuteHintAction("taken"));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(bar->SimpleText(), "simple");
    bar->OnHint = nullptr;
    bar->SetAutoHint(false);
    bar->SetSimplePanel(false);
    EXPECT_FALSE(bar->ExecuteHintAction("off again"));
    EXPECT_EQ(bar->Panels()[0].Text(), "");
    EXPECT_EQ(raised, 1);
}
