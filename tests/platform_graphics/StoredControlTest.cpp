// Controls known only by their stored component stream: the bounds and caption read from it,
// damaged streams, and the stream a control is written as.
#include "platform/graphics/ComponentStream.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Str(std::string_view s) {
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

// A button as the framework streams it: 8-bit and 16-bit integers, a caption, a property
// this program does not know, and an empty list of children.
const std::string ButtonStream =
    "TPF0" + Str("TButton") + Str("Button1") + Str("Left") + "\x02\x08" + Str("Top") + "\x02\x10" +
    Str("Width") + "\x02\x78" + Str("Height") + "\x02\x1e" + Str("Caption") + "\x06" +
    Str("Go \xe9") + Str("TabOrder") + "\x02\x03" + std::string(2, '\0');

TEST(StoredControl, BoundsAndCaptionComeFromTheStream) {
    TOpaqueControl control("TButton", "Button1", ButtonStream);
    EXPECT_EQ(control.BoundsRect(), Bounds(8, 16, 120, 30));
    EXPECT_EQ(control.Caption(), "Go \xc3\xa9");
    EXPECT_EQ(control.Bytes(), ButtonStream);
    // The component's name is the stream's, whatever the document called the item.
    EXPECT_EQ(TOpaqueControl("TButton", "", ButtonStream).Name(), "Button1");
    const TControlLook look = control.Look();
    EXPECT_EQ(look.Kind, TControlKind::ckButton);
    EXPECT_EQ(look.Text, u"Go \u00e9");

    // Wide integers and an edit box's text.
    const std::string edit =
        "TPF0" + Str("TEdit") + Str("Edit1") + Str("Width") + std::string("\x03\x2c\x01", 3) +
        Str("Height") + std::string("\x04\x15\x00\x00\x00", 5) + Str("Text") + "\x12" +
        std::string("\x02\x00\x00\x00\x3a\x04\x42\x00", 8) + std::string(2, '\0');
    TOpaqueControl box("TEdit", "Edit1", edit);
    EXPECT_EQ(box.BoundsRect(), Bounds(0, 0, 300, 21));
    EXPECT_EQ(box.Look().Kind, TControlKind::ckEdit);
    EXPECT_EQ(box.Look().Text, u"\u043aB");
    EXPECT_EQ(box.Caption(), "");
}

TEST(StoredControl, DamagedStreamsShowNothingAndKeepTheirBytes) {
    const std::string cases[] = {
        "",
        "TPF",
        "XPF0" + ButtonStream.substr(4),
        // Cut inside the Height value.
        ButtonStream.substr(0, ButtonStream.find("Height") + 7),
        // Width given as a string.
        "TPF0" + Str("TButton") + Str("b") + Str("Width") + "\x06" + Str("wide") +
            std::string(2, '\0'),
        // A caption claiming more bytes than there are.
        "TPF0" + Str("TButton") + Str("b") + Str("Caption") + "\x0c" +
            std::string("\xff\xff\xff\x7f", 4) + "ab",
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        TOpaqueControl control("TButton", "b", bytes);
        EXPECT_EQ(control.BoundsRect(), Rect(0, 0, 0, 0));
        EXPECT_EQ(control.Caption(), "");
        EXPECT_EQ(control.Bytes(), bytes);
    }
    // Sizes below zero are no size.
    const std::string negative = "TPF0" + Str("TPanel") + Str("p") + Str("Width") + "\x02\xf6" +
                                 Str("Height") + "\x02\x05" + std::string(2, '\0');
    TOpaqueControl panel("TPanel", "p", negative);
    EXPECT_EQ(panel.Width(), 0);
    EXPECT_EQ(panel.Height(), 5);
}

TEST(StoredControl, ItsFrameAndCaptionAreDrawnAtItsSize) {
    TOpaqueControl control("TCheckBox", "c",
                           "TPF0" + Str("TCheckBox") + Str("c") + Str("Width") + "\x02\x50" +
                               Str("Height") + "\x02\x14" + Str("Caption") + "\x06" + Str("Tick") +
                               std::string(2, '\0'));
    EXPECT_EQ(control.Look().Kind, TControlKind::ckOtherWindowed);
    TFakeCanvas canvas;
    control.PaintTo(canvas, 5, 7);
    ASSERT_EQ(canvas.CallsOf("FrameRect").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("FrameRect")[0].Rect, Bounds(5, 7, 80, 20));
    EXPECT_FALSE(canvas.CallsOf("TextOut").empty());
    // The framework's window-less controls stay blank in print.
    EXPECT_EQ(TOpaqueControl("TLabel", "l", "").Look().Kind, TControlKind::ckNotWindowed);
}

