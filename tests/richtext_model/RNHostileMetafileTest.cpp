// Metafiles made to hurt, as a note's picture and as an RTF picture read as the notes editor
// reads them: loading, drawing and printing end soon and cost little memory. So do enhanced
// metafiles holding images of any size, and their text is drawn whatever text was drawn before.
#include "RNFTestSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/QtCanvas.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/ResourceProbe.h"

#include <gtest/gtest.h>

#include <QPainter>

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
// swapped, read back into `back`.
void LoadNoteHolding(TNotesDocument& back, const std::string& metafile) {
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
    LoadNote(back, note);
}

int NoteLoadAndDraw(const std::string& metafile) {
    TNotesDocument back;
    LoadNoteHolding(back, metafile);
    return DrawPictures(back);
}

// An RTF picture as word processors write it between two lines, read into `doc` as the editor
// reads RTF: an enhanced metafile whole, a Windows metafile without its placeable header; `size`
// gives its size in RTF control words.
void LoadRtfHolding(TNotesDocument& doc, const std::string& metafile,
                    const std::string& size = "\\picw5292\\pich2646") {
    const bool enhanced = ReadU32(metafile, 0) == 1;
    TRNRTFReaderProperties props;
    SetUpNotesRTFReader(props);
    doc.RTFProperties = &props;
    doc.RTFOptions = NotesRTFOptions();
    LoadRTFBytes(doc, std::string("{\\rtf1\\ansi before\\par {\\pict") +
                          (enhanced ? "\\emfblip" : "\\wmetafile8") + size + " " +
                          RNFBytes2TextString(enhanced ? metafile : metafile.substr(22)) +
                          "}\\par after\\par}");
    doc.RTFProperties = nullptr;
}

int RtfLoadAndDraw(const std::string& metafile) {
    TNotesDocument doc;
    LoadRtfHolding(doc, metafile);
    return DrawPictures(doc);
}

// The first picture item of `doc`.
TRNGraphicItemInfo* PictureItem(TCustomRNData& doc) {
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (auto* item = dynamic_cast<TRNGraphicItemInfo*>(&doc.GetItem(i))) {
            return item;
        }
    }
    return nullptr;
}

// The picture item of a document painted as the editor paints it on a screen bitmap of
// 1,026 pixels, or printed as the print does on a 300-dpi page of 2,400 pixels; both at (1, 1).
QImage PaintedOnScreen(TRNGraphicItemInfo& item, TNotesDocument& doc) {
    TBitmap screen(1026, 1026);
    screen.Canvas().Brush().SetColor(clWhite);
    screen.Canvas().FillRect(Rect(0, 0, 1026, 1026));
    item.Paint(0, 0, screen.Canvas(), {}, doc.Sheet(), nullptr);
    return screen.Image();
}

QImage PrintedOnPage(TRNGraphicItemInfo& item, TNotesDocument& doc) {
    QImage page(2400, 2400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TQtCanvas canvas(&painter, TSize{2400, 2400}, 300, 300);
    TRNScreenAndDevice sad;
    RN_InfoAboutSaD(sad, canvas);
    item.Print(canvas, 1, 1, 2400, false, false, sad, doc, nullptr, -1);
    return page;
}

std::unique_ptr<TNotesDocument> NoteHolding(const std::string& metafile) {
    auto doc = std::make_unique<TNotesDocument>();
    LoadNoteHolding(*doc, metafile);
    return doc;
}

std::unique_ptr<TNotesDocument> RtfHolding(const std::string& metafile) {
    auto doc = std::make_unique<TNotesDocument>();
    LoadRtfHolding(*doc, metafile);
    return doc;
}

// The first picture of `doc` drawn at its own size onto a white page, and the frame of a picture
// given up drawn there.
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
            DrawPictureFrame(frame.Canvas(), r);
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
            EXPECT_LT(probe.CpuMillis(), 2000) << route << ": " << hostile.Name;
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

// One text record of 32,000 large turned characters took 45 s to draw. As a note's picture and
// an RTF picture it is painted at its size on the screen and printed at 300 dpi over a page of
// 2,400 x 2,400 pixels, each within two seconds, and shown as its frame: it ran out of time
// (on the screen the frame alone: a drawing stopped on its way is not kept). Each drawing meets
// the picture anew.
TEST(RNHostileMetafile, OneSlowTextRecordIsShownAndPrintedWithinTwoSeconds) {
    const QRgb frame = qRgb(128, 128, 128);
    using TLoad = void (*)(TNotesDocument&, const std::string&);
    const std::pair<const char*, TLoad> routes[] = {
        {"note", LoadNoteHolding}, {"RTF", [](TNotesDocument& doc, const std::string& metafile) {
                                        LoadRtfHolding(doc, metafile,
                                                       "\\picwgoal15360\\pichgoal15360");
                                    }}};
    for (const auto& [route, load] : routes) {
        for (auto* draw : {PaintedOnScreen, PrintedOnPage}) {
            SCOPED_TRACE(std::string(route) + (draw == PaintedOnScreen ? " screen" : " page"));
            TResourceProbe probe;
            ASSERT_TRUE(probe.PeakReset());
            TNotesDocument doc;
            load(doc, SlowTextWmf(UnseenColour()));
            TRNGraphicItemInfo* item = PictureItem(doc);
            ASSERT_NE(item, nullptr);
            ASSERT_EQ(item->GetImageWidth(), 1024);
            ASSERT_EQ(item->GetImageHeight(), 1024);
            const QImage shown = draw(*item, doc);
            EXPECT_LT(probe.CpuMillis(), 2000);
            EXPECT_LT(probe.PeakGrowthMb(), 300);
            EXPECT_EQ(shown.pixel(1, 1), frame);
            if (draw == PaintedOnScreen) {
                EXPECT_EQ(shown.pixel(1024, 1024), frame);
                EXPECT_EQ(shown.pixel(512, 300), qRgb(255, 255, 255));
            }
        }
    }
}
