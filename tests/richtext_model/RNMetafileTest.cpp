// Metafile pictures in notes: kept through RNF, given units per inch when they come without,
// and exported to HTML as picture files with the metafile's pixels.
#include "RNFTestSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtCanvas.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/model/RNStyle.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/ResourceProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace metafile_fixture;

namespace {

std::unique_ptr<TMetafile> Metafile(const std::string& bytes) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(bytes);
    return metafile;
}

const TGraphic& GraphicOf(const TCustomRNData& data, int item) {
    return *dynamic_cast<const TRNGraphicItemInfo&>(data.GetItem(item)).Image;
}

const TMetafile& PictureOf(const TCustomRNData& data, int item) {
    return dynamic_cast<const TMetafile&>(GraphicOf(data, item));
}

void ExpectDrawn(const TGraphic& metafile, const std::string& what) {
    TBitmap bitmap(300, 150);
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, 300, 150));
    bitmap.Canvas().StretchDraw(Rect(0, 0, 300, 150), metafile);
    TDrawn d{0, 0, 300, 150};
    EXPECT_TRUE(IsRed(RectPixel(bitmap.Image(), d))) << what;
    EXPECT_TRUE(IsBlue(LinePixel(bitmap.Image(), d))) << what;
    EXPECT_EQ(EmptyPixel(bitmap.Image(), d), qRgb(255, 255, 255)) << what;
}

} // namespace

TEST(RNMetafile, RoundTripKeepsBytesAndDrawsTheSamePicture) {
    for (bool binary : {false, true}) {
        TRNStyle sheet;
        TRNPlainRootData doc;
        doc.Style = &sheet;
        doc.RNFOptions.Include(TRNFOption::rnfoSavePicturesBody);
        doc.RNFOptions =
            binary ? doc.RNFOptions | TRNFOptions::FromBits(0).Include(TRNFOption::rnfoSaveBinary)
                   : doc.RNFOptions - TRNFOptions::FromBits(0).Include(TRNFOption::rnfoSaveBinary);
        doc.AddPictureEx("wmf", Metafile(Wmf(true)), 0, TRNVAlign::rnvaBaseline);
        doc.AddPictureEx("bare", Metafile(Wmf(false)), -1, TRNVAlign::rnvaBaseline);
        doc.AddPictureEx("emf", Metafile(Emf()), -1, TRNVAlign::rnvaMiddle);
        bool saved = false;
        const std::string note = SaveNote(doc, &saved);
        ASSERT_TRUE(saved);

        TRNPlainRootData back;
        back.Style = &sheet;
        back.RNFOptions = doc.RNFOptions;
        ASSERT_TRUE(LoadNote(back, note));
        ASSERT_EQ(back.ItemCount(), 3);
        EXPECT_EQ(PictureOf(back, 0).SaveToBytes(), Wmf(true));
        EXPECT_EQ(PictureOf(back, 1).SaveToBytes(), Wmf(false));
        EXPECT_EQ(PictureOf(back, 2).SaveToBytes(), Emf());
        // A placeable metafile keeps its own units per inch; those that came without get
        // 1440, and the bare one its size from them.
        EXPECT_EQ(PictureOf(back, 0).Inch(), 192);
        EXPECT_EQ(PictureOf(back, 1).Inch(), 1440);
        EXPECT_EQ(PictureOf(back, 1).Width(), 13);
        EXPECT_EQ(PictureOf(back, 2).Inch(), 1440);
        for (int i = 0; i < 3; ++i) {
            ExpectDrawn(PictureOf(back, i), "item " + std::to_string(i));
        }
        // Written again, the note is the same bytes.
        EXPECT_EQ(SaveNote(back), note);
    }
}

