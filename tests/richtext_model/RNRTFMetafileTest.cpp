// Metafiles through RTF: written as their own records (an enhanced one whole, a Windows one
// without its placeable header), read back as the same pictures, and never blown up into
// bitmaps. Each case runs with the defaults and as the notes editor reads and writes RTF.
#include "RNFTestSupport.h"
#include "RTFFixtures.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/TempDir.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"

#include <gtest/gtest.h>

namespace {

using EC = TRNRTFErrorCode;

// The drawing LibreOffice saved as a placeable Windows metafile and as an enhanced one.
std::string LoWmf() {
    return ReadFileBytes(FixturePath("rtf/lo-drawing.wmf"));
}
std::string LoEmf() {
    return ReadFileBytes(FixturePath("rtf/lo-drawing.emf"));
}

std::unique_ptr<TMetafile> Metafile(const std::string& bytes) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(bytes);
    return metafile;
}

// A document that reads and writes RTF with the defaults, or as the notes editor does.
struct RtfDoc {
    TNotesDocument data;
    TRNRTFReaderProperties props;
    explicit RtfDoc(bool notes) : data(notes) {
        if (notes) {
            data.Options = NotesDocumentOptions();
            data.RTFOptions = NotesRTFOptions();
            SetUpNotesRTFReader(props);
        }
        data.RTFProperties = &props;
    }
    EC Load(const std::string& rtf) { return LoadRTFBytes(data, rtf); }
    // A save that fails leaves no picture to find.
    std::string Save() { return SaveRTFBytes(data); }
    std::vector<const TGraphic*> Pictures() const {
        std::vector<const TGraphic*> out;
        for (int i = 0; i < data.ItemCount(); ++i) {
            if (const TGraphic* g = data.GetItem(i).AsImage()) {
                out.push_back(g);
            }
        }
        return out;
    }
};

const char* SetupName(bool notes) {
    return notes ? "notes editor" : "defaults";
}

QImage Drawn(const TGraphic& graphic) {
    TBitmap bitmap(std::max(graphic.Width(), 1), std::max(graphic.Height(), 1));
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
    bitmap.Canvas().Draw(0, 0, graphic);
    return bitmap.Image();
}

// The records of a metafile: its bytes after a placeable header.
std::string Records(const TMetafile& m) {
    return m.SaveToBytes().substr(m.Placeable() ? static_cast<size_t>(m.HeaderSize()) : 0);
}

// `got` is a metafile of the same kind as `want`, of the same size and drawn to the same
// pixels.
void ExpectSameDrawing(const TGraphic* got, const TMetafile& want, const std::string& what) {
    const auto* metafile = dynamic_cast<const TMetafile*>(got);
    ASSERT_NE(metafile, nullptr) << what;
    EXPECT_EQ(metafile->Enhanced(), want.Enhanced()) << what;
    EXPECT_EQ(metafile->MMWidth(), want.MMWidth()) << what;
    EXPECT_EQ(metafile->MMHeight(), want.MMHeight()) << what;
    ASSERT_EQ(metafile->Width(), want.Width()) << what;
    ASSERT_EQ(metafile->Height(), want.Height()) << what;
    const QImage wanted = Drawn(want);
    int painted = 0;
    for (int y = 0; y < wanted.height(); ++y) {
        for (int x = 0; x < wanted.width(); ++x) {
            painted += (wanted.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        }
    }
    EXPECT_GT(painted, wanted.width() * wanted.height() / 4) << what << ": nothing drawn";
    EXPECT_TRUE(Drawn(*metafile) == wanted) << what;
}

// `got` is the metafile `want` stands for: the same records, and the same drawing. A Windows
// metafile's placeable header is not compared: RTF has none, and the reader builds one from
// the size RTF gives.
void ExpectSameMetafile(const TGraphic* got, const TMetafile& want, const std::string& what) {
    const auto* metafile = dynamic_cast<const TMetafile*>(got);
    ASSERT_NE(metafile, nullptr) << what;
    EXPECT_TRUE(Records(*metafile) == Records(want)) << what;
    ExpectSameDrawing(got, want, what);
}

// An enhanced metafile of its header and end records only, whose frame is `mm` hundredths of a
// millimetre a side.
std::string EmptyEmf(uint32_t mm) {
    std::string b;
    // The header record: type, size, bounds, frame, signature, version, bytes, records.
    for (uint32_t v : {1u, 88u, 0u, 0u, 0u, 0u, 0u, 0u, mm, mm, 0x464D4520u, 0x10000u, 108u, 2u}) {
        WriteU32(b, v);
    }
    WriteU16(b, 1); // handles
    WriteU16(b, 0);
    // Description and palette: none; the device in pixels and millimetres; then the end
    // record without a palette.
    for (uint32_t v : {0u, 0u, 0u, 1024u, 768u, 270u, 203u, 14u, 20u, 0u, 16u, 20u}) {
        WriteU32(b, v);
    }
    return b;
}

} // namespace

