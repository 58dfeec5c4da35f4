#include "tests/richtext_view/PrintFixture.h"
#include "tests/support/PdfPages.h"
#include "tests/support/RunText.h"
#include "tests/support/TempDir.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNError.h"
#include "richtext/view/CtrlImg.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QPushButton>

#include <cstdio>
#include <utility>

namespace {

using Step = TRNPrintingStep;
using Event = std::pair<int, Step>;

// Text area of the fake printer with 20 mm margins: 3000 - 2 x 472 by 2000 - 2 x 472 px.
constexpr int AreaHeight = 1056;

std::vector<int> FirstDrawItems(const TPrintableRNData& data) {
    std::vector<int> out;
    for (const TRNPageInfo& page : data.Pages) {
        out.push_back(page.FirstDrawItemNo);
    }
    return out;
}

// A draw line that its item cuts into parts of at most the room given, as a table does: the
// last part is the rest still to be placed.
class CutLine : public TRNMultiDrawItemInfo {
public:
    bool InitSplit() override {
        PartsList.assign(1, {Height});
        return true;
    }
    bool CanSplitFirst(int room) override { return room >= 100; }
    bool SplitAt(int room) override {
        const int rest = PartsList.back().Height;
        if (rest <= room) {
            return false;
        }
        PartsList.back().Height = room;
        PartsList.push_back({rest - room});
        return true;
    }
};

TEST(PrintMargins, MillimetresBecomePrinterPixelsLessTheUnprintableBorder) {
    struct Case {
        int mm, ppi, unprintable, expected;
    };
    for (const Case& c : {Case{20, 600, 100, 372}, Case{2, 600, 100, 0}, Case{25, 300, 0, 295}}) {
        EXPECT_EQ(TPrintableRNData::MarginPix(c.mm, c.ppi, c.unprintable), c.expected) << c.mm;
    }
    PrintedNote n;
    n.Device->Offset = {100, 100};
    n.Device->Physical = {3200, 2200};
    n.AddLines(1);
    n.Format();
    EXPECT_EQ(n.Data().LeftMarginPix, 372);
    EXPECT_EQ(n.Data().RightMarginPix, 372);
    EXPECT_EQ(n.Data().TopMarginPix, 372);
    EXPECT_EQ(n.Data().GetWidth(), 3000 - 2 * 372);
    // Margins that leave no text area raise.
    n.Print.SetTopMarginMM(50);
    n.Print.SetBottomMarginMM(50);
    EXPECT_THROW(n.Format(), ERichNoteError);
}

TEST(Pagination, EightLinesAPageWithEventsInOrder) {
    PrintedNote n;
    n.AddLines(20);
    std::vector<Event> events;
    n.Print.OnFormatting = [&](TRichNote&, int page, Step step) {
        events.emplace_back(page, step);
    };
    ASSERT_EQ(n.Format(), 3);
    EXPECT_EQ(FirstDrawItems(n.Data()), (std::vector<int>{0, 8, 16}));
    EXPECT_EQ(events, (std::vector<Event>{{0, Step::rnpsStarting},
                                          {0, Step::rnpsProceeding},
                                          {1, Step::rnpsProceeding},
                                          {2, Step::rnpsProceeding},
                                          {3, Step::rnpsProceeding},
                                          {3, Step::rnpsFinished}}));
    // Four lines end the last page.
    EXPECT_EQ(n.Print.LastPageBottom(), 4 * 125);
    // An empty document has no pages and only the starting event.
    PrintedNote empty;
    empty.Print.OnFormatting = n.Print.OnFormatting;
    events.clear();
    EXPECT_EQ(empty.Format(), 0);
    EXPECT_EQ(events, (std::vector<Event>{{0, Step::rnpsStarting}}));
}

TEST(Pagination, ForcedBreaksButNoEmptyFirstPage) {
    PrintedNote n;
    n.AddLines(5);
    n.Source.SetPageBreaksBeforeItems(0, true);
    n.Source.SetPageBreaksBeforeItems(3, true);
    ASSERT_EQ(n.Format(), 2);
    EXPECT_EQ(FirstDrawItems(n.Data()), (std::vector<int>{0, 3}));
}

TEST(Pagination, APictureAndTheTextBesideItMoveTogether) {
    PrintedNote n;
    TParaInfo& spaced = n.Sheet.ParaStyles().Add();
    spaced.SpaceBefore = 6;
    n.AddLines(7);
    n.Source.AddNL("x", 0, n.Sheet.ParaStyles().Count() - 1);
    n.Source.AddPictureEx("p", std::make_unique<TBitmap>(40, 40), -1, TRNVAlign::rnvaBaseline);
    ASSERT_EQ(n.Format(), 2);
    const TPrintableRNData& d = n.Data();
    ASSERT_EQ(d.Pages[1].FirstDrawItemNo, 7);
    EXPECT_NE(d.DrawItems[7]->Top, d.DrawItems[8]->Top);
    const int top = std::min(d.DrawItems[7]->Top, d.DrawItems[8]->Top);
    EXPECT_EQ(d.Pages[1].PageTopY, top - MulDiv(6, 600, 96));
}

TEST(Pagination, ALineTallerThanAPageStandsAlone) {
    PrintedNote n;
    n.AddLines(2);
    n.Source.AddPictureEx("p", std::make_unique<TBitmap>(200, 200), 0, TRNVAlign::rnvaBaseline);
    n.AddLines(2, 3);
    ASSERT_EQ(n.Format(), 3);
    EXPECT_GT(n.Data().DrawItems[2]->Height, AreaHeight);
    EXPECT_EQ(FirstDrawItems(n.Data()), (std::vector<int>{0, 2, 3}));
}

TEST(Pagination, ACutItemRunsOverThreePages) {
    PrintedNote n;
    n.AddLines(3);
    n.Format();
    TPrintableRNData& d = n.Data();
    auto cut = RN_NewDrawItem<CutLine>(0, d.DrawItems[1]->Top, 100, 2500, 1, true);
    const int cutTop = cut->Top;
    d.DrawItems.Put(1, std::move(cut));
    d.DrawItems[2]->Top = cutTop + 2500;
    d.Paginate();
    ASSERT_EQ(d.PageCount(), 3);
    std::vector<int> parts;
    for (const TRNPageInfo& page : d.Pages) {
        parts.push_back(page.FirstPartNo);
    }
    EXPECT_EQ(FirstDrawItems(d), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(parts, (std::vector<int>{0, 2, 3}));
    const auto& list = static_cast<CutLine*>(d.DrawItems[1])->PartsList;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Height + list[1].Height + list[2].Height, 2500);
    // The cut item is drawn on every page it crosses; the line after it on the last.
    struct Range {
        int start, end, part;
    };
    for (auto [page, want] : {std::pair{1, Range{0, 1, -1}}, std::pair{2, Range{1, 1, 1}},
                              std::pair{3, Range{1, 2, 2}}}) {
        int start, end, part;
        d.GetDrawItemsRange(page, start, end, part);
        EXPECT_EQ(start, want.start) << page;
        EXPECT_EQ(end, want.end) << page;
        EXPECT_EQ(part, want.part) << page;
    }
}

TEST(Pagination, TheSourceKeepsItsOwnItemMapping) {
    PrintedNote n;
    n.Source.resize(90, 300);
    n.AddLines(20);
    n.Source.AddNL("a longer paragraph that the narrow viewer wraps over several lines", 0, 0);
    n.Source.Format();
    auto mapping = [&] {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < n.Source.GetLineCount(); ++i) {
            int d = -1, o = -1;
            n.Source.RNData().Item2DrawItem(i, 1, d, o);
            out.emplace_back(d, o);
        }
        return out;
    };
    const auto before = mapping();
    ASSERT_EQ(n.Format(), 3);
    TFakeCanvas page({3000, 2000}, 600);
    n.Print.RichNote().DrawPage(2, page, false, false);
    EXPECT_EQ(mapping(), before);
    EXPECT_NE(n.Data().DrawItems.Count(), n.Source.RNData().DrawItems.Count());
}

