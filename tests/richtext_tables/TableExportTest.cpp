#include "tests/richtext_view/ViewFixture.h"

#include "TableFixture.h"
#include "platform/base/Stream.h"
#include "richtext/model/RNRTFProps.h"

#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

constexpr double Tpp = 15.0;

// A table in a formatted document, written as RTF with the document's tables.
struct RTFTable {
    Viewer V{600};
    std::unique_ptr<TRNTableItemInfo> T;
    TRNColorList Colors;
    TRNIntegerList StyleToFont, Fonts;
    RTFTable(int rows, int cols) : T(std::make_unique<TRNTableItemInfo>(rows, cols, &V.D())) {
        for (int i = 0; i < V.Style.TextStyles().Count(); ++i) {
            StyleToFont.Add(0);
        }
        Fonts.Add(0);
    }
    std::string Write(int level) {
        V.D().MakeRTFColorTable(Colors, true);
        T->FillRTFColorTable(Colors);
        TMemoryStream out;
        T->SaveRTF(out, V.D(), 0, "", Tpp, level, Colors, &StyleToFont, &Fonts);
        return out.Bytes();
    }
    std::string Cell(int r, int c, int level) {
        TMemoryStream out;
        T->Cells(r, c)->SaveRTFToStream(out, false, level, clNone, nullptr, &Colors, &StyleToFont,
                                        &Fonts, Tpp);
        return out.Bytes();
    }
};

TEST(TableRTF, A2x2TableWritesTwoRowGroupsFromItsLayout) {
    RTFTable x(2, 2);
    const std::string rtf = x.Write(0);
    ASSERT_EQ(x.T->FormattingInfo.ColStarts.Count(), 2); // laid out for the export
    const auto& info = x.T->FormattingInfo;
    const std::string shading = "\\clcbpat" + std::to_string(x.Colors.IndexOf(clWindow));
    std::string expected;
    for (int r = 0; r < 2; ++r) {
        expected += "{\\trowd\\trgaph15\\trleft0\\itap1"
                    "\\trpaddl15\\trpaddt15\\trpaddr15\\trpaddb15"
                    "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3"
                    "\\trspdl30\\trspdr30\\trspdfl3\\trspdfr3"
                    "\\trspdt15\\trspdb15\\trspdft3\\trspdfb3\\trftsWidth1";
        for (int c = 0; c < 2; ++c) {
            const double right = (info.ColStarts[c] + info.ColWidths[c]) * Tpp + 15;
            expected += "\\clftsWidth1" + shading + "\\cellx" +
                        std::to_string(static_cast<int>(std::lround(right)));
        }
        expected += "\\pard\\intbl\\itap1{";
        for (int c = 0; c < 2; ++c) {
            expected += "{" + x.Cell(r, c, 1) + "\\cell}";
        }
        expected += "}\\pard\\intbl\\itap1\\row}";
    }
    EXPECT_EQ(rtf, expected);
    EXPECT_TRUE(x.V.D().LastContentClosedPara);
}

