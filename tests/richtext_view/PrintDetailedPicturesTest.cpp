// A drawing of 476,000 records and a progressive photo of 64 megapixels, each in a note: the print
// preview's page and the page printed into a PDF file show the picture, not its frame. Read back
// at 50 dpi with pdftoppm, the printed page is mostly the picture's colours.
#include "tests/richtext_view/PrintFixture.h"

#include "platform/graphics/Bitmap.h"
#include "tests/support/DetailedPictures.h"
#include "tests/support/RunText.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>

using namespace detailed_pictures;

TEST(PrintDetailedPictures, ADetailedDrawingAndALargeProgressivePhotoArePreviewedAndPrinted) {
    for (const std::string* bytes :
         {&Drawing(), &ProgressivePhoto(), &FullColourProgressivePhoto()}) {
        SCOPED_TRACE(LoadedPicture(*bytes)->ClassName());
        {
            PrintedNote n;
            n.Source.AddPictureEx("", LoadedPicture(*bytes), 0, TRNVAlign::rnvaBaseline);
            ASSERT_GE(n.Format(), 1);
            TBitmap page;
            n.Print.MakePreview(1, page);
            const QImage image = page.Image().convertToFormat(QImage::Format_RGB32);
            EXPECT_GT(ColouredShare(image, image.rect()), 0.3);
        }
        PdfNote pdf;
        pdf.Source.AddPictureEx("", LoadedPicture(*bytes), 0, TRNVAlign::rnvaBaseline);
        pdf.Print.AssignSource(pdf.Source);
        ASSERT_GE(pdf.Print.FormatPages(), 1);
        pdf.Print.Print("Detailed", 1, false);
        const std::string stem = (pdf.Dir / "page").string();
        RunText("pdftoppm -r 50 -f 1 -l 1 -png -singlefile '" + pdf.File + "' '" + stem + "'");
        const QImage page =
            QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(page.isNull());
        EXPECT_GT(ColouredShare(page, page.rect()), 0.3);
    }
}