// The print object only borrows the note's items: going, or cleared, it leaves them to the note,
// and once cleared it holds nothing of the note.
TEST(Pagination, APrintObjectLeavesTheNoteItsItems) {
    PrintedNote n;
    n.AddLines(3);
    {
        TRNPrint other;
        other.AssignSource(n.Source);
        ASSERT_EQ(other.FormatPages(), 1);
    }
    ASSERT_EQ(n.Source.GetLineCount(), 3);
    EXPECT_EQ(n.Source.GetItemText(2), "line 3");
    ASSERT_EQ(n.Format(), 1);
    n.Print.Clear();
    ASSERT_EQ(n.Source.GetLineCount(), 3);
    EXPECT_EQ(n.Data().ItemCount() + n.Data().DrawItems.Count() + n.Print.GetPagesCount(), 0);
    EXPECT_EQ(n.Format(), 1);
}

TEST(Pagination, DrawPageChecksThePageNumber) {
    PrintedNote n;
    n.AddLines(20);
    n.Format();
    TFakeCanvas page({3000, 2000}, 600);
    for (int bad : {0, 4, -1}) {
        EXPECT_THROW(n.Print.RichNote().DrawPage(bad, page, false, false), ERichNoteError) << bad;
    }
    n.Print.RichNote().DrawPage(3, page, false, false);
    EXPECT_EQ(page.CallsOf("TextOut").front().Text, "line 17");
}

