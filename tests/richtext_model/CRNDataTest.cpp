#include "richtext/model/CRNData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/ImageList.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "tests/richtext_model/ExpectRNError.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <utility>

using Rows = std::vector<std::string>;

namespace {

// The default sheet plus a Unicode style (6), a Russian style (7) and a style whose items
// must not be joined (8).
class Doc : public ::testing::Test {
protected:
    Doc() {
        sheet.TextStyles()[sheet.AddTextStyle()].Unicode = true;
        sheet.TextStyles()[sheet.AddTextStyle()].Charset = RUSSIAN_CHARSET;
        sheet.TextStyles()[sheet.AddTextStyle()].Protection.Include(
            TRNProtectOption::rnprConcateProtect);
        data.Style = &sheet;
    }

    // "text/para/options" per item, for compact comparisons.
    std::vector<std::string> Table(const TCustomRNData& d) const {
        std::vector<std::string> rows;
        for (int i = 0; i < d.ItemCount(); ++i) {
            const TCustomRNItemInfo& item = d.GetItem(i);
            std::string flags = item.GetSameAsPrev() ? "+" : item.GetBR() ? "br" : "p";
            rows.push_back(d.GetItemText(i) + "/" + std::to_string(item.ParaNo) + "/" + flags);
        }
        return rows;
    }

    TRNStyle sheet;
    TRNPlainRootData data;
};

} // namespace

TEST_F(Doc, ParagraphsFromLinesAndBlocks) {
    struct Case {
        const char* what;
        std::function<void(TCustomRNData&)> build;
        Rows expected;
    } cases[] = {
        {"first item starts a paragraph", [](TCustomRNData& d) { d.AddNL("a", 0, -1); }, {"a/0/p"}},
        {"-1 after a break starts a paragraph",
         [](TCustomRNData& d) {
             d.AddNL("a", 0, 3);
             d.AddBreak();
             d.AddNL("b", 0, -1);
         },
         {"a/3/p", "/0/p", "b/0/p"}},
        {"lines with their own paragraph numbers",
         [](TCustomRNData& d) { d.AddTextNL("a\r\n\r\nb", 0, 1, 2); },
         {"a/1/p", "/2/p", "b/2/p"}},
        {"continuing lines drop empty ones",
         [](TCustomRNData& d) { d.AddTextNL("a\r\n\r\nb", 0, -1, -1); },
         {"a/0/p", "b/0/+"}},
        {"lone LF and CR end lines",
         [](TCustomRNData& d) { d.AddTextNL("a\nb\rc", 0, 1, 1); },
         {"a/1/p", "b/1/p", "c/1/p"}},
        {"LF CR is two line ends",
         [](TCustomRNData& d) { d.AddTextNL("a\n\rb", 0, 1, 1); },
         {"a/1/p", "/1/p", "b/1/p"}},
        {"a block is one paragraph of lines",
         [](TCustomRNData& d) { d.AddTextBlockNL("a\nb\r\nc", 0, 1); },
         {"a/1/p", "b/1/br", "c/1/br"}},
        {"without new paragraphs every item breaks the line",
         [](TCustomRNData& d) {
             d.SetAddParagraphMode(false);
             d.AddTextNL("a\r\nb", 0, 1, 2);
         },
         {"a/1/br", "b/1/br"}},
        {"tabs become the sheet's spaces",
         [](TCustomRNData& d) { d.AddNL("a\tb", 0, 0); },
         {"a        b/0/p"}},
    };
    for (const Case& c : cases) {
        TRNPlainRootData d;
        d.Style = &sheet;
        c.build(d);
        EXPECT_EQ(Table(d), c.expected) << c.what;
        EXPECT_TRUE(d.AllowNewPara || std::string(c.what).find("without") != std::string::npos)
            << c.what;
    }
}

