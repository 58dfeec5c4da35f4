#include "Surface.h"

#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A page of 3000 x 2000 logical pixels shown in 300 x 200 at (10, 20).
void MapPage(TCanvas& canvas) {
    canvas.SetMapMode(TMapMode::mmAnisotropic);
    canvas.SetWindowExt(3000, 2000);
    canvas.SetViewportExt(300, 200);
    canvas.SetViewportOrg(10, 20);
}

TEST(Mapping, FakeRecordsDeviceCoordinatesOfFiguresTextAndClip) {
    TFakeCanvas canvas({400, 300});
    MapPage(canvas);
    canvas.SetClipRect(Rect(0, 0, 1500, 1000));
    canvas.FillRect(Rect(100, 200, 1100, 1200));
    canvas.TextOut(500, 1000, "ab");
    canvas.MoveTo(0, 0);
    canvas.LineTo(3000, 2000);
    const auto& calls = canvas.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].Rect, Rect(20, 40, 120, 140));
    EXPECT_EQ(calls[0].ClipBox, Rect(10, 20, 160, 120));
    EXPECT_EQ(calls[1].Points.at(0), (TPoint{60, 120}));
    EXPECT_EQ(calls[2].Points, (std::vector<TPoint>{{10, 20}, {310, 220}}));

    canvas.SetMapMode(TMapMode::mmText);
    canvas.FillRect(Rect(100, 200, 1100, 1200));
    EXPECT_EQ(canvas.Calls().back().Rect, Rect(100, 200, 1100, 1200));
    // Its physical page is the whole surface.
    EXPECT_EQ(canvas.PhysicalOffset(), (TPoint{0, 0}));
    EXPECT_EQ(canvas.PhysicalSize(), (TSize{400, 300}));
}

TEST(Mapping, QtCanvasDrawsThroughTheMapping) {
    Surface s(400, 300);
    MapPage(s.Canvas);
    s.Canvas.Brush().SetColor(clBlack);
    s.Canvas.FillRect(Rect(1000, 1000, 2000, 1500));
    // Device (110, 120) to (210, 170).
    EXPECT_EQ(s.Pixel(111, 121), qRgb(0, 0, 0));
    EXPECT_EQ(s.Pixel(208, 168), qRgb(0, 0, 0));
    EXPECT_EQ(s.Pixel(105, 121), qRgb(255, 255, 255));
    EXPECT_EQ(s.Pixel(212, 168), qRgb(255, 255, 255));
}

TEST(Mapping, CharacterExtraWidensMeasuringAndDrawingOnBothBackEnds) {
    QImage image(400, 100, QImage::Format_RGB32);
    std::unique_ptr<TCanvas> canvases[] = {std::make_unique<TFakeCanvas>(),
                                           std::make_unique<TQtCanvas>(&image)};
    for (auto& canvas : canvases) {
        const int plain = canvas->TextWidth("abcd");
        std::vector<int> plainDx;
        canvas->GetTextExtentExPoint("abcd", 1000, &plainDx);
        canvas->SetTextCharacterExtra(3);
        EXPECT_EQ(canvas->TextWidth("abcd"), plain + 12);
        std::vector<int> dx;
        canvas->GetTextExtentExPoint("abcd", 1000, &dx);
        ASSERT_EQ(dx.size(), 4u);
        EXPECT_EQ(dx[1], plainDx[1] + 6);
        // A surrogate pair is one character: one spacing.
        const int spaced = canvas->TextWidthW(u"\U0001F600");
        canvas->SetTextCharacterExtra(0);
        EXPECT_EQ(spaced, canvas->TextWidthW(u"\U0001F600") + 3);
    }
    // Drawn: the last character lands further right by the spacing of those before it.
    auto lastInk = [](int extra) {
        Surface s(300, 60);
        s.Canvas.Font().SetName("Arial");
        s.Canvas.Font().SetSize(20);
        s.Canvas.SetTextCharacterExtra(extra);
        s.Canvas.TextOut(0, 0, "iiii");
        int right = -1;
        for (int x = 0; x < s.Image.width(); ++x) {
            if (CountPixels(s.Image, QRect(x, 0, 1, s.Image.height()), IsDark) > 0) {
                right = x;
            }
        }
        return right;
    };
    EXPECT_EQ(lastInk(10), lastInk(0) + 30);
}

} // namespace