TEST(PrintJob, EmbeddedControlsPrintAsThePictureTheApplicationGives) {
    PrintedNote n;
    auto button = std::make_unique<QPushButton>("Go");
    button->resize(80, 30);
    n.Source.AddControlEx("c", std::make_unique<TEmbeddedWidget>(std::move(button), "TButton"), 0,
                          TRNVAlign::rnvaBaseline);
    n.Format();
    std::vector<std::string> asked;
    n.Print.OnPrintComponent = [&](TRNPrint&, IEmbeddedControl& control,
                                   std::unique_ptr<TBitmap>& image) {
        asked.push_back(control.ClassName());
        image = DrawControl(control);
    };
    TFakeCanvas page({3000, 2000}, 600);
    n.Print.RichNote().DrawPage(1, page, false, false);
    EXPECT_EQ(asked, (std::vector<std::string>{"TButton"}));
    const auto images = page.CallsOf("DrawImage");
    ASSERT_EQ(images.size(), 1u);
    // The screen-sized picture stretched over its place on the page, inside the margins.
    EXPECT_NEAR(images[0].Rect.Width(), n.Data().DrawItems[0]->Width, 1);
    EXPECT_GE(images[0].Rect.Left, n.Data().LeftMarginPix);
}

// A picture many pages wide is drawn into a bitmap of what the page shows of it, not of the whole
// picture: at 600 dpi a picture 4,000 screen pixels wide covers 25,000 printer pixels.
TEST(PrintJob, APictureWiderThanThePageCostsOnlyWhatThePageShows) {
    PrintedNote n;
    n.Source.AddPictureEx("p", std::make_unique<TBitmap>(4000, 100), 0, TRNVAlign::rnvaBaseline);
    n.Format();
    TFakeCanvas page({3000, 2000}, 600);
    n.Print.RichNote().DrawPage(1, page, false, false);
    const auto images = page.CallsOf("DrawImage");
    ASSERT_EQ(images.size(), 1u);
    const TRect placed = images[0].Rect;
    // From the picture's place to the page's right edge, its full height.
    EXPECT_EQ(placed.Left, n.Data().LeftMarginPix);
    EXPECT_GE(placed.Right, 3000);
    EXPECT_NEAR(placed.Height(), n.Data().DrawItems[0]->Height, 7);
    // The page's screen pixels of it, give or take one.
    const int shownScreenPixels = (3000 - placed.Left) * 96 / 600;
    EXPECT_NEAR(images[0].Size.cx, shownScreenPixels, 1);
    EXPECT_LT(images[0].Size.cx, 4000 / 4);

    // A control centres its picture in the bitmap: it gets the whole bitmap, whatever shows.
    PrintedNote wide;
    auto button = std::make_unique<QPushButton>("Go");
    button->resize(4000, 30);
    wide.Source.AddControlEx("c", std::make_unique<TEmbeddedWidget>(std::move(button), "TButton"),
                             0, TRNVAlign::rnvaBaseline);
    wide.Format();
    wide.Print.OnPrintComponent = [&](TRNPrint&, IEmbeddedControl& control,
                                      std::unique_ptr<TBitmap>& image) {
        image = DrawControl(control);
    };
    TFakeCanvas controlPage({3000, 2000}, 600);
    wide.Print.RichNote().DrawPage(1, controlPage, false, false);
    const auto drawn = controlPage.CallsOf("DrawImage");
    ASSERT_FALSE(drawn.empty());
    EXPECT_NEAR(drawn.back().Size.cx, 4000, 4);
}

