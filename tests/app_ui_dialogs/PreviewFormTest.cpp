// The print preview form: the zoom box read and applied, and the page indicator after every
// navigation button.
#include "app/ui/dialogs/PreviewFrm.h"

#include "tests/richtext_view/PrintFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PreviewForm, ZoomTextsAreReadAsPercentOrMode) {
    using K = TZoomChoice::Kind;
    struct Case {
        const char* text;
        K kind;
        int percent;
    };
    const Case cases[] = {
        {"75%", K::Percent, 75},       {"75", K::Percent, 75},
        {" 75 ", K::Percent, 75},      {"10", K::Percent, 10},
        {"500%", K::Percent, 500},     {"Page width", K::PageWidth, 0},
        {"Full page", K::FullPage, 0}, {" Full page ", K::FullPage, 0},
        {"5%", K::Invalid, 0},         {"501", K::Invalid, 0},
        {"abc", K::Invalid, 0},        {"page width", K::Invalid, 0},
        {"", K::Invalid, 0},           {"%", K::Invalid, 0},
        {"75 %", K::Invalid, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TZoomChoice choice = ParseZoomText(c.text);
        EXPECT_EQ(choice.What, c.kind);
        EXPECT_EQ(choice.Percent, c.percent);
    }
}

struct PreviewRig : PrintedNote {
    std::vector<std::string> Boxes;
    TfrmPreview Form{nullptr, [this](const std::string& text, const std::string& caption) {
                         Boxes.push_back(text + "|" + caption);
                     }};
    PreviewRig() {
        AddLines(60);
        Format();
        Form.rnpp().SetRNPrint(&Print);
        Form.show();
    }
    void Zoom(const char* text) {
        Form.cmb().setEditText(text);
        Form.cmbExit();
    }
};

TEST(PreviewForm, TheZoomBoxSetsTheZoomOrSaysWhatItTakes) {
    PreviewRig rig;
    TRNPrintPreview& view = rig.Form.rnpp();
    rig.Zoom("75%");
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmCustom);
    EXPECT_EQ(view.ZoomPercent(), 75);
    for (const char* wrong : {"5%", "abc", "501", "page width"}) {
        rig.Zoom(wrong);
        EXPECT_EQ(view.ZoomPercent(), 75);
        EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmCustom);
    }
    EXPECT_EQ(rig.Boxes, std::vector<std::string>(4, "Please enter number from 10 to 500|Scale"));
    rig.Zoom("Page width");
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmPageWidth);
    // The box then shows the zoom the mode gave.
    EXPECT_EQ(rig.Form.cmb().currentText().toStdString(), std::to_string(view.ZoomPercent()) + "%");
    rig.Zoom("Full page");
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmFullPage);
}

TEST(PreviewForm, OpensOverMostOfTheScreenWithThePageWidthInView) {
    PreviewRig rig;
    QApplication::processEvents();
    const QRect area = rig.Form.screen()->availableGeometry();
    EXPECT_GE(rig.Form.width(), area.width() * 3 / 4);
    EXPECT_GE(rig.Form.height(), area.height() * 3 / 4);
    EXPECT_LE(rig.Form.width(), area.width());
    EXPECT_TRUE(area.contains(rig.Form.geometry()));
    TRNPrintPreview& view = rig.Form.rnpp();
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmPageWidth);
    // The whole width of the page is in the control, and most of it is page.
    const TRect page = view.PageRect();
    EXPECT_GE(page.Left, 0);
    EXPECT_LE(page.Right, view.ClientWidth());
    EXPECT_GT(page.Width(), view.ClientWidth() * 3 / 4);

    // Shown again after the user made it small and zoomed: their size stays, the width view
    // comes back.
    rig.Form.hide();
    rig.Form.resize(520, 340);
    rig.Zoom("25%");
    rig.Form.show();
    QApplication::processEvents();
    EXPECT_EQ(rig.Form.size(), QSize(520, 340));
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmPageWidth);
}

TEST(PreviewForm, ThePageIndicatorFollowsEveryButton) {
    PreviewRig rig;
    const int pages = rig.Print.GetPagesCount();
    ASSERT_GE(pages, 3);
    const auto shows = [&](int page) {
        return std::to_string(page) + " of " + std::to_string(pages);
    };
    struct Step {
        void (TfrmPreview::*button)();
        int page;
    };
    // The first press moves nowhere and still writes the indicator.
    EXPECT_EQ(rig.Form.PageIndicator(), "");
    const Step steps[] = {
        {&TfrmPreview::Button2Click, 1},     {&TfrmPreview::Button1Click, 1},
        {&TfrmPreview::Button3Click, 2},     {&TfrmPreview::Button4Click, pages},
        {&TfrmPreview::Button3Click, pages}, {&TfrmPreview::Button2Click, pages - 1},
        {&TfrmPreview::Button1Click, 1},
    };
    for (const Step& step : steps) {
        (rig.Form.*step.button)();
        EXPECT_EQ(rig.Form.PageIndicator(), shows(step.page));
        EXPECT_EQ(rig.Form.rnpp().PageNo(), step.page);
    }
}

} // namespace
