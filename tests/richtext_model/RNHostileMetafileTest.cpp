// Metafiles made to hurt, as a note's picture and as an RTF picture read as the notes editor
// reads them: loading and drawing end soon and cost little memory. So do enhanced metafiles
// holding images of any size, and their text is drawn whatever text was drawn before.
#include "RNFTestSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/ResourceProbe.h"

#include <gtest/gtest.h>

using namespace hostile_metafile;

namespace {

// Each picture of `doc` drawn as its item paints it; how many there were.
int DrawPictures(const TCustomRNData& doc) {
    TBitmap page(400, 300);
    int pictures = 0;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (const auto* item = dynamic_cast<const TRNGraphicItemInfo*>(&doc.GetItem(i))) {
            page.Canvas().Draw(1, 1, *item->Image);
            ++pictures;
        }
    }
    return pictures;
}

// A stored note of a line, a picture and a line, whose picture's bytes (after their count) are
// swapped, read back.
std::unique_ptr<TNotesDocument> NoteHolding(const std::string& metafile) {
    const std::string sound = metafile_fixture::Emf();
    TNotesDocument doc;
    doc.AddNL("before", 0, 0);
    auto picture = std::make_unique<TMetafile>();
    picture->LoadFromBytes(sound);
    doc.AddPictureEx("picture", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    doc.AddNL("after", 0, 0);
    std::string note = SaveNote(doc);
    const size_t at = note.find(sound);
    std::string count;
    WriteU32(count, static_cast<uint32_t>(metafile.size()));
    note.replace(at - 4, 4 + sound.size(), count + metafile);
    auto back = std::make_unique<TNotesDocument>();
    LoadNote(*back, note);
    return back;
}

// An RTF picture as word processors write it, between two lines: an enhanced metafile whole, a
// Windows metafile without its placeable header.
std::unique_ptr<TNotesDocument> RtfHolding(const std::string& metafile) {
    const bool enhanced = ReadU32(metafile, 0) == 1;
    auto doc = std::make_unique<TNotesDocument>();
    static TRNRTFReaderProperties props;
    SetUpNotesRTFReader(props);
    doc->RTFProperties = &props;
    doc->RTFOptions = NotesRTFOptions();
    LoadRTFBytes(*doc, std::string("{\\rtf1\\ansi before\\par {\\pict") +
                           (enhanced ? "\\emfblip" : "\\wmetafile8") + "\\picw5292\\pich2646 " +
                           RNFBytes2TextString(enhanced ? metafile : metafile.substr(22)) +
                           "}\\par after\\par}");
    return doc;
}

int NoteLoadAndDraw(const std::string& metafile) {
    return DrawPictures(*NoteHolding(metafile));
}

int RtfLoadAndDraw(const std::string& metafile) {
    return DrawPictures(*RtfHolding(metafile));
}

// The first picture of `doc` drawn at its own size onto a white page, and a frame drawn there.
struct TDrawnPicture {
    QImage Picture;
    QImage Frame;
};

TDrawnPicture DrawFirstPicture(const TCustomRNData& doc) {
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (const auto* item = dynamic_cast<const TRNGraphicItemInfo*>(&doc.GetItem(i))) {
            const TRect r = Rect(1, 1, 1 + item->Image->Width(), 1 + item->Image->Height());
            TBitmap page(r.Right + 1, r.Bottom + 1);
            page.Canvas().StretchDraw(r, *item->Image);
            TBitmap frame(r.Right + 1, r.Bottom + 1);
            frame.Canvas().Brush().SetColor(clGray);
            frame.Canvas().FrameRect(r);
            return {page.Image(), frame.Image()};
        }
    }
    ADD_FAILURE() << "no picture";
    return {};
}

using TRoute = std::pair<const char*, std::unique_ptr<TNotesDocument> (*)(const std::string&)>;
const TRoute Routes[] = {{"note", NoteHolding}, {"RTF", RtfHolding}};

} // namespace

TEST(RNHostileMetafile, ReadingAndDrawingEndSoonAndCostLittle) {
    using TLoadAndDraw = std::pair<const char*, int (*)(const std::string&)>;
    for (const auto& [route, loadAndDraw] :
         {TLoadAndDraw{"note", NoteLoadAndDraw}, TLoadAndDraw{"RTF", RtfLoadAndDraw}}) {
        // The routes reach the picture: sound ones are drawn.
        EXPECT_EQ(loadAndDraw(metafile_fixture::Emf()), 1) << route;
        EXPECT_EQ(loadAndDraw(metafile_fixture::Wmf(true)), 1) << route;
        for (const THostile& hostile : Hostile()) {
            TResourceProbe probe;
            ASSERT_TRUE(probe.PeakReset());
            EXPECT_EQ(loadAndDraw(hostile.Bytes), 0) << route << ": " << hostile.Name;
            EXPECT_LT(probe.Millis(), 2000) << route << ": " << hostile.Name;
            EXPECT_LT(probe.PeakGrowthMb(), 300) << route << ": " << hostile.Name;
        }
    }
}

TEST(RNHostileMetafile, AnImageTooLargeInsideIsFramedAndTheDocumentReadWhole) {
    // A bitmap said to be 100 x 100 pixels holding a PNG image of 5600 x 5600 (125 MB decoded).
    const std::string huge = EmfWithImage(EncodedImage(5600, 5600));
    for (const auto& [route, holding] : Routes) {
        const std::vector<std::string> whole = ItemRows(*holding(metafile_fixture::Emf()));
        TResourceProbe probe;
        ASSERT_TRUE(probe.PeakReset());
        const std::unique_ptr<TNotesDocument> doc = holding(huge);
        EXPECT_EQ(ItemRows(*doc), whole) << route;
        const TDrawnPicture drawn = DrawFirstPicture(*doc);
        EXPECT_EQ(drawn.Picture, drawn.Frame) << route;
        EXPECT_LT(probe.PeakGrowthMb(), 100) << route;
        // A small image is drawn.
        const TDrawnPicture small = DrawFirstPicture(*holding(EmfWithImage(EncodedImage(50, 50))));
        EXPECT_EQ(small.Picture.pixel(20, 20), qRgb(0, 160, 0)) << route;
    }
}

TEST(RNHostileMetafile, TextAsGlyphIndicesIsDrawnAfterTextInSeveralFonts) {
    metafile_fixture::DrawTextInSeveralFonts();
    for (const auto& [route, holding] : Routes) {
        const TDrawnPicture drawn = DrawFirstPicture(*holding(metafile_fixture::EmfGlyphText()));
        EXPECT_NE(drawn.Picture, drawn.Frame) << route;
        // "Hello" in black, 40 pixels high from (20, 30) of the picture.
        int dark = 0;
        for (int y = 36; y < 76; ++y) {
            for (int x = 21; x < 130; ++x) {
                dark += qGray(drawn.Picture.pixel(x, y)) < 128;
            }
        }
        EXPECT_GT(dark, 200) << route;
    }
}
