// The record walk that checks a Windows metafile when it is loaded and the player agree on
// where the metafile ends; the header's fields are checked against the file; a frame without
// units per inch gets the default.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PictureFuzz.h"
#include "tests/support/ResourceProbe.h"

#include <gtest/gtest.h>

using namespace metafile_fixture;

namespace {

// A 100 x 100 window with a solid brush of `rgb` selected in slot 0, no pen.
std::string Start(uint32_t rgb) {
    return WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {100, 100}) +
           WmfRecord(0x02FA, {5, 0, 0, 0, 0}) + WmfRecord(0x012D, {0}) +
           WmfRecord(0x02FC, {0, ColourLow(rgb), ColourHigh(rgb), 0}) + WmfRecord(0x012D, {1});
}

std::string Rectangle(int left, int top, int right, int bottom) {
    return WmfRecord(0x041B, {bottom, right, top, left});
}

QImage Drawn(const std::string& bytes) {
    TMetafile metafile;
    metafile.LoadFromBytes(bytes);
    Surface s(100, 100);
    s.Canvas.StretchDraw(Rect(0, 0, 100, 100), metafile);
    return s.Image;
}

} // namespace

TEST(WmfRecordWalk, AnEndRecordOfAnySizeEndsTheMetafileForWalkAndPlayer) {
    // An end record of 5 words, then records that would draw: they are not part of the
    // metafile, neither checked nor drawn. Among them a bitmap of 0 x 2,139,062,143 pixels.
    const std::string longEnd = WmfRecord(0x0000, {0, 0});
    const std::string after = Start(0x00AA00) + Rectangle(0, 0, 100, 100) +
                              hostile_metafile::WmfStretchedBitmap(0, 0x7F7F7F7F, 8);
    const std::string wmf = WmfOf(Start(0xCC2222) + Rectangle(10, 10, 50, 50) + longEnd + after);
    const TResourceProbe probe;
    const QImage image = Drawn(wmf);
    EXPECT_LT(probe.CpuMillis(), 2000);
    EXPECT_EQ(image.pixel(30, 30), qRgb(0xCC, 0x22, 0x22));
    EXPECT_EQ(image.pixel(80, 80), qRgb(255, 255, 255));

    // The same records after a 3-word end record: the same picture.
    EXPECT_EQ(Drawn(WmfOf(Start(0xCC2222) + Rectangle(10, 10, 50, 50) + WmfRecord(0, {}) + after)),
              image);
    // An end record reaching past the bytes is no end record.
    const std::string cut = WmfOf(Start(0xCC2222) + WmfRecord(0x0000, {0, 0}), 16, false);
    TMetafile metafile;
    EXPECT_THROW(metafile.LoadFromBytes(cut.substr(0, cut.size() - 2)), EInvalidGraphic);
}

TEST(WmfRecordWalk, TheLargestRecordTheHeaderDeclaresMustFitTheFile) {
    std::string wmf = WmfOf(Start(0x003399) + Rectangle(0, 0, 100, 100));
    TMetafile metafile;
    ASSERT_NO_THROW(metafile.LoadFromBytes(wmf));
    // 0x7FFFFFFF words: 4.3 GB for a reader that sizes its buffer by it.
    for (uint32_t largest : {0x7FFFFFFFu, static_cast<uint32_t>(wmf.size())}) {
        std::string field;
        WriteU32(field, largest);
        std::string hostile = wmf;
        hostile.replace(12, 4, field);
        EXPECT_THROW(metafile.LoadFromBytes(hostile), EInvalidGraphic) << largest;
        EXPECT_EQ(metafile.SaveToBytes(), wmf);
    }
    // A field no larger than the file is kept, whatever the records' own sizes.
    std::string small = wmf;
    small.replace(12, 4, std::string("\x03\x00\x00\x00", 4));
    EXPECT_NO_THROW(metafile.LoadFromBytes(small));
}

TEST(WmfRecordWalk, BlockTransfersWithoutABitmapAreFills) {
    // A copy and a stretch that carry no bitmap: blackness over the left half, whiteness over
    // a corner of it.
    const std::string records = Start(0xFFE08A) + Rectangle(0, 0, 100, 100) +
                                WmfRecord(0x0940, {0x0042, 0x0000, 0, 0, 0, 100, 50, 0, 0}) +
                                WmfRecord(0x0B41, {0x0062, 0x00FF, 0, 0, 0, 0, 0, 20, 20, 0, 0});
    const QImage image = Drawn(WmfOf(records));
    EXPECT_EQ(image.pixel(30, 50), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(75, 50), qRgb(0xFF, 0xE0, 0x8A));
}

TEST(WmfRecordWalk, APlaceableFrameWithoutUnitsPerInchGetsTheDefault) {
    const std::string body = WmfOf(Start(0xCC2222) + Rectangle(0, 0, 100, 100));
    const std::string wmf = PlaceableWmf(body, 0, 0, 2880, 1440, 0);
    TMetafile metafile;
    metafile.LoadFromBytes(wmf);
    EXPECT_TRUE(metafile.Placeable());
    EXPECT_EQ(metafile.Inch(), 1440);
    EXPECT_EQ(metafile.Width(), 192); // two inches
    EXPECT_EQ(metafile.Height(), 96);
    EXPECT_EQ(metafile.SaveToBytes(), wmf);
    Surface s(192, 96);
    s.Canvas.Draw(0, 0, metafile);
    EXPECT_EQ(s.Pixel(96, 48), qRgb(0xCC, 0x22, 0x22));
}

TEST(WmfRecordWalk, HostileMetafilesCostLittleToLoadAndDraw) {
    for (const hostile_metafile::THostile& hostile : hostile_metafile::HostileWmfs()) {
        SCOPED_TRACE(hostile.Name);
        TResourceProbe probe;
        ASSERT_TRUE(probe.PeakReset());
        EXPECT_EQ(LoadAndDrawMetafile(hostile.Bytes), "");
        EXPECT_LT(probe.CpuMillis(), 2000);
        EXPECT_LT(probe.PeakGrowthMb(), 300);
    }
}
