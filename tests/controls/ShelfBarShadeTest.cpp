#include "controls/ShelfBarShade.h"
#include "ShelfBarTestBar.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint32_t> Shaded(TShadeType type, int w, int h) {
    std::mt19937 random(7);
    std::vector<uint32_t> pixels;
    ShadeHeader(pixels, w, h, 0xFFFFFF, type, 255, 32, random);
    return pixels;
}

uint32_t Grey(int v) {
    return 0xFF000000u | static_cast<uint32_t>(v * 0x010101);
}

} // namespace

TEST(ShelfShade, LevelsOfAWhiteCaption) {
    struct Case {
        TShadeType type;
        int x, y, level;
    };
    using enum TShadeType;
    for (Case c : {Case{stHShade, 0, 2, 132},
                   {stHShade, 5, 0, 192},
                   {stHShade, 9, 3, 240},
                   {stVBump, 4, 0, 250},
                   {stVBump, 4, 1, 199},
                   {stVBump, 4, 2, 191},
                   {stVBump, 4, 3, 184},
                   {stHardBump, 5, 0, 246},
                   {stHardBump, 5, 1, 198},
                   {stHardBump, 9, 3, 184},
                   {stHardBump, 0, 0, 246},
                   {stHardBump, 0, 1, 132},
                   {stHardBump, 0, 3, 132},
                   {stNormal, 3, 3, 255}}) {
        std::vector<uint32_t> pixels = Shaded(c.type, 10, 4);
        ASSERT_EQ(pixels.size(), 40u);
        EXPECT_EQ(pixels[static_cast<size_t>(c.y * 10 + c.x)], Grey(c.level))
            << static_cast<int>(c.type) << " at " << c.x << "," << c.y;
    }
}

TEST(ShelfShade, InverseShadesMirrorTheirPair) {
    const int w = 10, h = 4;
    auto at = [&](const std::vector<uint32_t>& p, int x, int y) {
        return p[static_cast<size_t>(y * w + x)];
    };
    std::vector<uint32_t> hs = Shaded(TShadeType::stHShade, w, h);
    std::vector<uint32_t> hi = Shaded(TShadeType::stHShadeInv, w, h);
    std::vector<uint32_t> vs = Shaded(TShadeType::stVShade, w, h);
    std::vector<uint32_t> vi = Shaded(TShadeType::stVShadeInv, w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 1; x < w; ++x) {
            EXPECT_EQ(at(hi, x, y), at(hs, w - x, y));
        }
    }
    for (int y = 1; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(at(vi, x, y), at(vs, x, h - y));
        }
    }
    EXPECT_LT(at(hs, 1, 0) & 0xFF, at(hi, 1, 0) & 0xFF);
}

TEST(ShelfShade, EverySizeStaysInsideItsBuffer) {
    for (int type = 0; type <= static_cast<int>(TShadeType::stBitmapLStretch); ++type) {
        for (auto [w, h] :
             {std::pair{0, 20}, {180, 0}, {-3, 5}, {5, 20}, {180, 1}, {20, 20}, {1, 1}}) {
            std::vector<uint32_t> pixels = Shaded(static_cast<TShadeType>(type), w, h);
            EXPECT_EQ(pixels.size(), w > 0 && h > 0 ? static_cast<size_t>(w * h) : 0u);
        }
    }
    // A square has no radius to shade along: one plain level.
    std::vector<uint32_t> square = Shaded(TShadeType::stIRadial, 20, 20);
    EXPECT_EQ(square.front(), Grey(255));
    EXPECT_EQ(square.back(), Grey(255));
}

TEST(ShelfCaption, SettersReportShadeAndLookChanges) {
    TShelfCaption caption;
    std::string events;
    caption.OnChange = [&] { events += "C"; };
    caption.OnShadeChange = [&] { events += "S"; };
    caption.SetShadeLight(150);
    EXPECT_EQ(caption.ShadeLight(), 200);
    caption.SetShadeLight(255);
    EXPECT_EQ(caption.ShadeLight(), 255);
    caption.SetColor(clRed);
    caption.SetShadeType(TShadeType::stHardBump);
    EXPECT_EQ(events, "SSSS");
    events.clear();
    caption.SetHeight(24);
    EXPECT_EQ(events, "SC");
    events.clear();
    caption.SetShape(TCaptionShape::csRounded);
    caption.Font().SetColor(clBlue);
    EXPECT_EQ(events, "CC");
}

TEST(ShelfCaption, DrawsItsTextWithTheShortcutMarkRemoved) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({0});
    TShelfPanel& panel = bar.Panels()[0];
    panel.SetCaption("&Binders");
    for (bool veto : {false, true}) {
        bar.OnPanelDraw = [&](TShelfBar&, TShelfPanel&, TCanvas&, const TRect&, bool& draw) {
            draw = !veto;
        };
        TFakeCanvas canvas;
        bar.DrawCaption(canvas, panel, Rect(0, 0, 180, 20));
        if (veto) {
            EXPECT_TRUE(canvas.Calls().empty());
        } else {
            std::vector<TCanvasCall> text = canvas.CallsOf("TextOut");
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.front().Text, "Binders");
            for (const TCanvasCall& call : text) {
                EXPECT_EQ(call.Text.find('&'), std::string::npos);
            }
        }
    }
}
