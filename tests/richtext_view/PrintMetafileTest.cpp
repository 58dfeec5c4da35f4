// A metafile picture on a printed page: the preview's page image shows the picture's shapes
// at the printed size, not a frame. On the printer an enhanced metafile is drawn from an image
// prepared at the printer's size, a Windows metafile is played straight onto it.
#include "tests/richtext_view/PrintFixture.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "tests/support/MetafileFixtures.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace metafile_fixture;

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
