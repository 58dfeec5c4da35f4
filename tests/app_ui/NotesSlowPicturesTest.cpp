// Notes holding many pictures that each take their whole time to draw: the notes editor shows
// them within two seconds, read from the stored note and inserted from an RTF file.
#include "app/ui/NotesStorage.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemPictures.h"
#include "tests/app_ui/NotesRig.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/ResourceProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr int SlowPictures = 20;

int PictureCount(NotesRig& rig) {
    int pictures = 0;
    for (int i = 0; i < rig.D().ItemCount(); ++i) {
        pictures += dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(i)) != nullptr;
    }
    return pictures;
}

// 20 pictures of 100 bitmaps of 4,096 x 4,096 pixels each, no two alike.
std::vector<std::string> SlowBitmapPictures() {
    std::vector<std::string> pictures;
    for (int i = 0; i < SlowPictures; ++i) {
        pictures.push_back(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour()));
    }
    return pictures;
}

} // namespace

// Each picture used its second: 20 of them took 20.7 s to show. They share the second of one
// paint, and the document shows within two seconds.
TEST(NotesSlowPictures, TwentySlowPicturesInAnRtfFileShowWithinTwoSeconds) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 pictures ";
    for (const std::string& picture : SlowBitmapPictures()) {
        // Written without the placeable header, 100 pixels square.
        rtf += "{\\pict\\wmetafile8\\picwgoal1500\\pichgoal1500 " +
               RNFBytes2TextString(picture.substr(22)) + "}";
    }
    rtf += "\\par}";
    TempDir folder;
    WriteFileBytes(folder / "slow.rtf", rtf);
    NotesRig rig;
    rig.Fill({{"x", 0, 0}});
    rig.Prompts.File = TNoteFileChoice{(folder / "slow.rtf").string(), 1};

    TResourceProbe probe;
    ASSERT_TRUE(probe.PeakReset());
    rig.Notes->Execute(TNoteAction::RInsertFile);
    EXPECT_FALSE(rig.E().grab().isNull());
    EXPECT_LT(probe.Millis(), 2000);
    EXPECT_LT(probe.PeakGrowthMb(), 300);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
    EXPECT_EQ(PictureCount(rig), SlowPictures);
}

TEST(NotesSlowPictures, ANoteOfTwentySlowPicturesShowsWithinTwoSeconds) {
    TPageInfo record;
    {
        NotesRig writer;
        writer.Fill({{"pictures", 0, 0}});
        for (const std::string& bytes : SlowBitmapPictures()) {
            auto picture = std::make_unique<TMetafile>();
            picture->LoadFromBytes(bytes);
            writer.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
        }
        ASSERT_TRUE(saveRichContent(record.Notes, writer.E()));
    }
    NotesRig rig;
    TResourceProbe probe;
    ASSERT_TRUE(probe.PeakReset());
    rig.Notes->LoadNotes(record);
    EXPECT_FALSE(rig.E().grab().isNull());
    EXPECT_LT(probe.Millis(), 2000);
    EXPECT_LT(probe.PeakGrowthMb(), 300);
    EXPECT_EQ(PictureCount(rig), SlowPictures);
}
