// The print preview form: the zoom box read and applied, and the page indicator after every
// navigation button.
#include "app/ui/dialogs/PreviewFrm.h"

#include "tests/richtext_view/PrintFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
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

// The zoom box as a user leaves it: the text typed, then the focus moved on with the keyboard
// or the mouse; a wrong text is told in a real modal box, which takes the focus for a moment.
TEST(PreviewForm, LeavingTheZoomBoxAppliesItsTextOnce) {
    std::vector<std::string> told;
    TfrmPreview* form = nullptr;
    const auto box = [&](const std::string& text, const std::string&) {
        told.push_back(text);
        QMessageBox message(QMessageBox::Critical, "Scale", QString::fromStdString(text),
                            QMessageBox::Ok, form);
        QTimer::singleShot(50, &message, &QDialog::accept);
        message.exec();
    };
    PrintedNote note;
    note.AddLines(60);
    note.Format();
    TfrmPreview preview(nullptr, box);
    form = &preview;
    preview.rnpp().SetRNPrint(&note.Print);
    preview.show();
    preview.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&preview));
    TRNPrintPreview& view = preview.rnpp();
    QComboBox& zoom = preview.cmb();
    const int before = view.ZoomPercent();
    ASSERT_NE(before, 75);
    const auto typeIntoZoom = [&](const char* text) {
        preview.activateWindow(); // back from a box
        EXPECT_TRUE(QTest::qWaitForWindowActive(&preview));
        zoom.setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(QTest::qWaitFor([&] { return zoom.hasFocus(); }));
        zoom.lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
    };

    typeIntoZoom("75");
    EXPECT_EQ(view.ZoomPercent(), before); // typing alone applies nothing
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(zoom.hasFocus());
    EXPECT_EQ(view.ZoomMode(), TRNZoomMode::rnzmCustom);
    EXPECT_EQ(view.ZoomPercent(), 75);

    // A click on a button leaves the box: told once, though the box took the focus.
    typeIntoZoom("abc");
    auto* next = preview.findChild<QPushButton*>("Button3");
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::qWait(100);
    EXPECT_EQ(told, std::vector<std::string>{"Please enter number from 10 to 500"});
    EXPECT_EQ(view.ZoomPercent(), 75);

    // Enter applies it where it is; the box taking the focus from there tells nothing more.
    typeIntoZoom("abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::qWait(100);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(view.ZoomPercent(), 75);
    form = nullptr;
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
