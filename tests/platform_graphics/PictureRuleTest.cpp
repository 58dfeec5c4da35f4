// The rule the picture fuzz targets check for every input: a drawing that changes a pixel just
// outside its rectangle, on the screen or on a page, is found and named, and so is a picture
// that held more memory than any may; a picture that keeps to the rule is not.
#include "platform/graphics/Canvas.h"
#include "tests/support/PictureFuzz.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

using picture_rule::Margin;

// A picture of 40 x 30 pixels whose bytes say what its drawing does: "fill" fills its
// rectangle; "spill <side> <ppi>" fills it one pixel wider on that side (left, top, right,
// bottom) when the surface has `ppi` pixels per inch; "hold <MB> [<size>]" holds that much
// memory while it draws, and is `size` pixels square when given. Other bytes are refused.
class TRulePicture : public TGraphic {
public:
    std::string ClassName() const override { return "TRulePicture"; }
    bool Empty() const override { return does_.empty(); }
    int Width() const override { return size_ ? size_ : 40; }
    int Height() const override { return size_ ? size_ : 30; }
    void Draw(TCanvas& canvas, const TRect& r) const override {
        TRect filled = r;
        char side[8] = {};
        int ppi = 0;
        int mb = 0;
        if (std::sscanf(does_.c_str(), "spill %7s %d", side, &ppi) == 2 &&
            canvas.PixelsPerInchX() == ppi) {
            const std::string s = side;
            filled.Left -= s == "left";
            filled.Top -= s == "top";
            filled.Right += s == "right";
            filled.Bottom += s == "bottom";
        } else if (std::sscanf(does_.c_str(), "hold %d", &mb) == 1) {
            std::vector<char> held(static_cast<size_t>(mb) << 20, '\1');
            filled.Right -= held[held.size() / 2] - '\1'; // 0, once the memory is really held
        }
        canvas.Brush().SetColor(clRed);
        canvas.FillRect(filled);
    }
    void LoadFromBytes(std::string_view bytes) override {
        if (bytes != "fill" && bytes.rfind("spill ", 0) != 0 && bytes.rfind("hold ", 0) != 0) {
            throw EInvalidGraphic("not a rule picture");
        }
        does_ = bytes;
        int mb = 0;
        size_ = 0;
        std::sscanf(does_.c_str(), "hold %d %d", &mb, &size_);
    }
    std::string SaveToBytes() const override { return does_; }
    std::unique_ptr<TGraphic> Clone() const override {
        return std::make_unique<TRulePicture>(*this);
    }

private:
    std::string does_;
    int size_ = 0;
};

std::string Checked(const std::string& does, bool wanted = true) {
    return LoadAndDrawWithinRule<TRulePicture>(does,
                                               [wanted](const TRulePicture&) { return wanted; });
}

// What the rule check says of a drawing `width` x `height` pixels large `where` that changed the
// pixel (x, y) first.
std::string Changed(const char* where, int width, int height, int x, int y) {
    auto point = [](int px, int py) {
        return "(" + std::to_string(px) + ", " + std::to_string(py) + ")";
    };
    return "drawn " + std::to_string(width) + "x" + std::to_string(height) + " " + where +
           ", it changed the pixel " + point(x, y) + " outside its rectangle " +
           point(Margin, Margin) + "-" + point(Margin + width, Margin + height);
}

} // namespace

TEST(PictureRule, APixelChangedJustOutsideTheRectangleIsFoundOnEachSide) {
    EXPECT_EQ(Checked("fill"), "");
    // On the page, 300 pixels to the inch, the picture is 125 x 93 pixels.
    const int pageWidth = 40 * 300 / 96;
    const int pageHeight = 30 * 300 / 96;
    struct TSpill {
        const char* Side;
        // The first pixel changed, row by row, on the screen and on the page.
        int X, Y, PageX, PageY;
    } spills[] = {
        {"left", Margin - 1, Margin, Margin - 1, Margin},
        {"top", Margin, Margin - 1, Margin, Margin - 1},
        {"right", Margin + 40, Margin, Margin + pageWidth, Margin},
        {"bottom", Margin, Margin + 30, Margin, Margin + pageHeight},
    };
    for (const TSpill& spill : spills) {
        SCOPED_TRACE(spill.Side);
        EXPECT_EQ(Checked(std::string("spill ") + spill.Side + " 96"),
                  Changed("on the screen", 40, 30, spill.X, spill.Y));
        EXPECT_EQ(Checked(std::string("spill ") + spill.Side + " 300"),
                  Changed("on a page", pageWidth, pageHeight, spill.PageX, spill.PageY));
    }
    // Refused bytes and pictures a target does not take are not drawn.
    EXPECT_EQ(Checked("spill left 96", false), "");
    EXPECT_EQ(Checked("nothing"), "");
}

TEST(PictureRule, APictureThatHeldMoreMemoryThanAnyMayIsFound) {
    if (!picture_rule::MemoryCounted()) {
        GTEST_SKIP() << "the thread checker's shadow memory stands in the resident memory";
    }
    using picture_rule::InputGrowthMb;
    const std::string found = Checked("hold " + std::to_string(InputGrowthMb + 16));
    EXPECT_NE(found.find("more memory, more than " + std::to_string(InputGrowthMb) + " MB"),
              std::string::npos)
        << found;
    EXPECT_EQ(Checked("hold 16"), "");
    // A picture of 4,096 x 4,096 pixels may hold its own 64 MB besides.
    EXPECT_EQ(Checked("hold " + std::to_string(InputGrowthMb + 16) + " 4096"), "");
    const std::string large = Checked("hold " + std::to_string(InputGrowthMb + 80) + " 4096");
    EXPECT_NE(large.find("more memory, more than " + std::to_string(InputGrowthMb + 64) + " MB"),
              std::string::npos)
        << large;
}
