#include "ShelfBarTestBar.h"
#include "controls/ShelfXPVS.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>

namespace {

std::vector<int> DrawnItems(TShelfBar& bar, TShelfPanel& panel) {
    std::vector<int> drawn;
    bar.OnItemDraw = [&](TShelfBar&, TShelfItem& item, TCanvas&, const TRect&, bool& draw) {
        if (item.GetShelfPanel() == &panel) {
            drawn.push_back(item.Index());
        }
        draw = false;
    };
    TFakeCanvas canvas;
    bar.PaintTo(canvas);
    return drawn;
}

std::vector<std::string> ThemedParts(const TFakeCanvas& canvas) {
    std::vector<std::string> parts;
    for (const TCanvasCall& call : canvas.CallsOf("Paint")) {
        if (call.Text.rfind("DrawThemeBackground ", 0) == 0) {
            parts.push_back(call.Text.substr(20));
        }
    }
    return parts;
}

bool Contains(const std::vector<std::string>& parts, const std::string& part) {
    return std::find(parts.begin(), parts.end(), part) != parts.end();
}

int ChangedPixels(const QImage& image, QRgb background, const QRect& inside, int* outside) {
    int in = 0;
    *outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                (inside.contains(x, y) ? in : *outside) += 1;
            }
        }
    }
    return in;
}

} // namespace

TEST(ShelfPaint, SinglePanelDrawsTheRowsThatFitAndItsArrows) {
    TestShelfBar bar(180, 260);
    bar.AddPanels({10, 1, 1});
    TShelfPanel& panel = bar.Panels()[0];
    EXPECT_EQ(DrawnItems(bar, panel), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(bar.ScrollUpShown());
    EXPECT_TRUE(bar.ScrollDownShown());
    EXPECT_EQ(bar.ShelfWidth(), 160);

    panel.SetTopItem(6);
    EXPECT_EQ(DrawnItems(bar, panel), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_TRUE(bar.ScrollUpShown());
    EXPECT_FALSE(bar.ScrollDownShown());
    while (panel.Items().Count() > 3) {
        panel.Items().Delete(panel.Items().Count() - 1);
    }
    EXPECT_EQ(panel.TopItem(), 2);
    EXPECT_EQ(DrawnItems(bar, panel), (std::vector<int>{2}));

    bar.resize(0, 0);
    bar.ShadeHeader();
    EXPECT_TRUE(bar.ShadeBitmap().isNull());
    EXPECT_TRUE(DrawnItems(bar, panel).empty());
}

TEST(ShelfPaint, MultiPanelDrawsOnlyOpenPanels) {
    TestShelfBar bar(180, 600);
    bar.AddPanels({3, 2});
    bar.SetMode(TShelfBarMode::imMultiPanelActive);
    EXPECT_EQ(DrawnItems(bar, bar.Panels()[0]), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(DrawnItems(bar, bar.Panels()[1]).empty());
}

TEST(ShelfPaint, GradientBands) {
    struct Band {
        TRect rect;
        TColor color;
    };
    struct Case {
        TColor from, to;
        int steps;
        std::vector<Band> bands;
    };
    for (const Case& c :
         {Case{clBlack, RGB(100, 50, 200), 0, {{Rect(0, 0, 50, 11), clBlack}}},
          Case{clBlack,
               RGB(100, 50, 200),
               2,
               {{Rect(0, 0, 50, 6), clBlack}, {Rect(0, 5, 50, 11), RGB(50, 25, 100)}}},
          Case{clBtnFace, clWhite, 1, {{Rect(0, 0, 50, 11), RGB(192, 192, 192)}}}}) {
        TFakeCanvas canvas;
        DrawGradient(canvas, c.from, c.to, c.steps, Rect(0, 0, 50, 10), false);
        std::vector<TCanvasCall> drawn = canvas.CallsOf("Rectangle");
        ASSERT_EQ(drawn.size(), c.bands.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].Rect, c.bands[i].rect);
            EXPECT_EQ(drawn[i].BrushColor, c.bands[i].color);
        }
    }
}

TEST(ShelfPaint, PropertyRowsDrawValueButtonsSwatchesAndCheckBoxes) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({3}, 20);
    TShelfPanel& panel = bar.Panels()[0];
    panel.SetStyle(TPanelStyle::psProperties);
    panel.Items()[0].SetPropertyType(TPropertyType::ptColor);
    panel.Items()[0].SetColorValue(clRed);
    panel.Items()[1].SetPropertyType(TPropertyType::ptBoolean);
    panel.Items()[2].SetPropertyType(TPropertyType::ptIntSpin);
    struct Case {
        bool checked;
        TPoint pointer;
        bool down;
        std::string box;
    };
    // Row 1 runs from 40 to 60; its check box is at (64, 43) - (78, 57).
    for (const Case& c : {Case{false, {0, 0}, false, "3 1 64,43,78,57"},
                          Case{false, {70, 50}, false, "3 2 64,43,78,57"},
                          Case{false, {70, 50}, true, "3 7 64,43,78,57"},
                          Case{true, {0, 0}, false, "3 5 64,43,78,57"},
                          Case{true, {70, 50}, false, "3 6 64,43,78,57"},
                          Case{true, {70, 50}, true, "3 3 64,43,78,57"}}) {
        panel.Items()[1].SetBoolValue(c.checked);
        bar.pointer = c.pointer;
        bar.leftDown = c.down;
        TFakeCanvas canvas;
        bar.PaintTo(canvas);
        std::vector<std::string> parts = ThemedParts(canvas);
        EXPECT_TRUE(Contains(parts, "button " + c.box)) << c.box;
        EXPECT_TRUE(Contains(parts, "combobox 1 1 160,20,176,40"));
        EXPECT_TRUE(Contains(parts, "spin 1 1 160,60,176,70"));
        EXPECT_TRUE(Contains(parts, "spin 2 1 160,70,176,80"));
        bool swatch = false;
        for (const TCanvasCall& call : canvas.CallsOf("Rectangle")) {
            swatch |= call.Rect == Rect(66, 22, 84, 36) && call.BrushColor == clRed;
        }
        EXPECT_TRUE(swatch);
        bool name = false;
        for (const TCanvasCall& call : canvas.CallsOf("TextOut")) {
            name |= call.Text == "Red" && call.Points.at(0).X == 88;
        }
        EXPECT_TRUE(name);
    }
}