TEST(RNRTFMetafile, NoteWritesMetafilesAsTheirOwnRecords) {
    const std::string wmf = LoWmf();
    const std::string emf = LoEmf();
    ASSERT_EQ(ReadU32(wmf, 0), 0x9AC6CDD7u) << "the fixture is a placeable metafile";
    // The files' own sizes: the placeable header's frame is 5618 x 3618 at 2540 units an inch,
    // the enhanced header's frame 0..5617 x 0..3617 hundredths of a millimetre.
    const std::string wmfRecord =
        "{\\pict\\wmetafile8\\picw5618\\pich3618 " + ToHex(wmf.substr(22)) + "}";
    const std::string emfRecord = "{\\pict\\emfblip\\picw5617\\pich3617 " + ToHex(emf) + "}";
    for (bool notes : {false, true}) {
        const std::string what = SetupName(notes);
        RtfDoc doc(notes);
        doc.data.AddPictureEx("", Metafile(wmf), 0, TRNVAlign::rnvaBaseline);
        doc.data.AddPictureEx("", Metafile(emf), -1, TRNVAlign::rnvaBaseline);
        const std::string rtf = doc.Save();
        EXPECT_NE(rtf.find(wmfRecord), std::string::npos) << what;
        EXPECT_NE(rtf.find(emfRecord), std::string::npos) << what;
        EXPECT_LT(rtf.size(), 2 * (wmf.size() + emf.size()) + 4096) << what;

        RtfDoc back(notes);
        ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK) << what;
        const auto pictures = back.Pictures();
        ASSERT_EQ(pictures.size(), 2u) << what;
        ExpectSameMetafile(pictures[0], *Metafile(wmf), what + ", Windows metafile");
        ExpectSameMetafile(pictures[1], *Metafile(emf), what + ", enhanced metafile");
        // Written again, the same RTF.
        EXPECT_TRUE(back.Save() == rtf) << what;
    }
}

TEST(RNRTFMetafile, LibreOfficeMetafilesReadBackAsTheirFiles) {
    // LibreOffice wrote the Windows metafile as "\wmetafile8" and the enhanced one as
    // "\emfblip" inside "\shppict", with a Windows copy in "\nonshppict" beside it.
    const std::string rtf = ReadFileBytes(FixturePath("rtf/lo-metafiles.rtf"));
    ASSERT_NE(rtf.find("\\wmetafile8"), std::string::npos);
    ASSERT_NE(rtf.find("\\emfblip"), std::string::npos);
    for (bool notes : {false, true}) {
        const std::string what = SetupName(notes);
        RtfDoc doc(notes);
        ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        const auto pictures = doc.Pictures();
        ASSERT_EQ(pictures.size(), 2u) << what;
        ExpectSameMetafile(pictures[0], *Metafile(LoWmf()), what + ", Windows metafile");
        ExpectSameMetafile(pictures[1], *Metafile(LoEmf()), what + ", enhanced metafile");
    }
}

TEST(RNRTFMetafile, EmptyMetafileOfAMetreSquareStaysSmall) {
    const std::string emf = EmptyEmf(100000);
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0\r\n{\\pict\\emfblip\\picw100000\\pich100000 " + ToHex(emf) + "}}";
    ASSERT_EQ(rtf.size(), 274u);
    for (bool notes : {false, true}) {
        const std::string what = SetupName(notes);
        RtfDoc doc(notes);
        ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        ASSERT_EQ(doc.Pictures().size(), 1u) << what;
        const std::string written = doc.Save();
        EXPECT_LT(written.size(), 10u * 1024) << what;
        EXPECT_NE(written.find("{\\pict\\emfblip\\picw100000\\pich100000 " + ToHex(emf) + "}"),
                  std::string::npos)
            << what;
        RtfDoc back(notes);
        ASSERT_EQ(back.Load(written), EC::rtf_ec_OK) << what;
        ASSERT_EQ(back.Pictures().size(), 1u) << what;
        const auto* metafile = dynamic_cast<const TMetafile*>(back.Pictures()[0]);
        ASSERT_NE(metafile, nullptr) << what;
        EXPECT_TRUE(metafile->SaveToBytes() == emf) << what;
    }
}