TEST_F(Doc, TextEntersInItsStylesEncodingAndWithoutLineEnds) {
    data.AddNLATag("\xc0", 6, 0, {});    // 8-bit into the Unicode style: cp1252 -> UTF-16
    data.AddNLWTag(u"\u0416", 7, 0, {}); // UTF-16 into the Russian style
    data.AddNLWTag(u"\u0416", 6, 0, {}); // stays UTF-16
    data.AddNL(std::string("a\0b\rc", 5), 0, 0);
    data.AddNL(RNU_U16ToBytes(u"x\u2029y\u2028z"), 6, 0);
    EXPECT_EQ(data.GetItemText(0), RNU_U16ToBytes(u"\u00c0"));
    EXPECT_TRUE(data.GetItemOptions(0).Contains(TRNItemOption::rnioUnicode));
    EXPECT_EQ(data.GetItemText(1), "\xc6");
    EXPECT_FALSE(data.GetItemOptions(1).Contains(TRNItemOption::rnioUnicode));
    EXPECT_EQ(data.GetItemText(2), RNU_U16ToBytes(u"\u0416"));
    EXPECT_EQ(data.GetItemText(3), "a?b?c");
    EXPECT_EQ(data.GetItemText(4), RNU_U16ToBytes(u"x?y\u2028z"));
    EXPECT_EQ(data.ItemLength(4), 5);
    EXPECT_EQ(data.GetOffsAfterItem(4), 6);
    EXPECT_EQ(data.GetStyleCodePage(7), 1251u);
    EXPECT_EQ(data.GetStyleCodePage(99), 0u);
}

TEST_F(Doc, BadIndexesAndKindsChangeNothing) {
    data.AddNL("a", 0, 0);
    data.AddBreakEx(2, TRNBreakStyle::rnbsLine, clRed);
    const std::string outOfBounds = "Item index is out of bounds";
    const std::string wrongKind = "Can't get or set this kind of information for this item";
    std::string text;
    RNTag tag;
    ExpectRNError([&] { data.GetItem(2); }, outOfBounds);
    ExpectRNError([&] { data.SetPageBreaksBeforeItems(-1, true); }, outOfBounds);
    ExpectRNError([&] { data.SetItemTag(5, 1); }, outOfBounds);
    ExpectRNError([&] { data.DeleteItems(-1, 1); }, outOfBounds);
    ExpectRNError([&] { data.GetTextInfo(1, text, tag); }, wrongKind);
    ExpectRNError([&] { data.SetBulletInfo(0, "x", 1, {}); }, wrongKind);
    ExpectRNError([&] { data.InsertCheckpoint(9, {}, "x", false); }, outOfBounds);
    EXPECT_EQ(Table(data), (Rows{"a/0/p", "/0/p"}));
    EXPECT_EQ(data.CPCount, 0);
}

TEST_F(Doc, CheckpointsStayInItemOrder) {
    for (const char* s : {"a", "b", "c", "d"}) {
        data.AddNL(s, 0, 0);
    }
    data.InsertCheckpoint(2, {}, "two", false);
    data.InsertCheckpoint(0, {}, "zero", false);
    data.InsertCheckpoint(3, {}, "three", false);
    data.InsertCheckpoint(1, {}, "one", false);
    ExpectRNError([&] { data.InsertCheckpoint(1, {}, "again", false); },
                  "Checkpoint already exists");
    std::vector<std::string> names;
    for (TRNCPInfo* cp = data.GetFirstCheckpoint(); cp; cp = data.GetNextCheckpoint(cp)) {
        names.push_back(cp->Name);
        EXPECT_EQ(data.GetCheckpointItemNo(cp), data.GetCheckpointNo(cp));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"zero", "one", "two", "three"}));
    ExpectRNError([&] { data.GetCheckpointByNo(data.CPCount); }, "Invalid checkpoint index - 4");
    ExpectRNError([&] { data.GetNextCheckpoint(nullptr); }, "Parameter can't be NIL");

    // A pending checkpoint counts and is found last; the next item takes it.
    EXPECT_EQ(data.AddNamedCheckpointEx("pending", true), 4);
    EXPECT_EQ(data.AddNamedCheckpointEx("ignored", true), 4);
    EXPECT_EQ(data.GetCheckpointByNo(4)->Name, "pending");
    EXPECT_EQ(data.GetCheckpointItemNo(data.FindCheckpointByName("pending")), -1);
    data.AddNL("e", 0, 0);
    EXPECT_EQ(data.GetCheckpointItemNo(data.FindCheckpointByName("pending")), 4);
    EXPECT_EQ(data.FindCPBeforeItem(2)->Name, "one");

    EXPECT_TRUE(data.RemoveCheckpoint(1));
    EXPECT_FALSE(data.RemoveCheckpoint(1));
    EXPECT_EQ(data.CPCount, 4);
    EXPECT_EQ(data.GetCheckpointByNo(1)->Name, "two");
}

