#include "platform/widgets/Control.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

TEST(ControlCaret, BlinksOnTicksOverAnUnchangedSurface) {
    TCustomControl control;
    control.SetBounds(0, 0, 60, 40);
    control.setFocusPolicy(Qt::StrongFocus);
    control.show();
    control.activateWindow();
    control.SetFocus();
    QApplication::processEvents();
    control.Canvas().Brush().SetColor(clWhite);
    control.Canvas().FillRect(Rect(0, 0, 60, 40));
    QImage before;
    ASSERT_TRUE(control.Canvas().GrabImage(Rect(0, 0, 60, 40), before));

    TControlCaret& caret = control.Caret();
    caret.Create(1, 12);
    caret.SetPos(10, 5);
    EXPECT_FALSE(caret.Shown());
    caret.Show();
    ASSERT_TRUE(caret.Shown());
    ASSERT_TRUE(control.hasFocus());
    EXPECT_TRUE(caret.Visible());
    // On screen the caret inverts its pixels; the surface keeps them.
    EXPECT_EQ(control.grab().toImage().pixelColor(10, 10), QColor(Qt::black));
    caret.BlinkTimer().Tick();
    EXPECT_FALSE(caret.Visible());
    caret.BlinkTimer().Tick();
    EXPECT_TRUE(caret.Visible());
    control.grab();
    QImage after;
    ASSERT_TRUE(control.Canvas().GrabImage(Rect(0, 0, 60, 40), after));
    EXPECT_EQ(after, before);

    control.clearFocus();
    EXPECT_FALSE(caret.Visible());
    caret.Hide();
    EXPECT_FALSE(caret.Shown());
    caret.Destroy();
    EXPECT_FALSE(caret.Exists());
}