// A Windows metafile whose records set no window is drawn over the frame it was loaded with
// (its placeable header's, or else the box of its drawing). RTF keeps no frame, so the writer
// puts that window into the records: read back, by us or by a word processor, the picture
// covers the same units.
TEST(RNRTFMetafile, AMetafileWithoutWindowRecordsKeepsItsDrawingThroughRtf) {
    using namespace metafile_fixture;
    // A red rectangle and a blue line, in units of no window.
    const std::string records = WmfRecord(0x02FC, {0, 0x00FF, 0x0000, 0}) + WmfRecord(0x012D, {0}) +
                                WmfRecord(0x041B, {80, 90, 10, 10}) +
                                WmfRecord(0x02FA, {0, 4, 0, 0x0000, 0x00FF}) +
                                WmfRecord(0x012D, {1}) + WmfRecord(0x0214, {50, 110}) +
                                WmfRecord(0x0213, {50, 190}) + WmfRecord(0x01F0, {0});
    struct Case {
        const char* what;
        bool placeable;
        int left, top, right, bottom, inch;
    };
    const Case cases[] = {
        {"frame at the origin", true, 0, 0, 200, 100, 200},
        {"offset frame", true, -20, -10, 180, 90, 200},
        {"frame of 1440 units an inch", true, 0, 0, 200, 100, 1440},
        {"frame running backwards", true, 200, 100, 0, 0, 200},
        {"no placeable header: the drawing's box", false, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string wmf = WmfOf(records, 2);
        const std::string bytes =
            c.placeable ? PlaceableWmf(wmf, c.left, c.top, c.right, c.bottom, c.inch) : wmf;
        const auto want = Metafile(bytes);
        if (!c.placeable) {
            GiveMetafileDefaultInch(*want);
        }
        for (bool notes : {false, true}) {
            const std::string what = std::string(c.what) + ", " + SetupName(notes);
            RtfDoc doc(notes);
            doc.data.AddPictureEx("", want->Clone(), 0, TRNVAlign::rnvaBaseline);
            const std::string rtf = doc.Save();
            // The records written: the frame as the window, then the metafile's own. Without
            // a header, the frame is the box the player found around the drawing.
            const TMetafileLayout& frame = want->Layout();
            ASSERT_TRUE(frame.HasFrame && !frame.HasWindow) << what;
            if (c.placeable) {
                EXPECT_EQ(std::vector<int>({frame.Left, frame.Top, frame.Right, frame.Bottom}),
                          std::vector<int>({c.left, c.top, c.right, c.bottom}))
                    << what;
            }
            const int left = frame.Left;
            const int top = frame.Top;
            const int right = frame.Right;
            const int bottom = frame.Bottom;
            const std::string windowed =
                WmfOf(WmfRecord(0x020B, {top, left}) +
                          WmfRecord(0x020C, {bottom - top, right - left}) + records,
                      2);
            EXPECT_NE(rtf.find("\\wmetafile8\\picw" + std::to_string(want->MMWidth()) + "\\pich" +
                               std::to_string(want->MMHeight()) + " " + ToHex(windowed) + "}"),
                      std::string::npos)
                << what;
            RtfDoc back(notes);
            ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK) << what;
            ASSERT_EQ(back.Pictures().size(), 1u) << what;
            ExpectSameDrawing(back.Pictures()[0], *want, what);
            // Written again, the window is there already: the same RTF.
            EXPECT_TRUE(back.Save() == rtf) << what;
        }
    }
    // A frame wider than a window record can hold goes without one, at its size.
    const auto wide = Metafile(PlaceableWmf(WmfOf(records, 2), -30000, 0, 30000, 10000, 20000));
    RtfDoc doc(true);
    doc.data.AddPictureEx("", wide->Clone(), 0, TRNVAlign::rnvaBaseline);
    const std::string rtf = doc.Save();
    EXPECT_NE(rtf.find(" " + ToHex(WmfOf(records, 2)) + "}"), std::string::npos);
    RtfDoc back(true);
    ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK);
    ASSERT_EQ(back.Pictures().size(), 1u);
    EXPECT_EQ(back.Pictures()[0]->Width(), wide->Width());
    EXPECT_EQ(back.Pictures()[0]->Height(), wide->Height());
}