TEST(TableRTF, RowAndCellWordsFollowTheTable) {
    const std::string raisedSides = "\\trbrdrl\\brdroutset\\brdrw15\\trbrdrt\\brdroutset\\brdrw15"
                                    "\\trbrdrr\\brdroutset\\brdrw15\\trbrdrb\\brdroutset\\brdrw15";
    struct Case {
        const char* What;
        int Rows, Cols, Level;
        std::function<void(RTFTable&)> Setup;
        std::vector<std::string> Present, Absent;
    } cases[] = {
        {"half a spacing of 3 rounds to even",
         1,
         1,
         0,
         [](RTFTable& x) { x.T->CellHSpacing = 3; },
         {"\\trgaph22", "\\trspdl45\\trspdr45"},
         {}},
        {"half a spacing of 1 rounds to even",
         1,
         1,
         0,
         [](RTFTable& x) { x.T->CellHSpacing = 1; },
         {"\\trgaph8"},
         {}},
        {"a table inside a cell",
         2,
         1,
         1,
         nullptr,
         {"{\\*\\nesttableprops\\trowd", "\\itap2\\trpadd", "\\pard\\intbl\\itap2{{",
          "\\nestcell}}\\pard\\intbl\\itap2\\nestrow}{\\*\\nesttableprops\\trowd"},
         {"{nest", "\\itap1", "\\cell}", "\\row}"}},
        {"a merged 2 x 2 area",
         3,
         3,
         0,
         [](RTFTable& x) { x.T->Rows.MergeCells(0, 0, 2, 2, true); },
         {"\\clvmgf\\clmgf\\clftsWidth1\\clcbpat", "\\cellx", "\\clmrg\\clvmgf\\clcbpat",
          "\\clvmrg\\clmgf\\clcbpat", "\\clvmrg\\clmrg\\clcbpat"},
         {}},
        {"pixel cell widths are left out",
         1,
         1,
         0,
         [](RTFTable& x) { x.T->Cells(0, 0)->BestWidth = 120; },
         {"\\trftsWidth1\\clcbpat"},
         {"\\clwWidth", "\\clftsWidth"}},
        {"pixel cell widths with their option",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->Cells(0, 0)->BestWidth = 120;
             x.T->Options.Include(TRNTableOption::rntoRTFSaveCellPixelBestWidth);
         },
         {"\\clwWidth1800\\clftsWidth3"},
         {}},
        {"percent widths",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->Cells(0, 0)->BestWidth = -30;
             x.T->BestWidth = -50;
         },
         {"\\trwWidth2500\\trftsWidth2", "\\clwWidth1500\\clftsWidth2"},
         {}},
        {"a pixel table width",
         1,
         1,
         0,
         [](RTFTable& x) { x.T->BestWidth = 200; },
         {"\\trwWidth3000\\trftsWidth3"},
         {}},
        {"no border of width 0", 1, 1, 0, nullptr, {}, {"brdr"}},
        {"a raised border of width 1",
         1,
         1,
         0,
         [](RTFTable& x) { x.T->BorderWidth = 1; },
         {"\\trftsWidth1" + raisedSides + "\\clftsWidth1"},
         {}},
        {"colour borders by side",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->BorderWidth = 1;
             x.T->BorderStyle = TRNTableBorderStyle::rntbRaisedColor;
             x.T->BorderColor = clRed;
             x.T->BorderLightColor = clYellow;
         },
         {"\\trbrdrl\\brdrs\\brdrw15\\brdrcf7\\trbrdrt\\brdrs\\brdrw15\\brdrcf7"
          "\\trbrdrr\\brdrs\\brdrw15\\brdrcf6\\trbrdrb\\brdrs\\brdrw15\\brdrcf6"},
         {}},
        {"hidden cell sides",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->CellBorderWidth = 2;
             x.T->Cells(0, 0)->VisibleBorders.Top = false;
         },
         {"\\clftsWidth1\\clbrdrl\\brdrinset\\brdrw30\\clbrdrr\\brdrinset\\brdrw30"
          "\\clbrdrb\\brdrinset\\brdrw30\\clcbpat"},
         {"\\clbrdrt"}},
        {"a row height and a centred row",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->Cells(0, 0)->BestHeight = 10;
             x.V.Para(0).Alignment = TRNAlignment::rnaCenter;
         },
         {"{\\trowd\\trqc\\trgaph15", "\\itap1\\trrh150\\trpaddl"},
         {}},
        {"a cell colour",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->Color = clNone;
             x.T->Cells(0, 0)->Color = clRed;
         },
         {"\\clcbpat6\\cellx"},
         {}},
        {"a document background missing from the colours",
         1,
         1,
         0,
         [](RTFTable& x) {
             x.T->Color = clNone;
             x.V.Host.Color = RGB(1, 2, 3);
         },
         {"\\clftsWidth1\\cellx"},
         {"\\clcbpat"}},
    };
    for (const Case& c : cases) {
        RTFTable x(c.Rows, c.Cols);
        if (c.Setup) {
            c.Setup(x);
        }
        const std::string rtf = x.Write(c.Level);
        for (const std::string& word : c.Present) {
            EXPECT_NE(rtf.find(word), std::string::npos) << c.What << ": " << word;
        }
        for (const std::string& word : c.Absent) {
            EXPECT_EQ(rtf.find(word), std::string::npos) << c.What << ": " << word;
        }
    }
}

