// A metafile draws nothing outside its rectangle, whichever way it is drawn.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "tests/support/HostileMetafiles.h"

#include <gtest/gtest.h>

using namespace hostile_metafile;
using namespace metafile_fixture;

namespace {

// The fixtures with red rectangles beyond their 200 x 100 windows: right, and above left.
std::string EmfDrawingOutside() {
    std::string emf = Emf();
    emf.insert(emf.size() - 20,
               EmfRecord(43, {250, 20, 290, 60}) + EmfRecord(43, {-60, -40, -10, -5}));
    Patch32(emf, 48, static_cast<uint32_t>(emf.size()));
    Patch32(emf, 52, ReadU32(emf, 52) + 2);
    return emf;
}

std::string WmfDrawingOutside() {
    std::string wmf = Wmf(true); // rectangles: bottom, right, top, left
    wmf.insert(wmf.size() - 6,
               WmfRecord(0x041B, {60, 290, 20, 250}) + WmfRecord(0x041B, {-5, -10, -40, -60}));
    Patch32(wmf, 22 + 6, static_cast<uint32_t>((wmf.size() - 22) / 2));
    return wmf;
}

int PixelsDrawnOutside(const QImage& image, const QRect& inside) {
    auto drawn = [](QRgb p) { return p != qRgb(255, 255, 255); };
    return CountPixels(image, image.rect(), drawn) - CountPixels(image, inside, drawn);
}

} // namespace

TEST(MetafileBounds, NothingIsDrawnOutsideTheRectangle) {
    for (const std::string& bytes : {EmfDrawingOutside(), WmfDrawingOutside()}) {
        TMetafile metafile;
        metafile.LoadFromBytes(bytes);
        const std::string name = metafile.Enhanced() ? "EMF" : "WMF";
        // A 300-dpi surface, as a printer page is: the records are played straight onto it.
        QImage page(1200, 700, QImage::Format_RGB32);
        page.fill(Qt::white);
        TQtCanvas canvas(&page, 300);
        canvas.StretchDraw(Rect(300, 200, 700, 400), metafile);
        EXPECT_EQ(PixelsDrawnOutside(page, QRect(300, 200, 400, 200)), 0) << name;
        EXPECT_TRUE(IsRed(RectPixel(page, {300, 200, 400, 200}))) << name;
        EXPECT_TRUE(IsBlue(LinePixel(page, {300, 200, 400, 200}))) << name;
        EXPECT_FALSE(canvas.HasClip()) << name; // the caller's clip is as it was

        // So is a screen drawing too large to keep as a bitmap.
        Surface large(3200, 2400);
        large.Canvas.StretchDraw(Rect(400, 300, 2800, 2100), metafile);
        EXPECT_EQ(PixelsDrawnOutside(large.Image, QRect(400, 300, 2400, 1800)), 0) << name;
    }
}