TEST(ShelfPaint, ThemesOffGiveTheClassicLook) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({12, 4}, 20);
    bar.PanelCaption().SetShadeType(TShadeType::stXPButton);
    TShelfPanel& panel = bar.Panels()[0];
    panel.SetStyle(TPanelStyle::psProperties);
    const TPropertyType types[] = {TPropertyType::ptColor, TPropertyType::ptFont,
                                   TPropertyType::ptIntSpin, TPropertyType::ptBoolean};
    for (int i = 0; i < 4; ++i) {
        panel.Items()[i].SetPropertyType(types[i]);
    }
    panel.SetTopItem(1);
    for (bool themes : {true, false}) {
        SetThemesEnabled(themes);
        EXPECT_EQ(IsThemeActive(), themes);
        EXPECT_EQ(OpenThemeData(nullptr, "button") != nullptr, themes);
        TFakeCanvas canvas;
        bar.PaintTo(canvas);
        EXPECT_EQ(ThemedParts(canvas).empty(), !themes);
    }
    SetThemesEnabled(true);
}

TEST(ShelfPaint, AutoIconsComeFromTheUrl) {
    using enum TAutoIconSource::Kind;
    struct Case {
        const char* url;
        bool large;
        TAutoIconSource source;
    };
    for (const Case& c :
         {Case{"/opt/app/tool.EXE", false, {Program, "/opt/app/tool.EXE"}},
          Case{"/icons/a.ico", true, {IconFile, "/icons/a.ico"}},
          Case{"/icons/set.icl", true, {Program, "/icons/set.icl"}},
          Case{"/icons/set.icl", false, {Shell, "/icons/set.icl"}},
          Case{"https://example.org/page", true, {Shell, "a.html"}},
          Case{"https://example.org/page", false, {Shell, "a.htm"}},
          Case{"/home/u/notes.v1/readme", false, {Shell, "/home/u/notes.v1/readme"}}}) {
        EXPECT_EQ(AutoIconSource(c.url, c.large), c.source) << c.url;
    }
}

