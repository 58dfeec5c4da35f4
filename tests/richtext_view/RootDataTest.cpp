#include "ViewFixture.h"

#include "../richtext_model/ExpectRNError.h"

#include "richtext/model/RNError.h"
#include "richtext/view/RNDataList.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(RootData, TheVerticalRangeStaysWithin32000Steps) {
    struct Case {
        int Height, Step, Expected;
    } cases[] = {
        {400000, 10, 13},                 // 400000 / 12 is still above 32000
        {320010, 10, 11}, {1000, 13, 10}, // a short document goes back to 10
        {1000, 7, 7},     {1000, 0, 0},   // a missing step counts as 10: nothing to change
        {400000, 0, 13},
    };
    for (const Case& c : cases) {
        Viewer v;
        v.Host.VSmallStep = c.Step;
        v.D().DocumentHeight = c.Height;
        v.D().AdjustVScrollUnits();
        EXPECT_EQ(v.Host.VSmallStep, c.Expected) << c.Height << "/" << c.Step;
    }
    Viewer v;
    v.Host.VSmallStep = 0;
    int steps = -1;
    v.Host.OnScrollBars = [&](FakeHost&, int, int ySteps) { steps = ySteps; };
    v.D().SetDocumentAreaSize(100, 95, true);
    EXPECT_EQ(steps, 10);
}

TEST(RootData, ColourIsTheControlsOrTheStyleSheets) {
    Viewer v;
    v.Style.Color = clYellow;
    v.Host.Color = clNone;
    EXPECT_EQ(v.D().GetColor(), clYellow);
    v.Host.Color = clRed;
    EXPECT_EQ(v.D().GetColor(), clRed);
    v.Host.Color = clNone;
    v.Host.Style = nullptr;
    EXPECT_EQ(v.D().GetColor(), clWindow);
}

TEST(RootData, TheDocumentReadsAndChangesTheControlsSettings) {
    Viewer v;
    TRichNoteSettings& settings = v.Host.Settings();
    settings.LeftMargin = 3;
    settings.RightMargin = 7;
    settings.TopMargin = 11;
    settings.BottomMargin = 13;
    settings.MinTextWidth = 17;
    settings.MaxTextWidth = 19;
    settings.FirstJumpNo = 23;
    settings.Delimiters = "#";
    settings.CPEventKind = TCPEventKind::cpeWhenVisible;
    settings.RNFParaStylesReadMode = TRNFReaderStyleMode::rnf_sIgnore;
    settings.RNFTextStylesReadMode = TRNFReaderStyleMode::rnf_sInsertMap;
    const TRichNoteRNData& d = v.D();
    EXPECT_EQ(
        (std::array{d.GetLeftMargin(), d.GetRightMargin(), d.GetTopMargin(), d.GetBottomMargin(),
                    d.GetMinTextWidth(), d.GetMaxTextWidth(), d.GetFirstJumpNo()}),
        (std::array{3, 7, 11, 13, 17, 19, 23}));
    EXPECT_EQ(d.GetDelimiters(), "#");
    EXPECT_EQ(d.GetCPEventKind(), TCPEventKind::cpeWhenVisible);
    EXPECT_EQ(d.GetRNFParaStylesReadMode(), TRNFReaderStyleMode::rnf_sIgnore);
    EXPECT_EQ(d.GetRNFTextStylesReadMode(), TRNFReaderStyleMode::rnf_sInsertMap);
    // The document lays out across the client area.
    v.Host.ClientWidth = 321;
    EXPECT_EQ(d.GetAreaWidth(), 321);

    // What the document changes (a loaded note's options and warnings) is the control's.
    const TRNOptions options{TRNOption::rnoAllowSelection};
    const TRNFOptions rnfOptions{TRNFOption::rnfoSaveBack};
    const TRNRTFOptions rtfOptions{TRNRTFOption::rnrtfSaveJpegAsJpeg};
    const TRNFWarnings warnings{TRNFWarning::rnfwTableDamaged};
    const TRNFlags flags{TRNFlag::rnflShareContents};
    v.D().SetOptions(options);
    v.D().SetRNFOptions(rnfOptions);
    v.D().SetRTFOptions(rtfOptions);
    v.D().SetRNFWarnings(warnings);
    v.D().SetFlags(flags);
    EXPECT_EQ(settings.Options, options);
    EXPECT_EQ(settings.RNFOptions, rnfOptions);
    EXPECT_EQ(settings.RTFOptions, rtfOptions);
    EXPECT_EQ(settings.RNFWarnings, warnings);
    EXPECT_EQ(settings.Flags, flags);
    EXPECT_EQ(d.GetOptions(), options);
    EXPECT_EQ(d.GetFlags(), flags);
}