TEST(RNMetafile, DamagedMetafileInANoteFailsTheLoad) {
    TRNStyle sheet;
    TRNPlainRootData doc;
    doc.Style = &sheet;
    doc.RNFOptions.Include(TRNFOption::rnfoSavePicturesBody);
    doc.RNFOptions = doc.RNFOptions - TRNFOptions::FromBits(0).Include(TRNFOption::rnfoSaveBinary);
    doc.AddPictureEx("emf", Metafile(Emf()), 0, TRNVAlign::rnvaBaseline);
    std::string note = SaveNote(doc);
    // The note holds the metafile as hexadecimal text: its first record is made to claim
    // 100000 bytes.
    std::string damaged = Emf();
    damaged.replace(92, 4, std::string("\xA0\x86\x01\x00", 4));
    const size_t at = note.find(RNFBytes2TextString(Emf()));
    ASSERT_NE(at, std::string::npos);
    note.replace(at, Emf().size() * 2, RNFBytes2TextString(damaged));
    TRNPlainRootData back;
    back.Style = &sheet;
    EXPECT_FALSE(LoadNote(back, note));
}

TEST(RNMetafile, HtmlExportWritesThePicturesPixels) {
    TempDir dir;
    TRNStyle sheet;
    TRNPlainRootData doc;
    doc.Style = &sheet;
    doc.AddPictureEx("", Metafile(Emf()), 0, TRNVAlign::rnvaBaseline);
    doc.AddPictureEx("", Metafile(Wmf(true)), -1, TRNVAlign::rnvaBaseline);
    TMemoryStream stream;
    int imageNo = 0;
    TColor current = clWhite;
    ASSERT_TRUE(doc.SaveHTMLToStreamEx(stream, dir.Str() + "/", "T", "img", "", "", "cp", {},
                                       clWhite, current, imageNo, 0, 0, 0, 0, nullptr, nullptr));
    const std::string html = stream.Bytes();
    EXPECT_NE(html.find("src=\"img1.jpg\""), std::string::npos) << html;
    EXPECT_NE(html.find("src=\"img2.jpg\""), std::string::npos) << html;
    // JPEG keeps colours only nearly: each looked-at pixel is within a small distance of the
    // same metafile drawn straight into a bitmap, and of the colour the metafile draws there.
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 72 && std::abs(qGreen(a) - qGreen(b)) < 72 &&
               std::abs(qBlue(a) - qBlue(b)) < 72;
    };
    const std::pair<const char*, std::string> files[] = {{"img1.jpg", Emf()},
                                                         {"img2.jpg", Wmf(true)}};
    for (const auto& [file, bytes] : files) {
        QImage image((dir.Str() + "/" + file).c_str());
        ASSERT_FALSE(image.isNull()) << file;
        auto metafile = Metafile(bytes);
        EXPECT_EQ(image.size(), QSize(metafile->Width(), metafile->Height())) << file;
        TBitmap direct(metafile->Width(), metafile->Height());
        direct.Canvas().Brush().SetColor(clWhite);
        direct.Canvas().FillRect(Rect(0, 0, direct.Width(), direct.Height()));
        direct.Canvas().Draw(0, 0, *metafile);
        TDrawn d{0, 0, image.width(), image.height()};
        EXPECT_TRUE(near(RectPixel(image, d), qRgb(255, 0, 0))) << file;
        EXPECT_TRUE(near(LinePixel(image, d), qRgb(0, 0, 255))) << file;
        EXPECT_TRUE(near(EmptyPixel(image, d), qRgb(255, 255, 255))) << file;
        for (auto pick : {RectPixel, LinePixel, EmptyPixel}) {
            EXPECT_TRUE(near(pick(image, d), pick(direct.Image(), d))) << file;
        }
    }
}

