// Metafiles made to hurt, as a note's picture and as an RTF picture read as the notes editor
// reads them: loading and drawing end soon and cost little memory.
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

// A stored note of a line and a picture whose bytes (after their count) are swapped.
int NoteLoadAndDraw(const std::string& metafile) {
    const std::string sound = metafile_fixture::Emf();
    TNotesDocument doc;
    doc.AddNL("before", 0, 0);
    auto picture = std::make_unique<TMetafile>();
    picture->LoadFromBytes(sound);
    doc.AddPictureEx("picture", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    std::string note = SaveNote(doc);
    const size_t at = note.find(sound);
    std::string count;
    WriteU32(count, static_cast<uint32_t>(metafile.size()));
    note.replace(at - 4, 4 + sound.size(), count + metafile);
    TNotesDocument back;
    LoadNote(back, note);
    return DrawPictures(back);
}

// An RTF picture as word processors write it: an enhanced metafile whole, a Windows metafile
// without its placeable header.
int RtfLoadAndDraw(const std::string& metafile) {
    const bool enhanced = ReadU32(metafile, 0) == 1;
    TNotesDocument doc;
    TRNRTFReaderProperties props;
    SetUpNotesRTFReader(props);
    doc.RTFProperties = &props;
    doc.RTFOptions = NotesRTFOptions();
    LoadRTFBytes(doc, std::string("{\\rtf1\\ansi before\\par {\\pict") +
                          (enhanced ? "\\emfblip" : "\\wmetafile8") + "\\picw5292\\pich2646 " +
                          RNFBytes2TextString(enhanced ? metafile : metafile.substr(22)) +
                          "}\\par}");
    return DrawPictures(doc);
}

} // namespace

TEST(RNHostileMetafile, ReadingAndDrawingEndSoonAndCostLittle) {
    using TRoute = std::pair<const char*, int (*)(const std::string&)>;
    for (const auto& [route, loadAndDraw] :
         {TRoute{"note", NoteLoadAndDraw}, TRoute{"RTF", RtfLoadAndDraw}}) {
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
