#include "tests/richtext_view/PrintFixture.h"

#include "richtext/view/RNPP.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

class Preview : public TRNPrintPreview {
public:
    using TRNPrintPreview::Click;
    using TRNPrintPreview::TRNPrintPreview;

    // The client area's pixels (the border left out).
    QImage Pixels() {
        return grab()
            .toImage()
            .convertToFormat(QImage::Format_RGB32)
            .copy(QRect(ClientOrigin(), QSize(ClientWidth(), ClientHeight())));
    }
};

QRgb Drawn(TColor color) {
    return 0xFF000000u | DrawnRGB(color) >> 16 | (DrawnRGB(color) & 0xFF00) |
           (DrawnRGB(color) & 0xFF) << 16;
}

struct PreviewedNote : PrintedNote {
    Preview View;

    explicit PreviewedNote(int lines = 20) {
        AddLines(lines);
        Format();
        View.resize(400, 400);
        View.show();
        View.SetRNPrint(&Print);
    }
};

TEST(PrintPreview, AClickTogglesBetweenFullSizeAndTheZoomBefore) {
    PreviewedNote n;
    n.View.SetZoom(63);
    EXPECT_EQ(n.View.Cursor(), crZoomIn);
    n.View.Click();
    EXPECT_EQ(n.View.ZoomPercent(), 100);
    EXPECT_EQ(n.View.ZoomMode(), TRNZoomMode::rnzmCustom);
    EXPECT_EQ(n.View.PrevZoomPercent(), 63);
    EXPECT_EQ(n.View.Cursor(), crZoomOut);
    EXPECT_EQ(n.View.PageWidth(), n.Print.GetPreview100PercentWidth());
    n.View.Click();
    EXPECT_EQ(n.View.ZoomPercent(), 63);
    EXPECT_EQ(n.View.Cursor(), crZoomIn);
}

TEST(PrintPreview, WithoutPagesOnlyTheWorkAreaIsPaintedAndNavigationDoesNothing) {
    PrintedNote unformatted;
    unformatted.AddLines(20);
    for (TRNPrint* print : {static_cast<TRNPrint*>(nullptr), &unformatted.Print}) {
        Preview view;
        view.resize(200, 150);
        view.SetRNPrint(print);
        view.Next();
        view.Last();
        EXPECT_EQ(view.PageNo(), 1);
        const QImage image = view.Pixels();
        for (QPoint p : {QPoint(100, 75), QPoint(10, 10), QPoint(150, 120)}) {
            EXPECT_EQ(image.pixel(p), Drawn(clAppWorkSpace)) << p.x() << "," << p.y();
        }
    }
}

TEST(PrintPreview, AResizeInFullPageModeRezoomsAndReportsOnlyChanges) {
    PreviewedNote n;
    int changes = 0;
    n.View.OnZoomChanged = [&] { ++changes; };
    const int before = n.View.ZoomPercent();
    n.View.resize(800, 800);
    EXPECT_GT(n.View.ZoomPercent(), before);
    EXPECT_EQ(changes, 1);
    n.View.UpdateView();
    EXPECT_EQ(changes, 1);
    n.View.resize(10, 10);
    EXPECT_EQ(n.View.ZoomPercent(), 1);
}

TEST(PrintPreview, ThePageIsCentredWithShadowAndFrame) {
    PreviewedNote n;
    n.Sheet.Color = clYellow;
    n.View.SetZoom(50);
    const TRect page = n.View.PageRect();
    EXPECT_EQ(page.Width(), n.View.PageWidth());
    const QImage image = n.View.Pixels();
    const QPoint centre((page.Left + page.Right) / 2, (page.Top + page.Bottom) / 2);
    EXPECT_EQ(image.pixel(centre), Drawn(clYellow));
    EXPECT_EQ(image.pixel(page.Right + 2, page.Bottom + 2), Drawn(cl3DDkShadow));
    EXPECT_EQ(image.pixel(page.Left, centre.y()), Drawn(clHighlight));
    EXPECT_EQ(image.pixel(page.Left - 6, centre.y()), Drawn(clAppWorkSpace));
}

TEST(PrintPreview, APageGoneAfterReformattingPaintsBlankInsteadOfFailing) {
    PreviewedNote n;
    n.View.Last();
    n.Source.Clear();
    n.Source.AddNL("short", 0, 0);
    n.Format();
    ASSERT_EQ(n.Print.GetPagesCount(), 1);
    EXPECT_EQ(n.View.PageNo(), 3);
    n.View.Pixels();
    n.View.SetPageNo(n.View.PageNo());
    EXPECT_EQ(n.View.PageNo(), 1);
}

} // namespace
