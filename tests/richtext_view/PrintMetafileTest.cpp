// A metafile picture on a printed page: the preview's page image shows the picture's shapes
// at the printed size, not a frame. On the printer an enhanced metafile is drawn from an image
// prepared at the printer's size, a Windows metafile is played straight onto it.
#include "tests/richtext_view/PrintFixture.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtCanvas.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/RunText.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

using namespace metafile_fixture;

namespace {

// A placeable Windows metafile of 384 x 256 screen pixels (30,000 x 20,000 units): a pale ground,
// then discs in its middle, each a polygon of `corners` corners, of the radii (in units) and
// colours (0xRRGGBB) given, one over the other. The largest keeps off the ground's edges.
const QRgb Ground = qRgb(0xFF, 0xF4, 0xD6);
std::string DiscsWmf(const std::vector<std::pair<int, uint32_t>>& discs, int corners) {
    auto brush = [](uint32_t rgb) {
        return WmfRecord(0x02FC, {0, ColourLow(rgb), ColourHigh(rgb), 0}) + WmfRecord(0x012D, {1});
    };
    std::string records = WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {20000, 30000}) +
                          WmfRecord(0x02FA, {5, 0, 0, 0, 0}) + WmfRecord(0x012D, {0}) +
                          brush(Ground & 0xFFFFFF) + WmfRecord(0x041B, {20000, 30000, 0, 0});
    for (const auto& [radius, colour] : discs) {
        std::string params;
        WriteU16(params, static_cast<uint32_t>(corners));
        for (int i = 0; i < corners; ++i) {
            const double angle = 2 * std::numbers::pi * i / corners;
            WriteU16(params, static_cast<uint32_t>(std::lround(15000 + radius * std::cos(angle))));
            WriteU16(params, static_cast<uint32_t>(std::lround(10000 + radius * std::sin(angle))));
        }
        records += WmfRecord(0x01F0, {1}) + brush(colour) + WmfRecordBytes(0x0324, params);
    }
    return PlaceableWmf(WmfOf(records, 2), 0, 0, 30000, 20000, 7500);
}

// Whether the channels of two colours are each at most `apart` apart.
bool Near(QRgb a, QRgb b, int apart) {
    return std::abs(qRed(a) - qRed(b)) <= apart && std::abs(qGreen(a) - qGreen(b)) <= apart &&
           std::abs(qBlue(a) - qBlue(b)) <= apart;
}

} // namespace

TEST(PrintMetafile, PreviewPageImageShowsTheMetafile) {
    for (const std::string& bytes : {Wmf(true), Emf()}) {
        PrintedNote n;
        n.AddLines(1);
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromBytes(bytes);
        const int width = metafile->Width();
        n.Source.AddPictureEx("", std::move(metafile), 0, TRNVAlign::rnvaBaseline);
        n.AddLines(1, 2);
        ASSERT_EQ(n.Format(), 1);
        TBitmap page;
        n.Print.MakePreview(1, page);
        const QImage image = page.Image().convertToFormat(QImage::Format_RGB32);
        // The red rectangle covers units 10..90 of 200 across and 10..80 of 100 down: its
        // bounds give where the picture lies and how large it was printed.
        QRect red;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (IsRed(image.pixel(x, y))) {
                    red |= QRect(x, y, 1, 1);
                }
            }
        }
        ASSERT_FALSE(red.isEmpty());
        const double sx = red.width() / 80.0;
        const double sy = red.height() / 70.0;
        // Printed at the picture's own size: the page is at screen resolution here.
        EXPECT_NEAR(sx * 200, width, width * 0.08); // the black border is not red
        const TDrawn drawn{static_cast<int>(red.left() - 10 * sx),
                           static_cast<int>(red.top() - 10 * sy), static_cast<int>(200 * sx),
                           static_cast<int>(100 * sy)};
        EXPECT_TRUE(IsBlue(LinePixel(image, drawn))) << std::hex << LinePixel(image, drawn);
        EXPECT_EQ(EmptyPixel(image, drawn), qRgb(255, 255, 255));
    }
}

