#include "richtext/view/DLines.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TRNDrawLineInfo> Piece(int itemNo) {
    return RN_NewDrawItem(0, 0, 1, 1, itemNo, true);
}

// Seven draw items: two before a paragraph, three of it, two after.
void Fill(TRNDrawLines& lines, std::vector<TRNDrawLineInfo*>& outside) {
    for (int i = 0; i < 7; ++i) {
        lines.Add(Piece(i));
    }
    outside = {lines[0], lines[1], lines[5], lines[6]};
}

TEST(DrawLines, ReformattingAParagraphKeepsEveryIndexOutsideIt) {
    for (int newLines : {3, 2, 4, 1}) {
        TRNDrawLines lines;
        std::vector<TRNDrawLineInfo*> outside;
        Fill(lines, outside);
        lines.MarkForDelete(2, 4);
        for (int i = 0; i < newLines; ++i) {
            lines.Insert(2 + i, Piece(100 + i));
        }
        lines.DeleteMarked();
        SCOPED_TRACE(newLines);
        ASSERT_EQ(lines.Count(), 4 + newLines);
        EXPECT_EQ(lines[0], outside[0]);
        EXPECT_EQ(lines[1], outside[1]);
        EXPECT_EQ(lines[2 + newLines], outside[2]);
        EXPECT_EQ(lines[3 + newLines], outside[3]);
        for (int i = 0; i < newLines; ++i) {
            EXPECT_EQ(lines[2 + i]->ItemNo, 100 + i);
        }
    }
}

TEST(DrawLines, AFreedSlotIsNeverReachedAndNoLiveItemIsOverwritten) {
    TRNDrawLines lines;
    std::vector<TRNDrawLineInfo*> outside;
    Fill(lines, outside);
    lines.MarkForDelete(2, 4);
    EXPECT_THROW(lines.Get(3), ERichNoteError);
    // Before the marked range: a plain insertion, the range moves along.
    lines.Insert(0, Piece(50));
    EXPECT_EQ(lines.Count(), 8);
    EXPECT_EQ(lines.FirstMarked(), 3);
    // After it: a plain insertion too.
    lines.Insert(8, Piece(60));
    EXPECT_EQ(lines.Count(), 9);
    lines.DeleteMarked();
    ASSERT_EQ(lines.Count(), 6);
    std::vector<int> itemNos;
    for (int i = 0; i < lines.Count(); ++i) {
        itemNos.push_back(lines[i]->ItemNo);
    }
    EXPECT_EQ(itemNos, (std::vector<int>{50, 0, 1, 5, 6, 60}));
}

TEST(DrawLines, SubstringsAreCutAtThePieceAndCountUtf16Units) {
    TRNPlainRootData data;
    data.AddNL("abcdefgh", 0, 0);
    data.AddNLWTag(u"\u00e9t\u00e9 d'or", 0, 0, {});
    data.GetItem(1).ItemOptions.Include(TRNItemOption::rnioUnicode);
    data.Items()[1].Text = RNU_U16ToBytes(u"\u00e9t\u00e9 d'or");
    TRNDrawLines lines;
    auto a = Piece(0);
    a->Offs = 3; // "cdef"
    a->Length = 4;
    lines.Add(std::move(a));
    auto w = Piece(1);
    w->Offs = 2; // "t\u00e9 d"
    w->Length = 4;
    lines.Add(std::move(w));

    EXPECT_EQ(lines.GetString(0, data), "cdef");
    EXPECT_EQ(lines.GetRightString(0, data, 2), "def");
    EXPECT_EQ(lines.GetSubString(0, data, 3, 10), "ef");
    EXPECT_EQ(lines.GetSubString(0, data, 5, 1), "");
    EXPECT_EQ(lines.GetString(1, data), RNU_U16ToBytes(u"t\u00e9 d"));
    EXPECT_EQ(lines.GetSubString(1, data, 2, 9), RNU_U16ToBytes(u"\u00e9 d"));
}

} // namespace