TEST_F(Doc, AnItemsOwnCheckpointIsAdoptedOrDropped) {
    auto item = std::make_unique<TRNTextItemInfo>(&data);
    item->Checkpoint = std::make_unique<TRNCPInfo>();
    item->Checkpoint->Name = "own";
    data.AddItem("a", std::move(item));
    EXPECT_EQ(data.CPCount, 1);
    EXPECT_EQ(data.GetItemCheckpoint(0)->Name, "own");
    EXPECT_EQ(data.GetCheckpointNo(data.GetItemCheckpoint(0)), 0);

    data.AddNamedCheckpointEx("pending", false);
    item = std::make_unique<TRNTextItemInfo>(&data);
    item->Checkpoint = std::make_unique<TRNCPInfo>();
    item->Checkpoint->Name = "loser";
    data.AddItem("b", std::move(item));
    EXPECT_EQ(data.CPCount, 2);
    EXPECT_EQ(data.GetItemCheckpoint(1)->Name, "pending");
    EXPECT_EQ(data.FindCheckpointByName("loser"), nullptr);
}

TEST_F(Doc, DeleteSectionRunsToTheNextNamedCheckpoint) {
    for (const char* s : {"0", "1", "2", "3", "4", "5"}) {
        data.AddNL(s, 0, 0);
    }
    data.InsertCheckpoint(1, {}, "A", false);
    data.InsertCheckpoint(2, {}, "", false);
    data.InsertCheckpoint(4, {}, "B", false);
    data.DeleteSection("missing");
    EXPECT_EQ(data.ItemCount(), 6);
    data.DeleteSection("A");
    EXPECT_EQ(Table(data), (Rows{"0/0/p", "4/0/p", "5/0/p"}));
    EXPECT_EQ(data.CPCount, 1);
    EXPECT_EQ(data.GetFirstCheckpoint()->Name, "B");
    data.DeleteSection("B");
    EXPECT_EQ(Table(data), (Rows{"0/0/p"}));
    EXPECT_EQ(data.GetFirstCheckpoint(), nullptr);
}

TEST_F(Doc, JoiningNeighbours) {
    struct Case {
        const char* what;
        std::function<void(TCustomRNData&)> build;
        Rows expected;
    } cases[] = {
        {"a run of four becomes one",
         [](TCustomRNData& d) {
             for (const char* s : {"a", "b", "c", "d"}) {
                 d.AddNL(s, 0, -1);
             }
         },
         {"abcd/0/p"}},
        {"styles, paragraphs and tags keep items apart",
         [](TCustomRNData& d) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 1, -1);
             d.AddNL("c", 1, 0);
             d.AddNLTag("d", 1, -1, 7);
         },
         {"a/0/p", "b/0/+", "c/0/p", "d/0/+"}},
        {"a checkpoint keeps its item apart",
         [](TCustomRNData& d) {
             d.AddNL("a", 0, 0);
             d.AddNamedCheckpointEx("cp", false);
             d.AddNL("b", 0, -1);
             d.AddNL("c", 0, -1);
         },
         {"a/0/p", "bc/0/+"}},
        {"protected text joins only with empty text",
         [](TCustomRNData& d) {
             for (const char* text : {"a", "", "b", "c"}) {
                 d.AddNL(text, 8, -1);
             }
         },
         {"a/0/p", "b/0/+", "c/0/+"}},
        {"8-bit and UTF-16 bytes stay apart",
         [](TCustomRNData& d) {
             d.AddNL("ab", 6, 0); // raw bytes, stored as Unicode
             auto item = std::make_unique<TRNTextItemInfo>(&d);
             item->StyleNo = 6;
             item->ParaNo = -1;
             d.AddItem("cd", std::move(item)); // same style, 8-bit
         },
         {"ab/0/p", "cd/0/+"}},
    };
    for (const Case& c : cases) {
        TRNPlainRootData d;
        d.Style = &sheet;
        c.build(d);
        d.MassSimpleConcate(0, d.ItemCount() - 1);
        EXPECT_EQ(Table(d), c.expected) << c.what;
    }
}

