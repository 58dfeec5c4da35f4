// A metafile costs bounded time and draws nothing outside its rectangle, however it is drawn.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileConversion.h"
#include "tests/support/HostileMetafiles.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <chrono>
#include <cstdlib>
#include <unistd.h>

using namespace hostile_metafile;
using namespace metafile_fixture;

namespace {

// The fixtures with two red rectangles drawn beyond their 200 x 100 windows: one to the right,
// one above and to the left.
std::string EmfDrawingOutside() {
    std::string records = EmfRecord(43, {250, 20, 290, 60}) + EmfRecord(43, {-60, -40, -10, -5});
    std::string emf = Emf();
    const size_t end = emf.size() - 20;
    emf.insert(end, records);
    Patch32(emf, 48, static_cast<uint32_t>(emf.size()));
    Patch32(emf, 52, ReadU32(emf, 52) + 2);
    return emf;
}

std::string WmfDrawingOutside() {
    // Rectangles: bottom, right, top, left.
    std::string records =
        WmfRecord(0x041B, {60, 290, 20, 250}) + WmfRecord(0x041B, {-5, -10, -40, -60});
    std::string wmf = Wmf(true);
    const size_t end = wmf.size() - 6;
    wmf.insert(end, records);
    Patch32(wmf, 22 + 6, static_cast<uint32_t>((wmf.size() - 22) / 2));
    return wmf;
}

// Non-white pixels of `image` outside `inside`.
int PixelsOutside(const QImage& image, const QRect& inside) {
    return CountPixels(image, image.rect(), [](QRgb p) { return p != qRgb(255, 255, 255); }) -
           CountPixels(image, inside, [](QRgb p) { return p != qRgb(255, 255, 255); });
}

} // namespace

TEST(MetafileBounds, NothingIsDrawnOutsideTheRectangle) {
    const std::pair<const char*, std::string> drawings[] = {{"EMF", EmfDrawingOutside()},
                                                            {"WMF", WmfDrawingOutside()}};
    for (const auto& [name, bytes] : drawings) {
        TMetafile metafile;
        metafile.LoadFromBytes(bytes);
        // A 300-dpi surface, as a printer page is: the drawing is played straight onto it.
        QImage page(1200, 700, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            TQtCanvas canvas(&page, 300);
            canvas.StretchDraw(Rect(300, 200, 700, 400), metafile);
        }
        EXPECT_EQ(PixelsOutside(page, QRect(300, 200, 400, 200)), 0) << name;
        // The picture itself is drawn as ever.
        EXPECT_TRUE(IsRed(RectPixel(page, {300, 200, 400, 200}))) << name;
        EXPECT_TRUE(IsBlue(LinePixel(page, {300, 200, 400, 200}))) << name;

        // On a printer's painter, with a clip of the caller's own that is kept afterwards.
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            TQtCanvas canvas(&painter, TSize{1200, 700}, 300, 300);
            canvas.SetClipRect(Rect(0, 0, 1200, 350));
            canvas.StretchDraw(Rect(300, 200, 700, 400), metafile);
            EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 1200, 350)) << name;
        }
        EXPECT_EQ(PixelsOutside(page, QRect(300, 200, 400, 150)), 0) << name;

        // A screen drawing too large to keep as a bitmap is played straight onto it too.
        Surface large(3200, 2400);
        large.Canvas.StretchDraw(Rect(400, 300, 2800, 2100), metafile);
        EXPECT_EQ(PixelsOutside(large.Image, QRect(400, 300, 2400, 1800)), 0) << name;
    }
}

TEST(MetafileBounds, AConversionIsStoppedAndGivesNothing) {
    EXPECT_EQ(ConvertWithinBounds([] { return std::string("<svg/>"); }), "<svg/>");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ConvertWithinBounds([]() -> std::string {
                  while (true) {
                      pause();
                  }
              }),
              "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(ConvertWithinBounds([]() -> std::string { std::abort(); }), "");
    // More text than any picture needs.
    EXPECT_EQ(ConvertWithinBounds([] { return std::string(size_t{97} << 20, ' '); }), "");
}
