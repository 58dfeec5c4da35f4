#include "EditFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void BuildMixedDocument(Editor& e) {
    e.Style.ParaStyles().Add();
    e.D().AddNL("plain text one", 0, 0);
    e.D().AddNL("bold", 1, -1);
    e.D().AddNLWTag(u"unicode \u00e9t\u00e9", 2, 1, RNTag());
    e.AddPicture(20, -1);
    e.D().AddNL("after the picture", 0, -1);
    e.D().AddBreak();
    e.D().AddNL("last paragraph", 3, 0);
    e.Format();
}

void PlaceCaret(Editor& e, std::mt19937& rng) {
    const int itemNo = static_cast<int>(rng() % static_cast<unsigned>(e.D().ItemCount()));
    const int before = e.D().GetOffsBeforeItem(itemNo);
    const int after = e.D().GetOffsAfterItem(itemNo);
    e.D().Deselect(nullptr);
    e.Caret(itemNo, before + static_cast<int>(rng() % static_cast<unsigned>(after - before + 1)));
}

void Select(Editor& e, std::mt19937& rng) {
    const int a = static_cast<int>(rng() % static_cast<unsigned>(e.D().ItemCount()));
    const int b = std::min(e.D().ItemCount() - 1, a + static_cast<int>(rng() % 3));
    const int aOffs = e.D().GetOffsBeforeItem(a) + static_cast<int>(rng() % 2);
    e.D().SetSelectionBounds(a, std::min(aOffs, e.D().GetOffsAfterItem(a)), b,
                             e.D().GetOffsAfterItem(b));
}

} // namespace

TEST(EditRandom, FiveHundredEditsUndoToTheStartAndRedoToTheEnd) {
    Editor e(160);
    BuildMixedDocument(e);
    std::mt19937 rng(2026);
    const std::string first = e.Rnf();
    const std::u16string keys[] = {u"a", u"b", u" ", u"\u00e9", u"\u4e2d", u"\U0001F600"};
    Editor clip;
    clip.D().AddNL("pasted", 1, 0);
    clip.D().AddNL("second line", 0, 0);
    const std::string pasted = clip.Rnf();
    for (int step = 0; step < 500; ++step) {
        SCOPED_TRACE(step);
        PlaceCaret(e, rng);
        switch (rng() % 13) {
        case 0:
        case 1: {
            e.D().SetCurTextStyleNo(static_cast<int>(rng() % 4));
            e.D().KeyPress(keys[rng() % std::size(keys)]);
            break;
        }
        case 2:
            e.D().OnEnterPress_(rng() % 2 == 0);
            break;
        case 3:
            e.D().OnDeletePress_(false, false);
            break;
        case 4:
            e.D().OnBackSpacePress_(rng() % 2 == 0);
            break;
        case 5:
            Select(e, rng);
            e.D().DeleteSelection_();
            break;
        case 6:
            e.D().BeginUndoSequence(TRNUndoType::rnutPara);
            e.D().ApplyParaStyle(static_cast<int>(rng() % 2));
            e.D().EndUndoSequence();
            break;
        case 7:
            Select(e, rng);
            e.Edit.ConvertTo = static_cast<int>(rng() % 4);
            e.D().ApplyStyleConversion_(0);
            break;
        case 8:
            e.D().BeginUndoSequence(TRNUndoType::rnutInsert);
            e.D().InsertSomething(
                std::make_unique<TRNGraphicItemInfo>(&e.D(), std::make_unique<TBitmap>(12, 12),
                                                     TRNVAlign::rnvaBaseline),
                "pic");
            break;
        case 9:
            e.D().InsertPageBreak();
            break;
        case 10: {
            e.D().BeginUndoSequence(TRNUndoType::rnutInsert);
            TMemoryStream stream;
            stream.Write(pasted.data(), static_cast<int64_t>(pasted.size()));
            stream.Seek(0, TSeekOrigin::soBeginning);
            e.D().InsertRNFFromStreamEd_(stream);
            break;
        }
        case 11:
            // An input-method commit.
            e.D().BeginUndoSequence(TRNUndoType::rnutTyping);
            e.D().InsertTextW_(u"\u65e5\u672c\u8a9e");
            break;
        default:
            e.D().BeginUndoSequence(TRNUndoType::rnutInsert);
            e.D().InsertString("xy", 0);
            break;
        }
        ASSERT_GT(e.D().ItemCount(), 0);
    }
    const std::string last = e.Rnf();
    ASSERT_NE(last, first);
    while (e.D().UndoList().Count() > 0) {
        e.Undo();
    }
    EXPECT_EQ(e.Rnf(), first);
    while (e.D().RedoList().Count() > 0) {
        e.Redo();
    }
    EXPECT_EQ(e.Rnf(), last);
}
