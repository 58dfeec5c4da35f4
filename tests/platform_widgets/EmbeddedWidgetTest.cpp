#include "platform/widgets/EmbeddedWidget.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <QPushButton>

TEST(EmbeddedWidget, StandsForItsWidgetInADocument) {
    auto button = std::make_unique<QPushButton>("Press");
    button->setObjectName("Button1");
    new QPushButton("inner", button.get());
    TEmbeddedWidget control(std::move(button), "TButton");
    control.SetBounds(10, 20, 60, 25);
    control.SetTag(20001);
    EXPECT_EQ(control.Name(), "Button1");
    EXPECT_EQ(control.Caption(), "Press");
    EXPECT_EQ(control.BoundsRect(), Bounds(10, 20, 60, 25));
    EXPECT_EQ(control.Tag(), 20001);
    EXPECT_TRUE(control.CanFocus());
    ASSERT_EQ(control.ChildCount(), 1);
    EXPECT_EQ(control.Child(0)->Caption(), "inner");
    EXPECT_EQ(control.Child(0), control.Child(0));
    EXPECT_EQ(control.Child(1), nullptr);

    TFakeCanvas canvas;
    control.PaintTo(canvas, 3, 4);
    ASSERT_EQ(canvas.CallsOf("DrawImage").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("DrawImage")[0].Rect, Bounds(3, 4, 60, 25));
}

TEST(EmbeddedWidget, ParentsAreWindowsAndMayGoFirst) {
    auto window = std::make_unique<QWidget>();
    TWidgetControlParent parent(window.get());
    TEmbeddedWidget control(std::make_unique<QPushButton>("x"), "TButton");
    control.SetParent(&parent);
    EXPECT_EQ(control.Widget()->parentWidget(), window.get());
    control.SetVisible(true);
    control.SetParent(&parent);
    EXPECT_TRUE(control.Visible()); // moving between windows keeps it shown
    control.SetParent(nullptr);
    EXPECT_EQ(control.Widget()->parentWidget(), nullptr);
    EXPECT_FALSE(control.Visible()); // never a window of its own
    control.SetParent(&parent);
    // A window closed with the control still on it takes the widget along; the control
    // then stands for nothing instead of freeing it twice.
    window.reset();
    EXPECT_EQ(control.Widget(), nullptr);
    EXPECT_EQ(control.BoundsRect(), TRect{});
    control.SetBounds(1, 1, 1, 1);
}
