// An image pasted from the clipboard as a JPEG alone is decoded by the program's own decoder,
// within a picture's bounds: Qt's took seconds over a progressive image of hundreds of scans, the
// window held all the while.
#include "platform/base/CpuTime.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PictureBudget.h"
#include "platform/widgets/Clipboard.h"
#include "tests/support/ProgressiveJpeg.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {

void OfferJpeg(const std::string& bytes) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/jpeg"),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

TEST(ClipboardImage, AJpegAloneIsDecodedWithinAPicturesBounds) {
    QImage plain(40, 30, QImage::Format_RGB32);
    plain.fill(qRgb(0, 0, 200));
    const std::string small = EncodeJpeg(plain, 90);
    OfferJpeg(small);
    QImage decoded;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(small, decoded, error));
    EXPECT_EQ(TClipboard::GetImage(), decoded);

    // 3,000 x 3,000 pixels in 704 scans, arithmetic coded: Qt decodes it whole, in seconds, and our
    // decoder would need several times a picture's time for it.
    const std::string hostile = progressive_jpeg::Encoded(3000, 704, true);
    ASSERT_FALSE(QImage::fromData(QByteArray::fromStdString(hostile), "JPEG").isNull());
    OfferJpeg(hostile);
    const int64_t cpu = ThreadCpuMicros();
    EXPECT_TRUE(TClipboard::GetImage().isNull());
    // Its three components at full resolution earn it more than a picture's base time; it is
    // ended at what they earn.
    const int64_t earned = PhotoCpuMillis(uint64_t{3000} * 3000 * 3);
    EXPECT_LT(ThreadCpuMicros() - cpu, (earned + 500) * 1000);
}
