#include "richtext/model/RNFuncs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

TEST(RNFuncs, TabsBecomeSpacesInBothForms) {
    EXPECT_EQ(RN_ReplaceTabsA("a\tb\t", 2), "a  b  ");
    EXPECT_EQ(RN_ReplaceTabsA("\t", 0), "");
    EXPECT_EQ(RN_ReplaceTabsW(RNU_U16ToBytes(u"a\tb"), 3), RNU_U16ToBytes(u"a   b"));
    // A 0x09 byte that is half of another character is no tab.
    EXPECT_EQ(RN_ReplaceTabsW(RNU_U16ToBytes(u"\u0909"), 3), RNU_U16ToBytes(u"\u0909"));
}

TEST(RNFuncs, HtmlColoursAndRectangles) {
    EXPECT_EQ(RN_GetHTMLRGBStr(clRed), "#FF0000");
    EXPECT_EQ(RN_GetHTMLRGBStr(TColor(0x804020)), "#204080");
    EXPECT_EQ(RN_GetHTMLRGBStr(clNone), "");
    EXPECT_EQ(RN_GetHTMLRGBStr(clWindow), "#FFFFFF");
    struct Case {
        int x, y;
        bool inside;
    } cases[] = {{10, 20, true}, {19, 29, true}, {20, 25, false}, {15, 30, false}, {9, 25, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(RN_PointInRect(c.x, c.y, 10, 20, 10, 10), c.inside) << c.x << "," << c.y;
    }
}

TEST(RNFuncs, PicturesScaleFromScreenToDevice) {
    TFakeCanvas printer({2000, 2000}, 300);
    TRNScreenAndDevice sad;
    sad.LeftMargin = 7;
    RN_InfoAboutSaD(sad, printer);
    EXPECT_EQ(sad.ppixScreen, 96);
    EXPECT_EQ(sad.ppiyDevice, 300);
    EXPECT_EQ(sad.LeftMargin, 7);

    TBitmap bitmap(96, 48);
    TMetafile metafile;
    RN_PictureToDevice(printer, 5, 6, sad, bitmap, false);
    RN_PictureToDevice(printer, 0, 0, sad, metafile, false); // only bitmaps without stretching
    auto draws = printer.CallsOf("DrawImage");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Rect, Bounds(5, 6, 300, 150));
}

TEST(RNFuncs, SearchOptionsTakeCaseAndDirectionOnly) {
    TFindOptions options{TFindOption::frMatchCase, TFindOption::frWholeWord};
    EXPECT_EQ(GetRNSearchOptions(options), TRNSearchOptions{TRNSearchOption::rnsroMatchCase});
}
