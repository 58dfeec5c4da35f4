#include "controls/ShelfXPVS.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

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

TEST(ShelfXPVS, SwitchedOffThemesReportNoVisualStyles) {
    SetThemesEnabled(false);
    EXPECT_FALSE(IsThemeActive());
    EXPECT_EQ(OpenThemeData(nullptr, "button"), nullptr);
    SetThemesEnabled(true);
    EXPECT_TRUE(IsThemeActive());
}