TEST(ShelfPaint, TheMainWindowsPanelsRenderOffscreen) {
    TestShelfBar bar(180, 400);
    bar.PanelCaption().SetShadeType(TShadeType::stHardBump);
    bar.PanelCaption().SetColor(RGB(0, 0, 255));
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(qRgb(255, 0, 0));
    TIcon icon;
    icon.SetImage(red);
    const char* captions[] = {"Pages Explorer", "Pages List", "My Binders"};
    const int counts[] = {0, 30, 2};
    for (int p = 0; p < 3; ++p) {
        TShelfPanel& panel = bar.Panels().Add();
        panel.SetCaption(captions[p]);
        panel.SetColor(RGB(0, 128, 0));
        panel.Font().SetColor(clWhite);
        for (int i = 0; i < counts[p]; ++i) {
            TShelfItem& item = panel.Items().Add();
            item.SetCaption("Page " + std::to_string(i));
            item.SetIcon(&icon);
        }
    }
    auto* tree = new QTreeWidget(&bar);
    bar.Panels()[0].SetControl(tree);
    bar.Panels()[1].SetTopItem(5);
    bar.SetTopPanel(1);
    EXPECT_TRUE(tree->isHidden());

    QImage shot = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(180, 400));
    // Captions: the bump's blue at the open panel's caption, the shade's darker left end.
    QColor caption = shot.pixelColor(90, 30);
    EXPECT_TRUE(caption.blue() > 150 && caption.red() < 30 && caption.green() < 30);
    EXPECT_LT(shot.pixelColor(1, 30).blue(), caption.blue());
    // The open panel's green background, the first shown item's icon, centred in its row.
    EXPECT_EQ(shot.pixel(20, 90), qRgb(0, 128, 0));
    EXPECT_EQ(shot.pixel(90, 60), qRgb(255, 0, 0));
    // The item's caption in white below its icon.
    int white = 0;
    for (int y = 76; y < 88; ++y) {
        for (int x = 60; x < 120; ++x) {
            QColor c = shot.pixelColor(x, y);
            white += std::min({c.red(), c.green(), c.blue()}) > 180;
        }
    }
    EXPECT_GT(white, 5);
}

TEST(ShelfXPVS, ThemedPartsDrawWithTheQtStyleInsideTheirRectangle) {
    ASSERT_TRUE(IsThemeActive());
    struct Part {
        const char* cls;
        int part;
        int state;
    };
    for (Part p :
         {Part{"button", BP_PUSHBUTTON, PBS_HOT}, Part{"BUTTON", BP_CHECKBOX, CBS_CHECKEDPRESSED},
          Part{"scrollbar", SBP_ARROWBTN, ABS_DOWNHOT},
          Part{"combobox", CP_DROPDOWNBUTTON, CBXS_NORMAL}, Part{"spin", SPNP_DOWN, UPS_PRESSED}}) {
        HTHEME theme = OpenThemeData(nullptr, p.cls);
        ASSERT_NE(theme, nullptr) << p.cls;
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(qRgb(1, 2, 3));
        TQtCanvas canvas(&image);
        EXPECT_TRUE(DrawThemeBackground(theme, canvas, p.part, p.state, Rect(10, 10, 28, 28)))
            << p.cls;
        int outside = 0;
        EXPECT_GT(ChangedPixels(image, qRgb(1, 2, 3), QRect(10, 10, 18, 18), &outside), 20)
            << p.cls;
        EXPECT_EQ(outside, 0) << p.cls;
        CloseThemeData(theme);
    }
}

TEST(ShelfXPVS, UnknownClassesAndPartsFallBackToTheClassicLook) {
    EXPECT_EQ(OpenThemeData(nullptr, "tab"), nullptr);
    HTHEME button = OpenThemeData(nullptr, "button");
    TFakeCanvas canvas;
    EXPECT_FALSE(DrawThemeBackground(button, canvas, 2, 1, Rect(0, 0, 10, 10)));
    EXPECT_FALSE(DrawThemeBackground(button, canvas, BP_CHECKBOX, 13, Rect(0, 0, 10, 10)));
    EXPECT_FALSE(DrawThemeBackground(nullptr, canvas, BP_PUSHBUTTON, 1, Rect(0, 0, 10, 10)));
    EXPECT_TRUE(canvas.Calls().empty());
    // On the fake the themed drawing is recorded by what it draws.
    EXPECT_TRUE(DrawThemeBackground(button, canvas, BP_PUSHBUTTON, PBS_PRESSED, Rect(1, 2, 3, 4)));
    ASSERT_EQ(canvas.Calls().size(), 1u);
    EXPECT_EQ(canvas.Calls()[0].Text, "DrawThemeBackground button 1 3 1,2,3,4");
}