TEST(RNMetafile, RtfRoundTripKeepsTheDrawing) {
    // RTF carries metafiles as metafiles: read back, each is one metafile of its kind and
    // size, and the ones large enough to show the shapes draw them. A Windows metafile
    // without a placeable header has only a few pixels.
    int drawn = 0;
    for (const std::string& bytes : {Wmf(true), Wmf(false), Emf()}) {
        TRNStyle sheet;
        TRNRTFReaderProperties props;
        TRNPlainRootData doc;
        doc.Style = &sheet;
        doc.RTFProperties = &props;
        doc.AddPictureEx("", Metafile(bytes), 0, TRNVAlign::rnvaBaseline);
        const TGraphic& sent = GraphicOf(doc, 0);
        TMemoryStream rtf;
        ASSERT_TRUE(
            doc.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, 0));
        rtf.SetPosition(0);
        TRNPlainRootData back;
        back.Style = &sheet;
        back.RTFProperties = &props;
        ASSERT_EQ(back.LoadRTFFromStream(rtf), TRNRTFErrorCode::rtf_ec_OK);
        int pictures = 0;
        for (int i = 0; i < back.ItemCount(); ++i) {
            if (dynamic_cast<const TRNGraphicItemInfo*>(&back.GetItem(i))) {
                const TGraphic& received = GraphicOf(back, i);
                const std::string what = "RTF item of " + std::to_string(bytes.size()) + " bytes";
                const auto* metafile = dynamic_cast<const TMetafile*>(&received);
                ASSERT_NE(metafile, nullptr) << what;
                EXPECT_EQ(metafile->Enhanced(), PictureOf(doc, 0).Enhanced()) << what;
                EXPECT_EQ(received.Width(), sent.Width()) << what;
                EXPECT_EQ(received.Height(), sent.Height()) << what;
                if (received.Width() >= 100) {
                    ExpectDrawn(received, what);
                    ++drawn;
                }
                ++pictures;
            }
        }
        EXPECT_EQ(pictures, 1);
    }
    EXPECT_EQ(drawn, 2);
}

namespace {

// Draws every picture of `data` as the screen and a 300-dpi page first draw it.
int DrawPictures(const TCustomRNData& data) {
    int pictures = 0;
    for (int i = 0; i < data.ItemCount(); ++i) {
        if (const auto* item = dynamic_cast<const TRNGraphicItemInfo*>(&data.GetItem(i))) {
            TBitmap bitmap(120, 90);
            bitmap.Canvas().StretchDraw(Rect(0, 0, 120, 90), *item->Image);
            QImage page(400, 300, QImage::Format_RGB32);
            QPainter painter(&page);
            TQtCanvas canvas(&painter, TSize{400, 300}, 300, 300);
            canvas.StretchDraw(Rect(0, 0, 400, 300), *item->Image);
            ++pictures;
        }
    }
    return pictures;
}

} // namespace

TEST(RNMetafile, HostileWindowsMetafilesInNotesAndRtfCostLittle) {
    for (const hostile_metafile::THostile& hostile : hostile_metafile::HostileWmfs()) {
        SCOPED_TRACE(hostile.Name);
        // A note as the editor writes it, its picture's bytes swapped for the hostile ones.
        TNotesDocument doc;
        doc.AddNL("before", 0, 0);
        const std::string sound = SoundWmfOfSize(hostile.Bytes.size());
        doc.AddPictureEx("", Metafile(sound), -1, TRNVAlign::rnvaBaseline);
        doc.AddNL("after", 0, -1);
        std::string note = SaveNote(doc);
        const size_t at = note.find(sound);
        ASSERT_NE(at, std::string::npos);
        note.replace(at, sound.size(), hostile.Bytes);
        {
            TResourceProbe probe;
            ASSERT_TRUE(probe.PeakReset());
            TNotesDocument back;
            LoadNote(back, note);
            DrawPictures(back);
            EXPECT_LT(probe.CpuMillis(), 2000);
            EXPECT_LT(probe.PeakGrowthMb(), 300);
        }

        // The same bytes as an RTF picture, read as the editor reads RTF.
        const std::string rtf =
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 before{\\pict\\wmetafile8"
            "\\picw2646\\pich2646\\picwgoal1500\\pichgoal1500 " +
            RNFBytes2TextString(hostile.Bytes) + "}after\\par}";
        TResourceProbe probe;
        TNotesDocument read;
        TRNRTFReaderProperties props;
        SetUpNotesRTFReader(props);
        read.RTFProperties = &props;
        LoadRTFBytes(read, rtf);
        DrawPictures(read);
        EXPECT_LT(probe.CpuMillis(), 2000);
        EXPECT_LT(probe.PeakGrowthMb(), 300);
    }
}