TEST(PrintMetafile, APrinterGetsAnEnhancedMetafilePreparedAtItsSizeAndAWindowsMetafilePlayed) {
    PrintedNote n;
    n.AddLines(1);
    for (const std::string& bytes : {Emf(), Wmf(true)}) {
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromBytes(bytes);
        n.Source.AddPictureEx("", std::move(metafile), 0, TRNVAlign::rnvaBaseline);
    }
    ASSERT_GE(n.Format(), 1);
    n.Print.Print("pictures", 1, false);
    TMetafile emf;
    emf.LoadFromBytes(Emf());
    // 600 pixels to the inch: the picture's screen pixels at 96.
    ASSERT_EQ(n.Device->Images.size(), 1u);
    EXPECT_EQ(n.Device->Images[0].Size, (TSize{emf.Width() * 600 / 96, emf.Height() * 600 / 96}));
    EXPECT_EQ(n.Device->Images[0].Rect.Width(), emf.Width() * 600 / 96);
    EXPECT_EQ(n.Device->Painted, std::vector<std::string>{"Metafile"});
}

// A Windows metafile of 200,000 edges, more than a page takes drawn straight onto it, printed to
// a PDF file as Print prints: the page gets the picture's image, whole (once, its first 150,000
// edges were drawn, without the red disc, and the frame over them). Read at 300 dpi, the page
// shows what the preparer draws at that size, and no frame's grey line around it.
TEST(PrintMetafile, AWindowsMetafileOfMoreEdgesThanAPageTakesIsPrintedWholeAsItsImage) {
    std::vector<std::pair<int, uint32_t>> discs(6, {9000, 0x1F77B4});
    discs.insert(discs.end(), 2, {4500, 0xD62728});
    const std::string bytes = DiscsWmf(discs, 25000);
    PdfNote pdf;
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(bytes);
    pdf.Source.AddPictureEx("", std::move(metafile), 0, TRNVAlign::rnvaBaseline);
    pdf.Print.AssignSource(pdf.Source);
    ASSERT_EQ(pdf.Print.FormatPages(), 1);
    pdf.Print.Print("Discs", 1, false);
    const std::string& file = pdf.File;
    const std::string stem = (pdf.Dir / "page").string();
    RunText("pdftoppm -r 300 -png -singlefile '" + file + "' '" + stem + "'");
    const QImage page =
        QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    // Where the picture lies: the box of its ground.
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (Near(page.pixel(x, y), Ground, 4)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    // 4 by 2.67 inches.
    ASSERT_NEAR(box.width(), 1200, 3);
    ASSERT_NEAR(box.height(), 800, 3);
    TMetafile picture;
    picture.LoadFromBytes(bytes);
    TBitmap prepared(box.width(), box.height());
    prepared.Canvas().Brush().SetColor(clWhite);
    prepared.Canvas().FillRect(Rect(0, 0, box.width(), box.height()));
    prepared.Canvas().StretchDraw(Rect(0, 0, box.width(), box.height()), picture);
    const QImage expected = prepared.Image().convertToFormat(QImage::Format_RGB32);
    int alike = 0;
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            alike += Near(page.pixel(box.left() + x, box.top() + y), expected.pixel(x, y), 16);
        }
    }
    EXPECT_GE(alike, box.width() * box.height() * 99 / 100);
    // Around the picture and along its edge: the ground, or the ground blended with the white
    // page, never darkened by a grey line.
    const QRect around = box.adjusted(-2, -2, 2, 2);
    int darkened = 0;
    for (int y = around.top(); y <= around.bottom(); ++y) {
        for (int x = around.left(); x <= around.right(); ++x) {
            if (!box.adjusted(3, 3, -3, -3).contains(x, y)) {
                const QRgb p = page.pixel(x, y);
                darkened += qRed(p) < qRed(Ground) - 16 || qGreen(p) < qGreen(Ground) - 16 ||
                            qBlue(p) < qBlue(Ground) - 16;
            }
        }
    }
    EXPECT_EQ(darkened, 0);
    // Nothing of a play straight onto the page is on it: one image, and no figure but the page's
    // white.
    const std::string svg = RunText("pdftocairo -svg '" + file + "' -");
    int images = 0;
    int figures = 0;
    for (size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        const std::string element = svg.substr(at, svg.find('>', at) - at);
        images += element.rfind("<image", 0) == 0;
        figures += element.rfind("<path", 0) == 0 &&
                   element.find("fill:rgb(100%,100%,100%)") == std::string::npos;
    }
    EXPECT_EQ(images, 1);
    EXPECT_EQ(figures, 0);
}