// A table laid out on the screen wider than the text width of a page (8640 twips) is written at
// that width, and a table in one of its cells at the width of that cell.
TEST(TableRTF, AWideTableIsWrittenAtThePageWidthAndATableInItsCellAtTheCellsWidth) {
    RTFTable x(1, 2);
    TRNTableCellData& cell = *x.T->Cells(0, 0);
    auto owned = std::make_unique<TRNTableItemInfo>(1, 2, &cell);
    TRNTableItemInfo& inner = *owned;
    cell.Clear();
    cell.AddItem("", std::move(owned));
    x.T->OnDocWidthChange(1500, nullptr, false);
    inner.OnDocWidthChange(x.T->FormattingInfo.ColWidths[0], nullptr, false);
    const int outerWidth = x.T->FormattingInfo.Width;
    ASSERT_GT(inner.FormattingInfo.Width * Tpp, 8640);
    std::vector<int> edges;
    const std::string rtf = x.Write(0);
    for (size_t at = rtf.find("\\cellx"); at != std::string::npos;
         at = rtf.find("\\cellx", at + 1)) {
        edges.push_back(std::atoi(rtf.c_str() + at + 6));
    }
    // The table's two edges, then those of the table in its first cell.
    ASSERT_EQ(edges.size(), 4u) << rtf;
    EXPECT_LE(edges[1], 8640);
    EXPECT_GT(edges[1], 8640 * 9 / 10);
    EXPECT_LE(edges[3], edges[0]);
    EXPECT_GT(edges[3], edges[0] * 8 / 10);
    EXPECT_EQ(x.T->FormattingInfo.Width, outerWidth);
}