// A control of our own standing for a live one.
struct LiveControl : TOpaqueControl {
    LiveControl(std::string className, std::string caption, TControlLook look)
        : TOpaqueControl(std::move(className), "Live1", ""), caption_(std::move(caption)),
          look_(std::move(look)) {}
    std::string Caption() const override { return caption_; }
    TControlLook Look() const override { return look_; }
    std::string caption_;
    TControlLook look_;
};

TEST(StoredControl, ALiveControlIsWrittenAsItsPublishedProperties) {
    TControlLook buttonLook;
    buttonLook.Kind = TControlKind::ckButton;
    LiveControl button("TButton", "Go", buttonLook);
    button.SetBounds(-3, 300, 120, 70000);
    const std::string bytes = WriteControlComponent(button);
    EXPECT_EQ(bytes, "TPF0" + Str("TButton") + Str("Live1") + Str("Left") + "\x02\xfd" +
                         Str("Top") + std::string("\x03\x2c\x01", 3) + Str("Width") + "\x02\x78" +
                         Str("Height") + std::string("\x04\x70\x11\x01\x00", 5) + Str("Caption") +
                         "\x06" + Str("Go") + std::string(2, '\0'));
    // Read back as a stored control it keeps its size (clamped to a window's) and caption.
    TOpaqueControl stored("TButton", "Live1", bytes);
    EXPECT_EQ(stored.BoundsRect(), Bounds(-3, 300, 120, 32767));
    EXPECT_EQ(stored.Caption(), "Go");

    TControlLook memoLook;
    memoLook.Kind = TControlKind::ckMemo;
    memoLook.Text = u"one\n\u0434\u0432\u0430";
    LiveControl memo("TMemo", "ignored", memoLook);
    memo.SetBounds(0, 0, 50, 40);
    TOpaqueControl back("TMemo", "Live1", WriteControlComponent(memo));
    EXPECT_EQ(back.Look().Text, memoLook.Text);
    EXPECT_EQ(back.Caption(), "");
    EXPECT_EQ(back.BoundsRect(), Bounds(0, 0, 50, 40));
}

TEST(StoredControl, EightBitStringsAreInTheSystemsAnsiCodePage) {
    // Quotes and the euro sign: bytes the ANSI page has as letters and Latin-1 as controls.
    const std::string ansi = "\x80\x93q\x94";
    const std::string utf8 = "\xe2\x82\xac\xe2\x80\x9cq\xe2\x80\x9d";
    const std::string stream = "TPF0" + Str("TButton") + Str("b") + Str("Caption") + "\x06" +
                               Str(ansi) + std::string(2, '\0');
    TOpaqueControl stored("TButton", "b", stream);
    EXPECT_EQ(stored.Caption(), utf8);
    EXPECT_EQ(stored.Look().Text, u"\u20ac\u201cq\u201d");
    const std::string edit = "TPF0" + Str("TEdit") + Str("e") + Str("Text") + "\x0c" +
                             std::string("\x04\x00\x00\x00", 4) + ansi + std::string(2, '\0');
    EXPECT_EQ(TOpaqueControl("TEdit", "e", edit).Look().Text, u"\u20ac\u201cq\u201d");

    // Written back, the caption is the same bytes; a caption the page cannot hold stays wide.
    TControlLook buttonLook;
    buttonLook.Kind = TControlKind::ckButton;
    LiveControl button("TButton", utf8, buttonLook);
    const std::string bytes = WriteControlComponent(button);
    EXPECT_NE(bytes.find(Str("Caption") + "\x06" + Str(ansi)), std::string::npos);
    EXPECT_EQ(TOpaqueControl("TButton", "Live1", bytes).Caption(), utf8);
    LiveControl wide("TButton", "\xe2\x82\xac\xd0\xb4", buttonLook);
    const std::string wideBytes = WriteControlComponent(wide);
    EXPECT_NE(wideBytes.find(Str("Caption") + "\x12" +
                             std::string("\x02\x00\x00\x00\xac\x20\x34\x04", 8)),
              std::string::npos);
}

} // namespace
