#include "richtext/view/DLines.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::unique_ptr<TRNDrawLineInfo> Piece(int itemNo) {
    return RN_NewDrawItem(0, 0, 1, 1, itemNo, true);
}

TEST(DrawLines, AFreedSlotIsNeverReachedAndNoLiveItemIsOverwritten) {
    // Seven draw items, the middle three of a paragraph being formatted again.
    TRNDrawLines lines;
    for (int i = 0; i < 7; ++i) {
        lines.Add(Piece(i));
    }
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

// A long list takes batches of edits like those of reformatting: paragraphs replaced by more
// or fewer pieces, the rest shifted, ranges dropped. Every piece must stay in its place with
// its tops and item numbers, whether read whole or one field at a time.
TEST(DrawLines, LongListsKeepOrderAndShiftsThroughEveryKindOfEdit) {
    struct Expected {
        TRNDrawLineInfo* Piece;
        int Top;
        int ItemNo;
    };
    std::mt19937 random(20261206);
    auto pick = [&](int from, int to) { return std::uniform_int_distribution(from, to)(random); };
    TRNDrawLines lines;
    std::vector<Expected> model;
    auto append = [&](int at, int top, int itemNo) {
        auto p = RN_NewDrawItem(0, top, 1, 1, itemNo, true);
        model.insert(model.begin() + at, {p.get(), top, itemNo});
        lines.Insert(at, std::move(p));
    };
    for (int i = 0; i < 3000; ++i) {
        append(i, i * 10, i);
    }
    for (int round = 0; round < 400; ++round) {
        const int count = static_cast<int>(model.size());
        const int first = pick(0, count - 1);
        const int last = std::min(count - 1, first + pick(0, 40));
        switch (round % 3) {
        case 0: { // a paragraph rewrapped into another number of pieces
            lines.MarkForDelete(first, last);
            model.erase(model.begin() + first, model.begin() + last + 1);
            const int fresh = pick(0, round % 9 == 0 ? 1500 : 60);
            for (int k = 0; k < fresh; ++k) {
                append(first + k, -k, -1 - k);
            }
            lines.DeleteMarked();
            const int dTop = pick(-30, 30), dItemNo = pick(-3, 3);
            lines.ShiftFrom(first + fresh, dTop, dItemNo);
            for (size_t i = static_cast<size_t>(first + fresh); i < model.size(); ++i) {
                model[i].Top += dTop;
                model[i].ItemNo += dItemNo;
            }
            break;
        }
        case 1: // a range dropped
            if (count > 1000) {
                const int dropLast = std::min(count - 1, last + pick(0, 900));
                lines.DeleteRange(first, dropLast);
                model.erase(model.begin() + first, model.begin() + dropLast + 1);
            }
            break;
        default: { // a single piece replaced
            auto p = RN_NewDrawItem(0, 7, 1, 1, 7, true);
            model[static_cast<size_t>(first)] = {p.get(), 7, 7};
            lines.Put(first, std::move(p));
        }
        }
        ASSERT_EQ(lines.Count(), static_cast<int>(model.size())) << "round " << round;
        for (int probe = 0; probe < 20; ++probe) {
            const size_t i = static_cast<size_t>(pick(0, lines.Count() - 1));
            ASSERT_EQ(lines.TopAt(static_cast<int>(i)), model[i].Top) << "round " << round;
            ASSERT_EQ(lines.ItemNoAt(static_cast<int>(i)), model[i].ItemNo) << "round " << round;
        }
        if (round % 20 == 0) {
            for (size_t i = 0; i < model.size(); ++i) {
                const TRNDrawLineInfo* d = lines[static_cast<int>(i)];
                ASSERT_EQ(d, model[i].Piece) << "round " << round << " index " << i;
                ASSERT_EQ(std::make_pair(d->Top, d->ItemNo),
                          std::make_pair(model[i].Top, model[i].ItemNo));
            }
        }
    }
}

} // namespace