TEST(RootData, EventsReachTheControlOnlyWhenAssigned) {
    Viewer v;
    std::string location = "x";
    bool doDefault = false;
    v.D().HTMLSaveImage(v.D(), 0, "p", clNone, location, doDefault);
    EXPECT_TRUE(location.empty() && doDefault);
    EXPECT_EQ(v.D().GetURL(3), "");
    EXPECT_FALSE(v.D().IsAssignedJump());

    v.Host.Handlers.OnURLNeeded = [](IRichNoteHost&, int id, std::string& url) {
        url = "u" + std::to_string(id);
    };
    int selections = 0;
    v.Host.Handlers.OnSelect = [&](IRichNoteHost&) { ++selections; };
    EXPECT_EQ(v.D().GetURL(3), "u3");
    v.D().DoSelect();
    v.Host.Destroying = true;
    v.D().DoSelect(); // a control going away raises no selection event
    EXPECT_EQ(selections, 1);
}

class Cell : public TRNItemFormattedData {
public:
    using TRNItemFormattedData::TRNItemFormattedData;
    int GetWidth() const override { return 50; }
    int GetHeight() const override { return 20; }
    TColor GetColor() const override { return clWhite; }
};

TEST(NestedData, CellsAnswerFromTheOutermostDocument) {
    Viewer v;
    TRNDataList outerRow(&v.D());
    Cell* outer = static_cast<Cell*>(outerRow.Add(std::make_unique<Cell>(&outerRow)));
    TRNDataList innerRow(outer);
    Cell* inner = static_cast<Cell*>(innerRow.Add(std::make_unique<Cell>(&innerRow)));

    EXPECT_EQ(inner->GetRootData(), &v.D());
    EXPECT_EQ(inner->GetParentData(), outer);
    EXPECT_EQ(inner->GetNormalCursor(), v.Host.Cursor);
    EXPECT_EQ(inner->GetFlags().Bits(), 18u);
    EXPECT_EQ(inner->GetRNStyle(), &v.Style);
    ExpectRNError([&] { inner->SetFlags({}); },
                  "This method is not supported for TRNItemFormattedData");
    inner->ScrollTo(40, true);
    EXPECT_EQ(v.Host.LastScrollY, -1);

    // A nested document formats with the shared word wrap at its own width.
    inner->AddNL("aaa bbb", 0, 0);
    inner->Format_(false, true, false, 0, v.Canvas, false);
    EXPECT_EQ(inner->DrawItems.Count(), 2);
}

TEST(NestedData, AFreedDocumentOrItemIsForgottenByTheRoot) {
    Viewer v;
    v.D().AddNL("abc", 0, 0);
    v.D().AddNL("def", 0, 0);
    auto row = std::make_unique<TRNDataList>(&v.D());
    Cell* cell = static_cast<Cell*>(row->Add(std::make_unique<Cell>(row.get())));
    v.D().LastRNDataMovedAbove = cell;
    v.D().PartialSelectedItem = &v.D().GetItem(1);
    v.D().CaptureMouseItem = &v.D().GetItem(1);
    row.reset();
    EXPECT_EQ(v.D().LastRNDataMovedAbove, nullptr);
    v.D().DeleteItems(1, 1);
    EXPECT_EQ(v.D().PartialSelectedItem, nullptr);
    EXPECT_EQ(v.D().CaptureMouseItem, nullptr);
}

} // namespace