TEST(TableHTML, TablesAndCellsWriteTheirAttributes) {
    const std::string cellEnd = "\r\n&nbsp;\r\n    </TD>\r\n  </TR>\r\n</TABLE>\r\n";
    struct Case {
        const char* What;
        int Cols;
        bool CSS;
        std::function<void(TRNTableItemInfo&)> Setup;
        std::string Expected;
    } cases[] = {
        {"defaults left out, the window colour resolved", 1, false, nullptr,
         "<TABLE bgcolor=#FFFFFF cellpadding=1 cellspacing=2>\r\n  <TR>\r\n    <TD valign=top>" +
             cellEnd},
        {"every attribute", 2, false,
         [](TRNTableItemInfo& t) {
             t.Rows.MergeCells(0, 0, 2, 1, true);
             t.BestWidth = -50;
             t.Color = clNone;
             t.BorderWidth = 2;
             t.BorderStyle = TRNTableBorderStyle::rntbColor;
             t.BorderColor = clRed;
             t.CellVSpacing = 3;
             t.CellHSpacing = 4;
             t.Cells(0, 0)->BestWidth = 120;
             t.Cells(0, 0)->BestHeight = 40;
             t.Cells(0, 0)->Color = clYellow;
         },
         "<TABLE width=50% border=2 cellpadding=1 bordercolor=#FF0000 cellspacing=3>\r\n"
         "  <TR>\r\n    <TD colspan=2 width=120 height=40 bgcolor=#FFFF00 valign=top>" +
             cellEnd},
        {"outset cells with hidden sides in an inset table", 1, true,
         [](TRNTableItemInfo& t) {
             t.BorderStyle = TRNTableBorderStyle::rntbLowered;
             t.CellBorderStyle = TRNTableBorderStyle::rntbRaised;
             t.Cells(0, 0)->VisibleBorders.Top = false;
             t.Cells(0, 0)->VisibleBorders.Left = false;
         },
         "<TABLE bgcolor=#FFFFFF cellpadding=1 cellspacing=2 style='border-style: inset'>\r\n"
         "  <TR>\r\n    <TD style='border-style: outset; border-top: none; border-left: none; '"
         " valign=top>" +
             cellEnd},
        {"cell widths and colours beside a coloured table", 1, true,
         [](TRNTableItemInfo& t) {
             t.BorderWidth = 2;
             t.BorderStyle = TRNTableBorderStyle::rntbRaisedColor;
             t.BorderColor = clBlue;
             t.BorderLightColor = clAqua;
             t.CellBorderWidth = 3;
             t.CellBorderStyle = TRNTableBorderStyle::rntbLoweredColor;
             t.CellBorderColor = clRed;
             t.CellBorderLightColor = clYellow;
         },
         "<TABLE bgcolor=#FFFFFF border=2 cellpadding=1 bordercolordark=#0000FF "
         "bordercolorlight=#00FFFF cellspacing=2>\r\n  <TR>\r\n    <TD style='border-width : 3px; "
         "border-color : #FF0000 #FFFF00 #FFFF00 #FF0000; border-style: solid; ' valign=top>" +
             cellEnd},
        {"the same without CSS", 1, false,
         [](TRNTableItemInfo& t) {
             t.BorderStyle = TRNTableBorderStyle::rntbLoweredColor;
             t.CellBorderStyle = TRNTableBorderStyle::rntbRaised;
             t.Cells(0, 0)->VisibleBorders.Top = false;
         },
         "<TABLE bgcolor=#FFFFFF cellpadding=1 bordercolordark=#000000 bordercolorlight=#FFFFFF "
         "cellspacing=2>\r\n  <TR>\r\n    <TD valign=top>" +
             cellEnd},
    };
    for (const Case& c : cases) {
        TableDoc d;
        auto t = d.Make(1, c.Cols);
        if (c.Setup) {
            c.Setup(*t);
        }
        TMemoryStream out;
        TRNList<TRNHTMLBulletInfo> bullets;
        int imageNo = 0;
        t->SaveToHTML(out, d.Doc, 0, "", "", "", imageNo, clNone, false, c.CSS, bullets);
        EXPECT_EQ(out.Bytes(), c.Expected) << c.What;
    }
}

TEST(TableHTML, ACellWithTextWritesItsDocumentInsteadOfASpace) {
    TableDoc d;
    auto t = d.Make(1, 2);
    SetTextOf(*t->Cells(0, 1), "hello");
    for (bool css : {false, true}) {
        TMemoryStream out;
        TRNList<TRNHTMLBulletInfo> bullets;
        int imageNo = 0;
        t->SaveToHTML(out, d.Doc, 0, "", "", "", imageNo, clNone, false, css, bullets);
        const std::string html = out.Bytes();
        const size_t second = html.find("<TD", html.find("<TD") + 1);
        EXPECT_LT(html.find("&nbsp;"), second) << css;
        EXPECT_NE(html.find("hello", second), std::string::npos) << css;
        EXPECT_EQ(html.find("&nbsp;", second), std::string::npos) << css;
    }
}

std::string Utf16(std::string_view ascii) {
    std::string out;
    for (char ch : ascii) {
        out += ch;
        out += '\0';
    }
    return out;
}