TEST_F(Doc, AppendAndDrainMoveWholeDocuments) {
    TRNPlainRootData source;
    source.Style = &sheet;
    source.AddNL("a", 0, 1);
    source.AddNL("b", 0, -1);
    source.AddPictureEx("empty", nullptr, 0, TRNVAlign::rnvaBaseline); // invalid: not copied
    source.AddNamedCheckpointEx("cp", false);
    source.AddBreak();

    data.AddNL("x", 0, 2);
    data.AppendFrom(source);
    EXPECT_EQ(Table(data), (Rows{"x/2/p", "a/1/p", "b/1/+", "/0/p"}));
    EXPECT_EQ(data.GetCheckpointItemNo(data.FindCheckpointByName("cp")), 3);
    EXPECT_EQ(source.ItemCount(), 4); // a copy leaves its source alone

    TRNPlainRootData other;
    other.Options.Include(TRNOption::rnoTagsArePChars);
    other.AddNL("s", 0, 0);
    ExpectRNError([&] { data.AppendFrom(other); },
                  "Can't assign RichNote to RichNote - tags types mismatch");
    ExpectRNError([&] { data.DrainFrom(&other); },
                  "Can't assign RichNote to RichNote - tags types mismatch");
    EXPECT_EQ(data.ItemCount(), 4);

    source.AddNamedCheckpointEx("tail", false);
    TRNCPInfo* moved = source.FindCheckpointByName("cp");
    data.DrainFrom(&source);
    EXPECT_EQ(source.ItemCount(), 0);
    EXPECT_EQ(source.CPCount, 0);
    EXPECT_EQ(source.GetFirstCheckpoint(), nullptr);
    EXPECT_EQ(data.ItemCount(), 8);
    EXPECT_EQ(data.GetCheckpointItemNo(moved), 7);
    EXPECT_EQ(data.CPCount, 3);
    data.AddNL("after", 0, 0);
    EXPECT_EQ(data.GetCheckpointItemNo(data.FindCheckpointByName("tail")), 8);
    data.DrainFrom(nullptr);
}

// A text item that refuses, once, to settle into the document it is added to.
class TUnsettling : public TRNTextItemInfo {
public:
    using TRNTextItemInfo::TRNTextItemInfo;
    bool Armed = true;
    void Inserted(TCustomRNData* rnData, bool flag) override {
        if (std::exchange(Armed, false) && rnData) {
            throw ERichNoteError("refused");
        }
        TRNTextItemInfo::Inserted(rnData, flag);
    }
};

TEST_F(Doc, DrainingPastAnItemThatFailsToSettleInLeavesTheSourceEmpty) {
    // With item tags as numbers, and as words as the notes editor keeps them.
    for (const bool words : {false, true}) {
        SCOPED_TRACE(words);
        TRNPlainRootData target;
        TRNPlainRootData source;
        for (TRNPlainRootData* d : {&target, &source}) {
            d->Style = &sheet;
            if (words) {
                d->Options.Include(TRNOption::rnoTagsArePChars);
            }
        }
        source.AddNL("a", 0, 0);
        auto refusing = std::make_unique<TUnsettling>(&source);
        refusing->Armed = false;
        TUnsettling& b = *refusing;
        source.AddItem("b", std::move(refusing));
        source.AddNL("c", 0, -1);
        b.Armed = true;
        target.AddNL("x", 0, 0);
        ExpectRNError([&] { target.DrainFrom(&source); }, "refused");
        EXPECT_EQ(source.ItemCount(), 0);
        EXPECT_EQ(Table(target), (Rows{"x/0/p", "a/0/p", "b/0/p", "c/0/+"}));
        EXPECT_EQ(&target.GetItem(2), &b);
    }
}

