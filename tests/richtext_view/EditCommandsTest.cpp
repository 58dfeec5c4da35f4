#include "EditFixture.h"

#include "richtext/model/RNUni.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase {
    const char* name;
    std::function<void(Editor&)> build;
    int caretItem;
    int caretOffs;
    std::function<void(Editor&)> command;
    std::vector<std::string> texts; // the item texts after the command
    int expectCaretItem;
    int expectCaretOffs;
    int clientWidth = 200;
};

std::vector<std::string> Texts(Editor& e) {
    std::vector<std::string> texts;
    for (int i = 0; i < e.D().ItemCount(); ++i) {
        texts.push_back(e.D().GetItem(i).IsText() ? e.D().GetItemText(i) : "#");
    }
    return texts;
}

void RunCases(const std::vector<CommandCase>& cases) {
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e(c.clientWidth);
        c.build(e);
        e.Format();
        e.Caret(c.caretItem, c.caretOffs);
        UndoRedo(e, [&] {
            c.command(e);
            EXPECT_EQ(Texts(e), c.texts);
            EXPECT_EQ(e.CaretItem(), c.expectCaretItem);
            EXPECT_EQ(e.CaretOffs(), c.expectCaretOffs);
        });
    }
}

auto Text(std::string s, int style = 0, int para = 0) {
    return [s, style, para](Editor& e) { e.D().AddNL(s, style, para); };
}

auto Then(std::function<void(Editor&)> a, std::function<void(Editor&)> b) {
    return [a, b](Editor& e) {
        a(e);
        b(e);
    };
}

// "ab", a picture and "cd" in one paragraph.
void TextPictureText(Editor& e) {
    e.D().AddNL("ab", 0, 0);
    e.AddPicture(10, -1);
    e.D().AddNL("cd", 0, -1);
}

std::unique_ptr<TCustomRNItemInfo> Picture(Editor& e) {
    return std::make_unique<TRNGraphicItemInfo>(&e.D(), std::make_unique<TBitmap>(10, 10),
                                                TRNVAlign::rnvaBaseline);
}

// A place in the text as the characters before it, a paragraph's start counted as one: the
// end of an item and the start of the next are the same place.
int Place(Editor& e, int itemNo, int offs) {
    int place = offs - e.D().GetOffsBeforeItem(itemNo);
    for (int i = 0; i < itemNo; ++i) {
        place += e.D().GetOffsAfterItem(i) - e.D().GetOffsBeforeItem(i) +
                 (e.D().GetItem(i + 1).GetSameAsPrev() ? 0 : 1);
    }
    return place;
}

void Insert(Editor& e) {
    e.D().BeginUndoSequence(TRNUndoType::rnutInsert);
    e.D().InsertSomething(Picture(e), "pic");
}

} // namespace

TEST(EditInsert, PlacesItemsAtTheCaret) {
    const auto emptyLine = Then(Text("x"), [](Editor& e) {
        e.D().AddNL("", 0, -1);
        e.D().GetItem(1).SetBR(true);
    });
    const auto insertKeepingTheBreak = [](Editor& e) {
        Insert(e);
        EXPECT_TRUE(e.D().GetItem(1).GetBR());
    };
    const auto typeX = [](Editor& e) { e.D().KeyPress(u"x"); };
    RunCases({
        {"PictureInsideWord", Text("abcd"), 0, 3, Insert, {"ab", "#", "cd"}, 1, 1},
        {"PictureAtStart", Text("abcd"), 0, 1, Insert, {"#", "abcd"}, 0, 1},
        {"EmptyLineReplaced", emptyLine, 1, 1, insertKeepingTheBreak, {"x", "#"}, 1, 1},
        {"TypingAfterPictureGoesIntoNextItem",
         TextPictureText,
         1,
         1,
         typeX,
         {"ab", "#", "xcd"},
         2,
         2},
    });
}

TEST(EditTyping, AnEmptyLineTakesTheCurrentParagraphStyle) {
    Editor e;
    e.Style.ParaStyles().Add();
    e.D().AddNL("", 0, 0);
    e.Format();
    e.Caret(0, 1);
    e.D().SetCurParaStyleNo(1);
    UndoRedo(e, [&] { e.D().KeyPress(u"x"); });
    EXPECT_EQ(e.D().GetItemText(0), "x");
    EXPECT_EQ(e.D().GetItemPara(0), 1);
}