struct OrderCase {
    bool Collate;
    bool OwnCopies;
    std::vector<int> Pages;
    int NewPages;
};

TEST(PrintJob, CopiesAndCollation) {
    for (const OrderCase& c :
         {OrderCase{true, false, {1, 2, 3, 1, 2, 3}, 5},
          OrderCase{false, false, {1, 1, 2, 2, 3, 3}, 5}, OrderCase{true, true, {1, 2, 3}, 2},
          OrderCase{false, true, {1, 2, 3}, 2}}) {
        PrintedNote n;
        n.Device->OwnCopies = c.OwnCopies;
        n.Device->CopyCount = 7;
        n.AddLines(20);
        n.Format();
        std::vector<Event> events;
        n.Print.OnSendingToPrinter = [&](TRichNote&, int page, Step step) {
            events.emplace_back(page, step);
        };
        n.Print.Print("Notes", 2, c.Collate);
        std::vector<Event> expected{{0, Step::rnpsStarting}};
        for (int page : c.Pages) {
            expected.emplace_back(page, Step::rnpsProceeding);
        }
        expected.emplace_back(0, Step::rnpsFinished);
        EXPECT_EQ(events, expected) << c.Collate << c.OwnCopies;
        EXPECT_EQ(std::count(n.Device->Log.begin(), n.Device->Log.end(), "NewPage"), c.NewPages);
        EXPECT_EQ(n.Device->Log.back(), "End");
        EXPECT_EQ(n.Device->CopyCount, 7);
        EXPECT_EQ(n.Device->DocTitle, "Notes");
        ASSERT_EQ(n.Device->Sheets.size(), c.Pages.size());
        EXPECT_EQ(n.Device->Sheets[1].front(), "line " + std::to_string(8 * (c.Pages[1] - 1) + 1));
    }
}

TEST(PrintJob, ABadRangeRaisesBeforeAnyJobAndNoPagesStartNoJob) {
    PrintedNote n;
    n.AddLines(20);
    n.Format();
    int events = 0;
    n.Print.OnSendingToPrinter = [&](TRichNote&, int, Step) { ++events; };
    for (auto [first, last] : {std::pair{0, 2}, std::pair{2, 4}, std::pair{3, 2}}) {
        EXPECT_THROW(n.Print.PrintPages(first, last, "t", 1, true), ERichNoteError);
    }
    EXPECT_TRUE(n.Device->Log.empty());
    EXPECT_EQ(events, 0);

    PrintedNote empty;
    empty.Format();
    empty.Print.Print("t", 1, true);
    EXPECT_TRUE(empty.Device->Log.empty());
}

TEST(PrintJob, ContinuousPrintFillsTheJobTheCallerOpened) {
    PrintedNote n;
    n.AddLines(20);
    n.Format();
    n.Device->BeginDoc();
    n.Print.ContinuousPrint();
    n.Print.ContinuousPrint();
    n.Device->EndDoc();
    EXPECT_EQ(n.Device->Log, (std::vector<std::string>{"Begin", "NewPage", "NewPage", "NewPage",
                                                       "NewPage", "End"}));
    ASSERT_EQ(n.Device->Sheets.size(), 5u);
    // The second document starts on the last sheet of the first.
    EXPECT_EQ(n.Device->Sheets[2].front(), "line 17");
    EXPECT_EQ(n.Device->Sheets[2][4], "line 1");
}

