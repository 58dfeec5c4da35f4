// The style sheet as CSS and documents as HTML pages in both dialects.
#include "tests/support/TempDir.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

namespace {

using O = TRNSaveOption;

// A document whose hypertext items all lead to one address.
class TLinkedData : public TRNPlainRootData {
public:
    std::string URL;
    std::string GetURL(int) override { return URL; }
};

struct Page {
    TRNStyle sheet;
    TLinkedData data;
    int imageNo = 0;
    Page() { data.Style = &sheet; }
    std::string Font(TRNSaveOptions options = {}, const std::string& path = "") {
        TMemoryStream stream;
        EXPECT_TRUE(data.SaveHTMLToStream(stream, path, "T", "img", options, clNone, imageNo, 1, 2,
                                          3, 4, nullptr, nullptr));
        return stream.Bytes();
    }
    std::string Css(TRNSaveOptions options = {}) {
        TMemoryStream stream;
        TColor current = clNone;
        EXPECT_TRUE(data.SaveHTMLToStreamEx(stream, "", "T", "img", "", "", "cp", options, clWhite,
                                            current, imageNo, 1, 2, 3, 4, nullptr, nullptr));
        return stream.Bytes();
    }
};

TEST(RNStyleCSS, DefaultSheetGolden) {
    TRNStyle sheet;
    TMemoryStream stream;
    sheet.SaveCSSToStream(stream, {});
    auto text = [](const char* selector, const char* weightStyle, const char* color,
                   const char* back, const char* decoration) {
        return std::string(selector) +
               "\r\n{\r\n  font-size: 10pt;\r\n  font-family: \"Arial\";\r\n" + weightStyle +
               "  color: " + color + ";\r\n" + back + "  text-decoration: " + decoration +
               ";\r\n}\r\n";
    };
    const char* plain = "  font-style: normal;\r\n  font-weight: normal;\r\n";
    const char* bold = "  font-style: normal;\r\n  font-weight: bold;\r\n";
    const char* italic = "  font-style: italic;\r\n  font-weight: normal;\r\n";
    const char* transparent = "  background-color: transparent;\r\n";
    std::string expected =
        "/*----------Text Styles----------*/\r\nHR { color: #000000}\r\n" +
        text("BODY, TABLE /* Normal text */", plain, "#000000", "", "none") +
        text("SPAN.RNTS1 /* Heading */", bold, "#0000FF", transparent, "none") +
        text("SPAN.RNTS2 /* Subheading */", bold, "#000080", transparent, "none") +
        text("SPAN.RNTS3 /* Keywords */", italic, "#800000", transparent, "none") +
        text("A.RNTS4, SPAN.RNTS4 /* Jump 1 */", plain, "#008000", transparent, "underline") +
        text("A.RNTS5, SPAN.RNTS5 /* Jump 2 */", plain, "#008000", transparent, "underline") +
        "/*----------Para Styles----------*/\r\n"
        "P /* Paragraph Style */\r\n{\r\n  text-align: left;\r\n  text-indent: 0px;\r\n"
        "  padding: 0px 0px 0px 0px;\r\n  margin: 0px 0px 0px 0px;\r\n}\r\n"
        "P.RNPS1  /* Centered */\r\n{\r\n  text-align: center;\r\n  text-indent: 0px;\r\n"
        "  padding: 0px 0px 0px 0px;\r\n  margin: 0px 0px 0px 0px;\r\n}\r\n";
    EXPECT_EQ(stream.Bytes(), expected);
}

TEST(RNStyleCSS, BordersOptionsAndEscaping) {
    TRNStyle sheet;
    TParaInfo& p = sheet.ParaStyles()[0];
    p.LeftIndent = 10;
    p.Border.Style = TRNBorderStyle::rnbSingle;
    p.Border.BorderOffsets = {2, 2, 2, 2};
    p.Border.VisibleBorders.Top = false;
    p.Background.Color = clRed;
    p.Background.BorderOffsets = {4, 4, 4, 4};
    TFontInfo& link = sheet.TextStyles()[4];
    link.Style = {TFontStyle::fsStrikeOut};
    link.StyleName = "x*/y";
    link.FontName = "Fo\"o";
    TFontInfo& based = sheet.TextStyles()[2];
    based.BaseStyleNo = 1;
    based.Color = clBlue;
    TMemoryStream stream;
    sheet.SaveCSSToStream(stream, {TRNSaveCSSOption::rncssOnlyDifference,
                                   TRNSaveCSSOption::rncssIgnoreLeftAlignment});
    const std::string& css = stream.Bytes();
    EXPECT_NE(css.find("P /* Paragraph Style */\r\n{\r\n  text-indent: 0px;\r\n"
                       "  border-color: #000000;\r\n  border-style: solid;\r\n"
                       "  border-width: 1px;\r\n  border-top: none;\r\n  background: #FF0000;\r\n"
                       "  padding: 4px 4px 4px 4px;\r\n  margin: -4px -4px -4px 6px;\r\n}"),
              std::string::npos);
    EXPECT_NE(css.find("A.RNTS4, SPAN.RNTS4 /* x* /y */"), std::string::npos);
    EXPECT_NE(css.find("  font-family: \"Fo\\\"o\";\r\n"), std::string::npos);
    EXPECT_NE(css.find("  text-decoration: line-through;\r\n"), std::string::npos);
    EXPECT_NE(css.find("SPAN.RNTS2 /* Subheading */\r\n{\r\n}\r\n"), std::string::npos);
}

TEST(RNHTML, FontDialectGolden) {
    Page page;
    page.data.AddNL("Title", 1, 1);
    page.data.AddNL("a   &b", 0, 0);
    page.data.AddNL("", 0, 0);
    page.data.AddNamedCheckpointEx("", false);
    page.data.AddNL("x", 0, 0);
    page.data.AddBreak();
    EXPECT_EQ(page.Font(), "<HTML><HEAD><TITLE>T</TITLE>\r\n</HEAD>\r\n<BODY\r\n"
                           "      leftmargin=1 topmargin=2 rightmargin=3 bottommargin=4>\r\n"
                           "<FONT size=2 color=#000000 face=\"Arial\">\r\n"
                           "<DIV align=center>\r\n<FONT color=#0000FF><B>Title</B></FONT>"
                           "</DIV>\r\n<DIV>\r\na&nbsp&nbsp &ampb"
                           "</DIV>\r\n<DIV>\r\n&nbsp;"
                           "</DIV>\r\n<DIV>\r\n\r\n<A name=RichNoteCheckpoint0></A>\r\nx"
                           "</DIV>\r\n<HR noshade size=1>\r\n</FONT>\r\n</BODY></HTML>\r\n");
}

TEST(RNHTML, CssDialectSharesSpansAndPartsAreSelectable) {
    Page page;
    page.data.AddNL("k1", 3, 0);
    page.data.AddNL("k2", 3, -1);
    page.data.AddNL("n", 0, -1);
    page.data.AddNL("c", 0, 1);
    std::string body = "\r\n<P><SPAN class=RNTS3>k1k2</SPAN>n</P>\r\n<P class=RNPS1>c</P>";
    EXPECT_EQ(page.Css({O::rnsoMiddleOnly}), body);
    std::string whole = page.Css();
    EXPECT_EQ(whole.rfind(body + "\r\n</BODY></HTML>\r\n"), whole.size() - body.size() - 18);
    std::string head = page.Css({O::rnsoFirstOnly});
    EXPECT_EQ(head.rfind("</HEAD>\r\n<BODY>"), head.size() - 15);
    EXPECT_NE(
        head.find("BODY {\r\n  margin: 2px 3px 4px 1px;\r\n  background-color: #FFFFFF;\r\n}"),
        std::string::npos);
    EXPECT_EQ(page.Css({O::rnsoLastOnly}), "\r\n</BODY></HTML>\r\n");
    EXPECT_EQ(page.Font({O::rnsoLastOnly}), "</BODY></HTML>\r\n");

    TRNPlainRootData bare;
    TMemoryStream stream;
    int no = 0;
    TColor current = clNone;
    EXPECT_FALSE(
        bare.SaveHTMLToStream(stream, "", "", "", {}, clNone, no, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(bare.SaveHTMLToStreamEx(stream, "", "", "", "", "", "", {}, clNone, current, no, 0,
                                         0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(stream.Size(), 0);
}

TEST(RNHTML, FontSizesByPoints) {
    struct Case {
        int points, size;
    } cases[] = {{8, 1},  {9, 2},  {10, 2}, {11, 3}, {12, 3}, {13, 4},
                 {14, 4}, {15, 5}, {18, 5}, {19, 6}, {24, 6}, {25, 7}};
    for (const Case& c : cases) {
        Page page;
        page.sheet.TextStyles()[0].Size = c.points;
        std::string body = page.Font({O::rnsoMiddleOnly});
        EXPECT_EQ(body.substr(0, 13), "<FONT size=" + std::to_string(c.size) + " ") << c.points;
    }
}

TEST(RNHTML, EscapesTitlesLinksAndText) {
    EXPECT_EQ(RN_MakeHTMLStr("<a>&  b", false), "&lta&gt&amp&nbsp b");
    EXPECT_EQ(RN_MakeHTMLStr("", true), "&nbsp;");
    EXPECT_EQ(RN_CharSet2HTMLLang(204), "Windows-1251");
    EXPECT_EQ(RN_CharSet2HTMLLang(0), "");
    Page page;
    page.data.URL = "a\"b&c";
    page.data.AddNL("go", 4, 0);
    page.sheet.TextStyles()[0].Charset = RUSSIAN_CHARSET;
    page.sheet.TextStyles()[0].Unicode = true;
    page.data.AddNLWTag(u"\U0001F600", 0, 0, {});
    TMemoryStream stream;
    page.data.SaveHTMLToStream(stream, "", "<a&b>", "", {}, clNone, page.imageNo, 0, 0, 0, 0,
                               nullptr, nullptr);
    const std::string& html = stream.Bytes();
    EXPECT_NE(html.find("<TITLE>&lt;a&amp;b&gt;</TITLE>\r\n<META HTTP-EQUIV=\"Content-Type\"  "
                        "CONTENT=\"text/html; CHARSET=Windows-1251\">"),
              std::string::npos);
    EXPECT_NE(html.find("<A href=\"a&quot;b&amp;c\"><FONT color=#008000><U>go</U></FONT></A>"),
              std::string::npos);
    std::string css = page.Css({O::rnsoMiddleOnly});
    EXPECT_NE(css.find("<A class=RNTS4 href=\"a&quot;b&amp;c\">go</A>"), std::string::npos);
    EXPECT_NE(css.find("&#128512;"), std::string::npos);
}

TEST(RNHTML, PicturesGetFreeFileNames) {
    TempDir dir;
    WriteFileBytes(dir / "img1.jpg", "taken");
    Page page;
    auto picture = [] { return std::make_unique<TBitmap>(3, 2); };
    page.data.AddPictureEx("", picture(), 0, TRNVAlign::rnvaBaseline);
    page.data.AddPictureEx("", picture(), -1, TRNVAlign::rnvaMiddle);
    std::string html = page.Font({O::rnsoMiddleOnly}, dir.Str() + "/");
    EXPECT_NE(html.find("<IMG align=baseline src=\"img2.jpg\"><IMG align=middle src=\"img3.jpg\">"),
              std::string::npos);
    EXPECT_EQ(page.imageNo, 3);
    EXPECT_EQ(ReadFileBytes(dir / "img1.jpg"), "taken");
    EXPECT_EQ(ReadFileBytes(dir / "img2.jpg").substr(0, 2), "\xff\xd8");

    // Equal bullets share one file; another image gets its own.
    TImageList list(4, 4);
    QImage images(8, 4, QImage::Format_RGB32);
    images.fill(qRgb(0, 128, 0));
    list.AddImage(images);
    Page bullets;
    bullets.data.AddBulletEx("", 0, &list, 0);
    bullets.data.AddBulletEx("", 0, &list, -1);
    bullets.data.AddHotspotEx("", 1, 0, &list, -1);
    TempDir other;
    html = bullets.Font({O::rnsoMiddleOnly}, other.Str() + "/");
    EXPECT_NE(html.find("<IMG src=\"img1.jpg\"><IMG src=\"img1.jpg\"><IMG src=\"img2.jpg\">"),
              std::string::npos);
}

} // namespace
