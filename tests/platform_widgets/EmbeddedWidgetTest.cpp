#include "platform/widgets/EmbeddedWidget.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <QLineEdit>
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

TEST(EmbeddedWidget, IsWrittenAsAStreamOfItsPublishedPropertiesAndFoundFromItsWidget) {
    auto button = std::make_unique<QPushButton>("Go");
    button->setObjectName("Button7");
    QPushButton* widget = button.get();
    auto* inner = new QPushButton("inner", widget);
    TEmbeddedWidget control(std::move(button), "TButton");
    control.SetBounds(4, 9, 120, 30);
    TOpaqueControl stored("TButton", "Button7", WriteControlComponent(control));
    EXPECT_EQ(stored.BoundsRect(), Bounds(4, 9, 120, 30));
    EXPECT_EQ(stored.Caption(), "Go");
    EXPECT_EQ(stored.Look().Kind, TControlKind::ckButton);
    EXPECT_EQ(WriteControlComponent(stored), stored.Bytes());

    auto edit = std::make_unique<QLineEdit>(QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
    TEmbeddedWidget box(std::move(edit), "TEdit");
    box.SetBounds(0, 0, 80, 21);
    TOpaqueControl storedBox("TEdit", "", WriteControlComponent(box));
    EXPECT_EQ(storedBox.Look().Text, u"\u00e9t\u00e9");

    // A widget inside the control's widget leads to the control; others to none.
    EXPECT_EQ(EmbeddedControlOf(inner), &control);
    EXPECT_EQ(EmbeddedControlOf(widget), &control);
    EXPECT_EQ(EmbeddedControlOf(inner, widget), nullptr);
    QWidget loose;
    EXPECT_EQ(EmbeddedControlOf(&loose), nullptr);
    EXPECT_EQ(EmbeddedControlOf(nullptr), nullptr);
}