TEST_F(Doc, TypedAccessAndParagraphs) {
    TImageList list;
    data.AddNL("a", 0, 1);
    data.AddBulletEx("dot", 2, &list, -1);
    data.AddHotspotEx("hot", 1, 3, &list, -1);
    auto control = std::make_unique<TOpaqueControl>("TButton", "b", "");
    IEmbeddedControl* button = control.get();
    data.AddControlEx("button", std::move(control), -1, TRNVAlign::rnvaBaseline);
    data.AddPictureEx("pic", std::make_unique<TBitmap>(5, 5), 0, TRNVAlign::rnvaBaseline);

    std::string name;
    int index = 0, hot = 0;
    const TImageList* got = nullptr;
    RNTag tag;
    data.SetHotspotInfo(2, "HOT", 4, 5, 9);
    data.GetHotspotInfo(2, name, index, hot, got, tag);
    EXPECT_EQ(name, "HOT");
    EXPECT_EQ(index, 4);
    EXPECT_EQ(hot, 5);
    EXPECT_EQ(got, &list);
    EXPECT_EQ(tag.AsInt(), 9);
    EXPECT_EQ(data.FindControlItemNo(button), 3);
    EXPECT_FALSE(data.SetControlInfo(3, "button", TRNVAlign::rnvaBaseline, {}));
    EXPECT_TRUE(data.SetControlInfo(3, "button", TRNVAlign::rnvaMiddle, {}));
    EXPECT_FALSE(data.SetPictureInfo(4, "pic", std::make_unique<TBitmap>(5, 5),
                                     TRNVAlign::rnvaBaseline, {}));
    EXPECT_TRUE(data.SetPictureInfo(4, "pic", std::make_unique<TBitmap>(6, 5),
                                    TRNVAlign::rnvaBaseline, {}));

    data.GetItem(1).SetBR(true);
    data.GetItem(2).ParaNo = 7;
    data.NormalizeParas(2);
    EXPECT_EQ(data.GetItemPara(1), 1);
    EXPECT_EQ(data.GetItemPara(2), 1);
    EXPECT_EQ(data.GetItemPara(3), 1);
    data.SetParagraphStyleToAll(3);
    EXPECT_EQ(data.GetItemPara(4), 3);
}

TEST_F(Doc, NextFileNameSkipsTakenAndReadOnlyFiles) {
    TempDir dir;
    std::string path = dir.Str() + "/";
    WriteFileBytes(dir / "img1.jpg", "x");
    WriteFileBytes(dir / "img2.jpg", "x");
    ::chmod((dir / "img1.jpg").c_str(), 0444);
    int no = 0;
    EXPECT_EQ(data.GetNextFileName("img", path, ".jpg", no, false), path + "img3.jpg");
    EXPECT_EQ(no, 3);
    no = 0;
    EXPECT_EQ(data.GetNextFileName("img", path, ".jpg", no, true), path + "img2.jpg");

    TBitmap picture(4, 4);
    no = 0;
    EXPECT_EQ(data.SavePicture(TRNSaveFormat::rnsfHTML, "img", path, no, false, clWhite, picture),
              "img3.jpg");
    EXPECT_EQ(ReadFileBytes(dir / "img3.jpg").substr(0, 2), "\xff\xd8");
    EXPECT_EQ(data.SavePicture(TRNSaveFormat::rnsfRTF, "img", path, no, false, clWhite, picture),
              "img4.bmp");
    EXPECT_EQ(ReadFileBytes(dir / "img4.bmp").substr(0, 2), "BM");
}

TEST_F(Doc, SoundAndDelimitersComeFromTheRoot) {
    int beeps = 0;
    data.OnBeep = [&] { ++beeps; };
    data.Beep();
    sheet.UseSound = false;
    data.Beep();
    data.Style = nullptr;
    data.Beep();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(data.IsDelimiter("a b", 2, {}));
    EXPECT_FALSE(data.IsDelimiter("a b", 1, {}));
    EXPECT_TRUE(data.IsDelimiter(RNU_U16ToBytes(u"a,"), 2, {TRNItemOption::rnioUnicode}));
    EXPECT_FALSE(data.IsDelimiter(RNU_U16ToBytes(u"a\u012c"), 2, {TRNItemOption::rnioUnicode}));
    std::string zeros("a\0\0", 3);
    TCustomRNData::Replace0(zeros);
    EXPECT_EQ(zeros, "a??");
    EXPECT_EQ(data.ReplaceTabs(RNU_U16ToBytes(u"\t"), 0, true), RNU_U16ToBytes(u"        "));
}

