// Where things lie in a viewer's formatted document, asked of the control: checkpoints,
// jumps, items, and the item that holds the focus.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

struct QueryViewer {
    TRNStyle Sheet;
    TRichNote Note;
    TImageList Images{16, 16};
    int Link = 0;

    QueryViewer() {
        Sheet.TextStyles()[0].Size = 12;
        Link = Sheet.AddTextStyle();
        Sheet.TextStyles()[Link].Assign(Sheet.TextStyles()[0]);
        Sheet.TextStyles()[Link].Jump = true;
        TBitmap strip(32, 16);
        Images.Add(strip);
        Note.SetStyle(&Sheet);
        Note.resize(300, 80);
        Note.FirstJumpNo = 10;
        Note.AddNL("first paragraph", 0, 0);
        for (int i = 0; i < 8; ++i) {
            Note.AddNL("filler", 0, 0);
        }
        Note.AddNamedCheckpoint("here");
        Note.AddNL("checked", 0, 0);
        Note.AddNL("go there", Link, 0);
        Note.AddHotspotEx("spot", 0, 1, &Images, 0);
        Note.Format();
        Note.SetVPos(3, false);
    }
    const TRNDrawLineInfo& FirstPiece(int itemNo) {
        TRichNoteRNData& data = Note.RNData();
        return *data.DrawItems[data.FindDrawItemByItem(itemNo)];
    }
};

TEST(ViewerQueries, CheckpointsJumpsAndItemsAreWhereTheirPiecesAre) {
    QueryViewer v;
    TRNCPInfo* cp = v.Note.FindCheckpointByName("here");
    ASSERT_NE(cp, nullptr);
    const int cpItem = v.Note.GetCheckpointItemNo(cp);
    ASSERT_EQ(v.Note.GetItemText(cpItem), "checked");
    int x = -1, y = -1;
    v.Note.GetCheckpointXY(cp, x, y);
    EXPECT_EQ(x, v.FirstPiece(cpItem).Left);
    EXPECT_EQ(y, v.FirstPiece(cpItem).Top);
    EXPECT_GT(y, v.FirstPiece(0).Top);
    EXPECT_EQ(v.Note.GetCheckpointYEx(cp), y);
    EXPECT_EQ(v.Note.GetCheckpointY(v.Note.GetCheckpointNo(cp)), y);
    EXPECT_THROW(v.Note.GetCheckpointYEx(nullptr), ERichNoteError);
    EXPECT_THROW(v.Note.GetCheckpointY(99), ERichNoteError);

    const int linkItem = cpItem + 1;
    const int id = v.Note.FirstJumpNo;
    EXPECT_EQ(v.Note.GetJumpPointItemNo(id), linkItem);
    EXPECT_EQ(v.Note.GetJumpPointY(id), v.FirstPiece(linkItem).Top);
    TCustomRNFormattedData* where = nullptr;
    int itemNo = -1;
    v.Note.GetJumpPointLocation(id, where, itemNo);
    EXPECT_EQ(where, &v.Note.RNData());
    EXPECT_EQ(itemNo, linkItem);

    int left = -1, top = -1, clientLeft = -1, clientTop = -1;
    ASSERT_TRUE(v.Note.GetItemCoords(linkItem, left, top));
    ASSERT_TRUE(v.Note.GetItemClientCoords(linkItem, clientLeft, clientTop));
    EXPECT_EQ(left, v.FirstPiece(linkItem).Left);
    EXPECT_EQ(top, v.FirstPiece(linkItem).Top);
    // Scrolled down: the client position is the document's less the scroll offset.
    ASSERT_GT(v.Note.RNData().GetVOffs(), 0);
    EXPECT_EQ(clientTop, top - v.Note.RNData().GetVOffs());
    EXPECT_EQ(clientLeft, left - v.Note.RNData().GetHOffs());
    EXPECT_FALSE(v.Note.GetItemCoords(v.Note.GetLineCount(), left, top));
}

TEST(ViewerQueries, TheFocusedItemIsTheOneTabNavigationReached) {
    QueryViewer v;
    TCustomRNData* data = &v.Note.RNData();
    int itemNo = 0;
    v.Note.GetFocusedItem(data, itemNo);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(itemNo, -1);
    // The link first, then the hotspot after it.
    for (const int expected : {v.Note.GetLineCount() - 2, v.Note.GetLineCount() - 1}) {
        v.Note.RNData().DoTabNavigation(false, TRNControlData::TFocusOrigin{true, true, nullptr});
        v.Note.GetFocusedItem(data, itemNo);
        EXPECT_EQ(data, &v.Note.RNData());
        EXPECT_EQ(itemNo, expected);
    }
}

} // namespace
