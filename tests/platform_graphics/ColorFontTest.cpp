#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

TEST(Color, SystemColoursComeFromTheFixedClassicScheme) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clHighlight), 0x800000u); // navy: blue in the high byte
    EXPECT_EQ(ColorToRGB(clInfoBk), static_cast<uint32_t>(RGB(255, 255, 225)));
    EXPECT_EQ(ColorToRGB(clRed), 0xFFu);
    EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0u);
}

TEST(Color, IdentifiersBothWays) {
    EXPECT_EQ(ColorToIdent(clRed), "clRed");
    EXPECT_EQ(ColorToIdent(clInfoBk), "clInfoBk");
    EXPECT_EQ(ColorToIdent(clNone), "clNone");
    EXPECT_EQ(ColorToIdent(0x123456), std::nullopt);
    EXPECT_EQ(IdentToColor("clinfobk"), clInfoBk);
    EXPECT_EQ(IdentToColor("CL3DDKSHADOW"), cl3DDkShadow);
    EXPECT_EQ(IdentToColor("clUnknown"), std::nullopt);
    for (int i = 0; i <= 24; ++i) {
        auto ident = ColorToIdent(SystemColor(i));
        ASSERT_TRUE(ident) << i;
        EXPECT_EQ(IdentToColor(*ident), SystemColor(i));
    }
}

TEST(Font, SizeHeightAssignAndNotification) {
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Color(), clWindowText);
    int changes = 0;
    font.OnChange = [&] { ++changes; };
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.SetSize(10);
    font.SetStyle({TFontStyle::fsBold, TFontStyle::fsUnderline});
    EXPECT_EQ(changes, 2);
    // Copies keep the point size across resolutions, not the pixel height.
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(font);
    EXPECT_EQ(printer.Size(), 10);
    EXPECT_EQ(printer.Height(), -83);
    EXPECT_TRUE(printer.Style().Contains(TFontStyle::fsBold));
    EXPECT_FALSE(printer.OnChange);
    EXPECT_EQ(CharsetToCodePage(RUSSIAN_CHARSET), 1251u);
    EXPECT_EQ(CharsetToCodePage(DEFAULT_CHARSET), 1252u);
}
