// Metafiles made to hurt, as a note's picture and as an RTF picture, read as the notes editor
// reads them: loading them and drawing whatever loaded ends soon and costs little memory.
#include "RNFTestSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "tests/support/CostProbe.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/NotesSheet.h"

#include <gtest/gtest.h>

using namespace hostile_metafile;

namespace {

// A note of a line of text and a picture, as the notes editor stores it, with the picture's
// bytes swapped for `metafile`.
std::string NoteWith(const std::string& metafile) {
    TNotesDocument doc;
    doc.AddNL("before", 0, 0);
    auto sound = std::make_unique<TMetafile>();
    sound->LoadFromBytes(metafile_fixture::Emf());
    doc.AddPictureEx("picture", std::move(sound), -1, TRNVAlign::rnvaBaseline);
    std::string note = SaveNote(doc);
    // In a binary note the picture's bytes follow their count.
    const size_t at = note.find(metafile_fixture::Emf());
    EXPECT_NE(at, std::string::npos);
    if (at == std::string::npos || at < 4) {
        return note;
    }
    std::string count;
    WriteU32(count, static_cast<uint32_t>(metafile.size()));
    return note.substr(0, at - 4) + count + metafile +
           note.substr(at + metafile_fixture::Emf().size());
}

// An RTF picture as word processors write it: an enhanced metafile whole, a Windows metafile
// without its placeable header.
std::string RtfWith(const std::string& metafile) {
    const bool enhanced = metafile.size() >= 44 && ReadU32(metafile, 40) == 0x464D4520;
    return std::string("{\\rtf1\\ansi before\\par {\\pict") +
           (enhanced ? "\\emfblip" : "\\wmetafile8") + "\\picw5292\\pich2646 " +
           RNFBytes2TextString(enhanced ? metafile : metafile.substr(22)) + "}\\par}";
}

// Each picture drawn as its item paints it; how many there were.
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

struct TRoute {
    const char* Name;
    // Loads the bytes the way this route reads them and draws what loaded; the pictures drawn.
    std::function<int(const std::string&)> LoadAndDraw;
};

std::vector<TRoute> Routes() {
    return {
        {"note",
         [](const std::string& metafile) {
             TNotesDocument doc;
             LoadNote(doc, NoteWith(metafile));
             return DrawPictures(doc);
         }},
        {"RTF",
         [](const std::string& metafile) {
             TNotesDocument doc;
             TRNRTFReaderProperties props;
             SetUpNotesRTFReader(props);
             doc.RTFProperties = &props;
             doc.RTFOptions = NotesRTFOptions();
             TMemoryStream stream;
             stream.WriteString(RtfWith(metafile));
             stream.SetPosition(0);
             doc.LoadRTFFromStream(stream);
             return DrawPictures(doc);
         }},
    };
}

} // namespace

TEST(RNHostileMetafile, ReadingAndDrawingEndSoonAndCostLittle) {
    for (const TRoute& route : Routes()) {
        // The routes reach the picture: sound ones are drawn.
        EXPECT_EQ(route.LoadAndDraw(metafile_fixture::Emf()), 1) << route.Name;
        EXPECT_EQ(route.LoadAndDraw(metafile_fixture::Wmf(true)), 1) << route.Name;
        for (const THostile& hostile : Hostile()) {
            TCostProbe probe;
            EXPECT_EQ(route.LoadAndDraw(hostile.Bytes), 0) << route.Name << ": " << hostile.Name;
            EXPECT_LT(probe.Seconds(), 2.0) << route.Name << ": " << hostile.Name;
            EXPECT_LT(probe.PeakGrowthMB(), 300.0) << route.Name << ": " << hostile.Name;
        }
    }
}