TEST(TableText, CellsAreJoinedByTheSeparatorsAlsoAfterCoveredSlots) {
    struct Case {
        const char* What;
        bool Merge;
        const char* RowSeparator;
        const char* ColSeparator;
        std::string Expected;
    } cases[] = {
        {"default separators", false, "\r\n", "\r\n", "c1\r\nc2\r\nc3\r\nc4\r\nc5\r\nc6\r\n"},
        {"a merged pair", true, "#", "|", "c1||c3#c4|c5|c6#"},
    };
    for (const Case& c : cases) {
        for (bool unicode : {false, true}) {
            TableDoc d;
            auto t = d.Make(2, 3);
            if (c.Merge) {
                t->Rows.MergeCells(0, 0, 2, 1, true);
            }
            for (int i = 0; i < 6; ++i) {
                if (TRNTableCellData* cell = t->Cells(i / 3, i % 3)) {
                    SetTextOf(*cell, "c" + std::to_string(i + 1));
                }
            }
            t->TextRowSeparator = c.RowSeparator;
            t->TextColSeparator = c.ColSeparator;
            EXPECT_EQ(t->AsText(80, d.Doc, "", "", false, unicode),
                      unicode ? Utf16(c.Expected) : c.Expected)
                << c.What << unicode;
        }
    }
}

TEST(TableText, ADocumentWritesItsTableInItsOwnEncodingAlsoAsTextOnly) {
    for (bool unicode : {false, true}) {
        TableDoc d;
        d.Doc.AddNL("before", 0, 0);
        auto t = d.Make(1, 2);
        SetTextOf(*t->Cells(0, 0), "x");
        SetTextOf(*t->Cells(0, 1), "y");
        d.Doc.AddItem("", std::move(t));
        d.Doc.AddNL("after", 0, 0);
        TMemoryStream out;
        ASSERT_TRUE(d.Doc.SaveTextToStream("", out, 80, false, true, unicode));
        const std::string expected = "before\r\nx\r\ny\r\n\r\nafter";
        EXPECT_EQ(out.Bytes(), unicode ? Utf16(expected) : expected) << unicode;
    }
}

TABLE_OPTIONS_SUITE(TableRTFRoundTrip);

// A note whose table has two cells merged, written as RTF and read again: the merged cell's two
// paragraphs come back in their order, inside the one cell the RTF gives them.
TEST_P(TableRTFRoundTrip, AMergedCellKeepsBothTextsThroughRTF) {
    Viewer v(600);
    UseTableOptions(GetParam(), v.Host, v.Style);
    v.D().AddNL("before", 0, 0);
    auto owned = std::make_unique<TRNTableItemInfo>(2, 2, &v.D());
    TRNTableItemInfo& t = *owned;
    v.D().AddItem("", std::move(owned));
    SetTextOf(*t.Cells(0, 0), "x");
    SetTextOf(*t.Cells(0, 1), "y");
    SetTextOf(*t.Cells(1, 0), "p");
    SetTextOf(*t.Cells(1, 1), "q");
    t.Rows.MergeCells(0, 0, 2, 1, true);
    v.D().AddNL("after", 0, 0);
    v.Format();
    TMemoryStream rtf;
    ASSERT_TRUE(
        v.D().SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, Tpp));
    const std::string bytes = rtf.Bytes();
    EXPECT_NE(bytes.find("\\clmgf"), std::string::npos) << bytes;

    TableDoc back(GetParam());
    TRNRTFReaderProperties reader;
    if (GetParam() == TableOptions::NotesEditor) {
        SetUpNotesRTFReader(reader);
    }
    back.Doc.RTFProperties = &reader;
    rtf.SetPosition(0);
    ASSERT_EQ(back.Doc.LoadRTFFromStream(rtf), TRNRTFErrorCode::rtf_ec_OK);
    std::string text;
    for (int i = 0; i < back.Doc.ItemCount(); ++i) {
        text += back.Doc.GetItemText(i) + "|";
    }
    // The merged cell's two paragraphs, the empty slot the merge covers, the second row.
    EXPECT_EQ(text, "before|x|y||p|q|after|") << bytes;
}

} // namespace