namespace {

struct Recorded : TRNPlainRootData {
    std::vector<std::pair<TRNControlAction, int>> actions;
    std::vector<int> jumps;
    int GetFirstJumpNo() const override { return 100; }
    void DoJump(int jumpNo) override { jumps.push_back(jumpNo); }
    void ControlAction2(TRNControlAction action, int itemNo, IEmbeddedControl&) override {
        actions.emplace_back(action, itemNo);
    }
};

} // namespace

TEST(DocControls, ControlsArePlacedHiddenReportedAndFreed) {
    IControlParent window;
    Recorded data;
    data.ParentControl = &window;
    data.AddFmt(0, 0, "%d items", 2);
    auto control = std::make_unique<TOpaqueControl>("TButton", "b", "");
    IEmbeddedControl* button = control.get();
    data.AddControlEx("button", std::move(control), -1, TRNVAlign::rnvaBaseline);
    EXPECT_EQ(data.GetItemText(0), "2 items");
    EXPECT_EQ(button->Parent(), &window);
    EXPECT_FALSE(button->Visible()); // shown once formatting places it

    TCustomRNItemInfo& item = data.GetItem(1);
    item.MovingToUndoList(1, data);
    EXPECT_EQ(button->Parent(), nullptr);
    item.MovingFromUndoList(1, data);
    EXPECT_EQ(button->Parent(), &window);
    data.DeleteItems(0, 5);
    EXPECT_EQ(data.ItemCount(), 0);
    using A = TRNControlAction;
    EXPECT_EQ(data.actions,
              (std::vector<std::pair<A, int>>{
                  {A::rncaMoveToUndoList, 1}, {A::rncaMoveFromUndoList, 1}, {A::rncaDestroy, 1}}));
}

TEST_F(Doc, MassJoiningMatchesJoiningPairByPair) {
    // Random runs of plain, protected and tagged pieces, some empty, some starting paragraphs.
    std::mt19937 engine(7);
    for (int round = 0; round < 50; ++round) {
        TRNPlainRootData bulk, pairwise;
        for (TRNPlainRootData* d : {&bulk, &pairwise}) {
            d->Style = &sheet;
        }
        std::uniform_int_distribution<int> pick(0, 5);
        for (int i = 0; i < 30; ++i) {
            int roll = pick(engine);
            std::string text = roll == 0 ? "" : std::string(1, static_cast<char>('a' + i % 26));
            int style = roll == 1 ? 8 : 0;
            int para = roll == 2 ? 0 : -1;
            RNTag tag = roll == 3 ? 1 : 0;
            bulk.AddNLTag(text, style, para, tag);
            pairwise.AddNLTag(text, style, para, tag);
        }
        bulk.MassSimpleConcate(3, 25);
        for (int i = 25; i >= 4; --i) {
            if (pairwise.RN_CanConcateItems(i - 1, &pairwise.GetItem(i - 1), &pairwise.GetItem(i),
                                            false)) {
                pairwise.SimpleConcate(i - 1);
            }
        }
        EXPECT_EQ(Table(bulk), Table(pairwise)) << "round " << round;
    }
}

TEST(DocControls, JumpsReachTheDocumentNumberedFromItsFirst) {
    TRNStyle sheet;
    Recorded data;
    data.Style = &sheet;
    TImageList list;
    data.AddNL("plain", 0, 0);
    data.AddNL("link", 4, -1);
    data.AddHotspotEx("spot", 0, 1, &list, -1);
    data.GetItem(1).JumpNo = 2;
    data.GetItem(2).JumpNo = 3;
    for (int i = 0; i < data.ItemCount(); ++i) {
        data.GetItem(i).Execute(data);
    }
    EXPECT_EQ(data.jumps, (std::vector<int>{102, 103}));
}