TEST(EditInsert, ProtectedPlacesBeepAndChangeNothing) {
    struct Case {
        const char* name;
        TRNProtectOption option;
        int caretOffs;
        std::function<void(Editor&)> command;
    };
    const Case cases[] = {
        {"Sticking", TRNProtectOption::rnprSticking, 3, Insert},
        {"ModifyProtectedTyping", TRNProtectOption::rnprModifyProtect, 2,
         [](Editor& e) { e.D().KeyPress(u"x"); }},
        {"ModifyProtectedEnter", TRNProtectOption::rnprModifyProtect, 2,
         [](Editor& e) { e.D().OnEnterPress_(false); }},
        {"ParaStartProtectedEnter", TRNProtectOption::rnprParaStartProtect, 2,
         [](Editor& e) { e.D().OnEnterPress_(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        e.Style.TextStyles()[3].Protection.Include(c.option);
        e.D().AddNL("ab", 3, 0);
        e.D().AddNL("cd", 3, -1);
        e.Format();
        e.Caret(0, c.caretOffs);
        e.D().SetCurTextStyleNo(3);
        const std::string before = e.Rnf();
        c.command(e);
        EXPECT_EQ(e.Rnf(), before);
        EXPECT_GE(e.Beeps, 1);
        EXPECT_EQ(e.D().UndoList().Count(), 0);
    }
}

TEST(EditTyping, OneRecordUndoneAndRedoneACharacterAtATime) {
    Editor e;
    e.Format();
    for (char16_t ch : std::u16string(u"abc")) {
        e.D().KeyPress(std::u16string(1, ch));
    }
    ASSERT_EQ(e.D().UndoList().Count(), 1);
    const TRNUndoInfos& group = *e.D().UndoList().Last();
    ASSERT_EQ(group.Records.Count(), 1);
    EXPECT_EQ(static_cast<TRNUndoTypingInfo*>(group.Records[0])->Length, 3);
    const char* undone[] = {"ab", "a", ""};
    for (int i = 0; i < 3; ++i) {
        e.Undo();
        EXPECT_EQ(e.D().GetItemText(0), undone[i]);
        EXPECT_EQ(e.CaretOffs(), 3 - i);
    }
    EXPECT_EQ(e.D().UndoList().Count(), 0);
    const char* redone[] = {"a", "ab", "abc"};
    for (int i = 0; i < 3; ++i) {
        e.Redo();
        EXPECT_EQ(e.D().GetItemText(0), redone[i]);
        EXPECT_EQ(e.CaretOffs(), i + 2);
    }
    EXPECT_EQ(e.D().RedoList().Count(), 0);
}

TEST(EditTyping, ACharacterBeyondTheBasicPlaneIsOneEdit) {
    Editor e;
    e.D().SetCurTextStyleNo(2);
    e.Format();
    const std::string before = e.Rnf();
    e.D().KeyPress(u"a");
    e.D().KeyPress(u"\U0001F600");
    EXPECT_EQ(RNU_BytesToU16(e.D().GetItemText(0)), u"a\U0001F600");
    EXPECT_EQ(e.CaretOffs(), 4);
    e.Undo();
    EXPECT_EQ(RNU_BytesToU16(e.D().GetItemText(0)), u"a");
    e.Redo();
    EXPECT_EQ(RNU_BytesToU16(e.D().GetItemText(0)), u"a\U0001F600");
    e.Undo();
    e.Undo();
    EXPECT_EQ(e.Rnf(), before);
}

TEST(EditDelete, DeleteAndBackspace) {
    const auto del = [](Editor& e) { e.D().OnDeletePress_(false, false); };
    const auto back = [](Editor& e) { e.D().OnBackSpacePress_(false); };
    const auto ctrlBack = [](Editor& e) { e.D().OnBackSpacePress_(true); };
    const auto pictureFirst = Then([](Editor& e) { e.AddPicture(10, 0); }, Text("cd", 0, -1));
    // Across two paragraphs the joined one keeps the first one's style.
    const auto selection = [](Editor& e) {
        e.D().SetSelectionBounds(0, 2, 1, 2);
        EXPECT_TRUE(e.D().DeleteSelection_());
        EXPECT_EQ(e.D().GetItemPara(0), 0);
    };
    RunCases({
        {"DeleteJoinsParagraphs", Then(Text("abc"), Text("def")), 0, 4, del, {"abcdef"}, 0, 4},
        {"DeleteCharacter", Text("abc"), 0, 2, del, {"ac"}, 0, 2},
        {"BackspaceJoinsParagraphs", Then(Text("abc"), Text("def")), 1, 1, back, {"abcdef"}, 0, 4},
        {"CtrlBackspaceWord", Text("one two"), 0, 8, ctrlBack, {"one "}, 0, 5},
        {"BackspacePicture", TextPictureText, 1, 1, back, {"abcd"}, 0, 3},
        {"BackspaceOnlyCharacterKeepsTheLine",
         Then(Text("a"), Text("b")),
         1,
         2,
         back,
         {"a", ""},
         1,
         1},
        {"BackspaceFirstItem", pictureFirst, 0, 1, back, {"cd"}, 0, 1},
        // 8 px a character: "aaaa bbbb" wraps after the space in 60 px.
        {"BackspaceAtAWrappedLineStart", Text("aaaa bbbb"), 0, 6, back, {"aaaabbbb"}, 0, 5, 60},
        {"SelectionAcrossParagraphs",
         Then(Text("abc"), Text("def", 0, 1)),
         0,
         1,
         selection,
         {"aef"},
         0,
         2},
    });
}

TEST(EditEnter, NewParagraphsAndLines) {
    const auto enter = [](Editor& e) { e.D().OnEnterPress_(false); };
    const auto shiftEnter = [](Editor& e) { e.D().OnEnterPress_(true); };
    RunCases({
        {"SplitWord", Text("abcd"), 0, 3, enter, {"ab", "cd"}, 1, 1},
        {"AtParagraphStart", Text("abcd"), 0, 1, enter, {"", "abcd"}, 1, 1},
        {"AtParagraphEnd", Text("abcd"), 0, 5, enter, {"abcd", ""}, 1, 1},
        {"BeforePicture", TextPictureText, 1, 0, enter, {"ab", "#", "cd"}, 1, 0},
        {"ShiftSplit", Text("abcd"), 0, 3, shiftEnter, {"ab", "cd"}, 1, 1},
    });
}

TEST(EditEnter, SplitKeepsStylesAndTagAndLineKinds) {
    for (bool shift : {false, true}) {
        Editor e;
        e.D().AddNLTag("abcd", 1, 2, TestTag(5));
        e.Format();
        e.Caret(0, 3);
        e.D().OnEnterPress_(shift);
        const TCustomRNItemInfo& second = e.D().GetItem(1);
        EXPECT_EQ(second.StyleNo, 1);
        EXPECT_EQ(second.ParaNo, 2);
        EXPECT_EQ(TagText(second.Tag), "5");
        EXPECT_EQ(second.GetBR(), shift);
        EXPECT_FALSE(second.GetSameAsPrev());
    }
}

TEST(EditEnter, EndOfHeadingTakesTheNextStyles) {
    Editor e;
    e.Style.TextStyles()[1].NextStyleNo = 0;
    e.Style.ParaStyles().Add();
    e.Style.ParaStyles()[0].NextParaNo = 1;
    e.D().AddNL("Heading", 1, 0);
    e.Format();
    e.Caret(0, 8);
    e.D().OnEnterPress_(false);
    EXPECT_EQ(e.D().GetItemStyle(1), 0);
    EXPECT_EQ(e.D().GetItemPara(1), 1);
}

TEST(EditStyles, ConversionSplitsJoinsAndConvertsText) {
    struct Case {
        const char* name;
        std::function<void(Editor&)> build;
        int from, fromOffs, to, toOffs;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"Middle", Text("abcdef"), 0, 3, 0, 5, {"ab", "cd", "ef"}},
        {"Head", Text("abcdef"), 0, 1, 0, 3, {"ab", "cdef"}},
        {"Tail", Text("abcdef"), 0, 5, 0, 7, {"abcd", "ef"}},
        {"WholeItemsJoin", Then(Text("ab"), Text("cd", 3, -1)), 0, 1, 1, 3, {"abcd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        c.build(e);
        e.Format();
        e.D().SetSelectionBounds(c.from, c.fromOffs, c.to, c.toOffs);
        UndoRedo(e, [&] { e.D().ApplyStyleConversion_(0); });
        EXPECT_EQ(Texts(e), c.texts);
        EXPECT_EQ(e.D().UndoList().Count(), 1);
    }
}

TEST(EditStyles, TheConvertedTextStaysSelectedInItsDirection) {
    struct Case {
        const char* name;
        std::function<void(Editor&)> build;
        int from, fromOffs, to, toOffs;
        std::string selected;
        // The bounds afterwards, normalized.
        int start, startOffs, end, endOffs;
    };
    const Case cases[] = {
        {"Middle", Text("abcdef"), 0, 3, 0, 5, "cd", 1, 1, 1, 3},
        {"Head", Text("abcdef"), 0, 1, 0, 3, "ab", 0, 1, 0, 3},
        {"Tail", Text("abcdef"), 0, 5, 0, 7, "ef", 1, 1, 1, 3},
        {"WholeItemsJoin", Then(Text("ab"), Text("cd", 3, -1)), 0, 1, 1, 3, "abcd", 0, 1, 0, 5},
        // The end joins the converted item before it: "cd" + "ef" of "efgh".
        {"TailJoinsHead", Then(Text("abcd"), Text("efgh", 3, -1)), 0, 3, 1, 3, "cdef", 1, 1, 1, 5},
        // A text already in the new style is the item before the selection.
        {"StartJoinsTheItemBefore", Then(Text("ab", 1), Text("cdef", 0, -1)), 1, 1, 1, 3, "cd", 0,
         3, 0, 5},
        // The second paragraph's text stays its own item.
        {"OverParagraphs", Then(Text("abc"), Text("def", 0, 0)), 0, 2, 1, 3, "bc\r\nde", 1, 1, 2,
         3},
    };
    for (const bool backward : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (backward ? " backward" : ""));
            Editor e;
            c.build(e);
            e.Format();
            if (backward) {
                e.D().SetSelectionBounds(c.to, c.toOffs, c.from, c.fromOffs);
            } else {
                e.D().SetSelectionBounds(c.from, c.fromOffs, c.to, c.toOffs);
            }
            ASSERT_EQ(e.D().GetSelText(false), c.selected);
            e.D().ApplyStyleConversion_(0);
            ASSERT_TRUE(e.D().SelectionExists(false, false));
            EXPECT_EQ(e.D().GetSelText(false), c.selected);
            int start = 0, startOffs = 0, end = 0, endOffs = 0;
            e.D().GetSelectionBounds(start, startOffs, end, endOffs, true);
            EXPECT_EQ(std::vector<int>({start, startOffs, end, endOffs}),
                      std::vector<int>({c.start, c.startOffs, c.end, c.endOffs}));
            for (int i = start; i <= end; ++i) {
                EXPECT_EQ(e.D().GetItemStyle(i), e.Edit.ConvertTo);
            }
            // The caret is where the selection was being drawn to.
            EXPECT_EQ(Place(e, e.CaretItem(), e.CaretOffs()),
                      backward ? Place(e, start, startOffs) : Place(e, end, endOffs));
            e.D().GetSelectionBounds(start, startOffs, end, endOffs, false);
            EXPECT_EQ(start > end || (start == end && startOffs > endOffs), backward);
        }
    }
}

TEST(EditStyles, UnicodeToAnsiStoresCodePageBytes) {
    Editor e;
    e.D().AddNLWTag(u"d\u00e9j\u00e0", 2, 0, RNTag());
    e.Format();
    e.D().SetSelectionBounds(0, 1, 0, 5);
    e.Edit.ConvertTo = 0;
    e.D().ApplyStyleConversion_(0);
    EXPECT_EQ(e.D().GetItemText(0), "d\xe9j\xe0");
    EXPECT_FALSE(e.D().GetItem(0).ItemOptions.Contains(TRNItemOption::rnioUnicode));
}

TEST(EditStyles, TagsFollowTheClearOption) {
    for (bool clear : {true, false}) {
        Editor e;
        if (!clear) {
            e.Edit.Options = {};
        }
        e.D().AddNLTag("abcdef", 0, 0, TestTag(4));
        e.Format();
        e.D().SetSelectionBounds(0, 3, 0, 5);
        e.D().ApplyStyleConversion_(0);
        EXPECT_EQ(TagText(e.D().GetItemTag(0)), "4");
        EXPECT_EQ(TagText(e.D().GetItemTag(1)), clear ? "0" : "4");
        EXPECT_EQ(TagText(e.D().GetItemTag(2)), "4");
    }
}

TEST(EditStyles, ParagraphStyleCoversTheCaretParagraphOnly) {
    Editor e;
    e.Style.ParaStyles().Add();
    e.D().AddNL("ab", 0, 0);
    e.D().AddNL("cd", 1, -1);
    e.D().AddNL("ef", 0, 0);
    e.Format();
    e.Caret(1, 2);
    UndoRedo(e, [&] {
        e.D().BeginUndoSequence(TRNUndoType::rnutPara);
        e.D().ApplyParaStyle(1);
    });
    EXPECT_EQ(e.D().GetItemPara(0), 1);
    EXPECT_EQ(e.D().GetItemPara(1), 1);
    EXPECT_EQ(e.D().GetItemPara(2), 0);
}