TEST(PrintJob, AFailingPageAbortsTheJobAndRestoresTheCopies) {
    PrintedNote n;
    n.AddLines(20);
    n.Format();
    n.Device->CopyCount = 4;
    std::vector<Event> events;
    n.Print.OnSendingToPrinter = [&](TRichNote&, int page, Step step) {
        events.emplace_back(page, step);
        if (page == 2) {
            throw ERichNoteError("out of paper");
        }
    };
    EXPECT_THROW(n.Print.Print("t", 1, true), ERichNoteError);
    EXPECT_EQ(n.Device->Log.back(), "Abort");
    EXPECT_EQ(n.Device->CopyCount, 4);
    EXPECT_EQ(events.back(), Event(0, Step::rnpsFinished));
}

TEST(PrintJob, APdfOfTwoCollatedCopies) {
    PdfNote pdf;
    const std::string& file = pdf.File;
    pdf.Source.AddNL("Opening words of the note", 0, 0);
    pdf.Source.AddNL("second page", 0, 0);
    pdf.Source.AddNL("third page", 0, 0);
    pdf.Source.SetPageBreaksBeforeItems(1, true);
    pdf.Source.SetPageBreaksBeforeItems(2, true);
    pdf.Print.AssignSource(pdf.Source);
    ASSERT_EQ(pdf.Print.FormatPages(), 3);
    pdf.Print.Print("Note", 2, true);

    EXPECT_EQ(PdfPageObjects(file), 6);
    const std::string first = RunText("pdftotext -f 1 -l 1 '" + file + "' -");
    EXPECT_NE(first.find("Opening words"), std::string::npos) << first;
    EXPECT_EQ(RunText("pdftotext -f 4 -l 4 '" + file + "' -").find("Opening words"), 0u);
}

TEST(PreviewDrawing, ThePageAndItsMarginsMapOntoTheRectangle) {
    PrintedNote n;
    n.Sheet.Color = clYellow;
    n.AddLines(3);
    n.Format();
    TFakeCanvas screen({300, 300}, 96);
    n.Print.DrawPreview(1, screen, Rect(0, 0, 200, 283));
    const auto fills = screen.CallsOf("FillRect");
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0].Rect, Rect(0, 0, 200, 283));
    // The text area, 472 px in from each edge of the 3000 x 2000 px page.
    EXPECT_EQ(fills[1].Rect, Rect(31, 67, 169, 216));
    EXPECT_EQ(screen.MapMode(), TMapMode::mmText);
    EXPECT_EQ(screen.Font().PixelsPerInch(), 96);

    screen.ClearCalls();
    n.Print.DrawMarginsRect(screen, Rect(0, 0, 200, 283));
    EXPECT_EQ(screen.CallsOf("Rectangle").at(0).Rect, Rect(31, 67, 169, 216));
    EXPECT_EQ(n.Print.GetPreview100PercentWidth(), 480);
    EXPECT_EQ(n.Print.GetPreview100PercentHeight(), 320);
}

TEST(PreviewDrawing, TheCorrectionSpacesTextToItsPrinterWidth) {
    PrintedNote n;
    n.AddLines(1);
    n.Format();
    const TRNDrawLineInfo& line = *n.Data().DrawItems[0];
    for (bool correction : {false, true}) {
        TFakeCanvas screen({300, 300}, 96);
        n.Print.RichNote().DrawPage(1, screen, true, correction);
        const TCanvasCall text = screen.CallsOf("TextOut").at(0);
        // Without the correction the text keeps its screen width; with it, it reaches the
        // printer's width up to the spacing's rounding (the last character adds its spacing).
        const int drawn = text.Size.cx - text.CharExtra;
        if (correction) {
            EXPECT_NEAR(drawn, line.Width, line.Length - 1);
        } else {
            EXPECT_EQ(text.CharExtra, 0);
            EXPECT_LT(drawn, line.Width / 2);
        }
        EXPECT_EQ(screen.TextCharacterExtra(), 0);
    }
}

} // namespace
