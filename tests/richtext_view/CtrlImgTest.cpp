#include "richtext/view/CtrlImg.h"
#include "platform/graphics/DrawText.h"
#include "platform/widgets/EmbeddedWidget.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

QRgb Rgb(TColor color) {
    const uint32_t c = DrawnRGB(color);
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

bool Dark(QRgb pixel) {
    return qGray(pixel) < 100;
}

// Dark pixels inside `r` (the frame's own lines left out by the caller's rectangle).
int Ink(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += Dark(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

// The first column with ink inside the text band of a 120 x 24 edit box, frames left out.
int LeftmostInk(const QImage& image) {
    for (int x = 2; x < image.width() - 2; ++x) {
        for (int y = 4; y < image.height() - 4; ++y) {
            if (Dark(image.pixel(x, y))) {
                return x;
            }
        }
    }
    return -1;
}

std::unique_ptr<TEmbeddedWidget> Edit(const QString& text, bool frame,
                                      QLineEdit::EchoMode echo = QLineEdit::Normal) {
    auto edit = std::make_unique<QLineEdit>(text);
    edit->setFrame(frame);
    edit->setEchoMode(echo);
    edit->resize(120, 24);
    return std::make_unique<TEmbeddedWidget>(std::move(edit), "TEdit");
}

TEST(ControlPicture, APanelWithAButtonAndAnEditIsOnePicture) {
    auto frame = std::make_unique<QFrame>();
    frame->resize(200, 100);
    auto* button = new QPushButton("OK", frame.get());
    button->setGeometry(10, 10, 80, 30);
    auto* edit = new QLineEdit("hello", frame.get());
    edit->setGeometry(10, 50, 120, 24);
    TEmbeddedWidget panel(std::move(frame), "TPanel");

    const std::unique_ptr<TBitmap> picture = DrawControl(panel);
    ASSERT_EQ(picture->Width(), 200);
    ASSERT_EQ(picture->Height(), 100);
    const QImage image = picture->Image();
    // The button: raised frame, white inside top-left, black outside bottom-right, a caption.
    EXPECT_EQ(image.pixel(11, 11), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(89, 39), Rgb(cl3DDkShadow));
    EXPECT_GT(Ink(image, QRect(14, 14, 72, 22)), 0);
    // The edit box: sunken frame, grey outside top-left, and its text.
    EXPECT_EQ(image.pixel(10, 50), Rgb(clBtnShadow));
    EXPECT_GT(Ink(image, QRect(14, 54, 112, 16)), 0);
    // Nothing of either outside them.
    EXPECT_EQ(Ink(image, QRect(150, 10, 40, 80)), 0);
}

TEST(ControlPicture, AnEditWithoutBorderHasNoFrameAndItsTextMovesInOnePixel) {
    const QImage plain = DrawControl(*Edit("Wide", false))->Image();
    const QImage framed = DrawControl(*Edit("Wide", true))->Image();
    const TControlLook look = Edit("Wide", false)->Look();
    EXPECT_EQ(plain.pixel(0, 0), Rgb(look.Color));
    EXPECT_EQ(plain.pixel(119, 23), Rgb(look.Color));
    // The sunken edge takes two pixels more on each side.
    EXPECT_EQ(LeftmostInk(framed), LeftmostInk(plain) + 2);
    // The text starts one pixel in: drawn by hand at x 1, it lands on the same column.
    TBitmap reference(120, 24);
    reference.Canvas().Font().Assign(look.Font);
    reference.Canvas().Brush().SetStyle(TBrushStyle::bsClear);
    TRect r = Rect(1, 1, 119, 23);
    DrawTextW(reference.Canvas(), u"Wide", r, DT_SINGLELINE);
    EXPECT_EQ(LeftmostInk(plain), LeftmostInk(reference.Image()));
}

TEST(ControlPicture, APasswordEditShowsNoClearText) {
    auto secret = Edit("secret", true, QLineEdit::Password);
    const TControlLook look = secret->Look();
    EXPECT_EQ(look.Kind, TControlKind::ckEdit);
    EXPECT_EQ(look.Text.size(), 6u);
    EXPECT_EQ(look.Text.find(u"secret"), std::u16string::npos);
    EXPECT_NE(DrawControl(*secret)->Image(), DrawControl(*Edit("secret", true))->Image());
}

TEST(ControlPicture, OtherControlsPaintThemselvesAndControlsWithoutAWindowStayBlank) {
    auto label = std::make_unique<QLabel>("Label text");
    label->resize(100, 30);
    TEmbeddedWidget shown(std::move(label), "TLabel");
    EXPECT_GT(Ink(DrawControl(shown)->Image(), QRect(0, 0, 100, 30)), 0);

    TOpaqueControl opaque("TShape", "Shape1", "");
    opaque.SetBounds(0, 0, 40, 20);
    const QImage blank = DrawControl(opaque)->Image();
    EXPECT_EQ(Ink(blank, QRect(0, 0, 40, 20)), 0);
    EXPECT_EQ(blank.size(), QSize(40, 20));
}

} // namespace
