#include "EditFixture.h"

#include "../richtext_model/ExpectRNError.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

namespace {

// "abc" | "def" continuing the paragraph | picture | "ghi" starting paragraph 1, tag 7.
void BuildMixed(Editor& e) {
    e.D().AddNL("abc", 0, 0);
    e.D().AddNL("def", 1, -1);
    e.AddPicture(30, -1);
    e.D().AddNLTag("ghi", 0, 1, TestTag(7));
    e.Format();
}

struct PrimitiveCase {
    const char* name;
    std::function<void(TRNEditRNData&, bool& full)> edit;
    std::function<void(TRNEditRNData&)> check = [](TRNEditRNData&) {};
};

class CountedRecord : public TRNUndoInfo {
public:
    explicit CountedRecord(int& freed) : TRNUndoInfo(TRNUndoAction::rnuTag), freed_(freed) {}
    ~CountedRecord() override { ++freed_; }
    void Undo(IRNUndoTarget&) override {}

private:
    int& freed_;
};

// A picture whose border width is an integer property.
class PropPicture : public TRNGraphicItemInfo, public IRNIntProperties {
public:
    using TRNGraphicItemInfo::TRNGraphicItemInfo;
    int Border = 1;
    bool GetIntProp(const std::string& name, int& value) const override {
        value = Border;
        return name == "Border";
    }
    void SetIntProp(const std::string&, int value) override { Border = value; }
};

} // namespace

TEST(EditPrimitives, EachChangesUndoesAndRedoesAndWorksWithoutRecords) {
    const PrimitiveCase cases[] = {
        {"DeleteItem", [](TRNEditRNData& d, bool& f) { d.Do_DeleteItem(1, f); }},
        {"DeleteItems", [](TRNEditRNData& d, bool& f) { d.Do_DeleteItems(1, 2, f); }},
        {"InsertItemStartingPara",
         [](TRNEditRNData& d, bool& f) {
             auto item = d.CreateTextCopy(d.GetItem(3));
             item->ParaNo = 2;
             d.Do_InsertItem(1, "new", std::move(item), false, f);
         },
         // The new paragraph start restyles the rest of its paragraph, no further.
         [](TRNEditRNData& d) {
             EXPECT_EQ(d.GetItemPara(0), 0);
             for (int i = 1; i <= 3; ++i) {
                 EXPECT_EQ(d.GetItemPara(i), 2) << i;
             }
             EXPECT_EQ(d.GetItemPara(4), 1);
         }},
        {"InsertItems",
         [](TRNEditRNData& d, bool& f) {
             TRNUndoItemList list;
             list.push_back({"x", d.CreateTextCopy(d.GetItem(0))});
             list.push_back({"y", d.CreateTextCopy(d.GetItem(1))});
             d.Do_InsertItems(4, list, false, f);
         }},
        {"DeleteSubstringToEnd", [](TRNEditRNData& d, bool&) { d.Do_DeleteSubstring(0, 2, -1); }},
        {"InsertSubstring", [](TRNEditRNData& d, bool&) { d.Do_InsertSubstring(3, 2, "XY"); }},
        {"Concate", [](TRNEditRNData& d, bool&) { d.Do_Concate(0); }},
        {"ModifyItem",
         [](TRNEditRNData& d, bool&) {
             d.Do_ModifyItem(2, "q",
                             std::make_unique<TRNGraphicItemInfo>(
                                 &d, std::make_unique<TBitmap>(5, 5), TRNVAlign::rnvaMiddle));
         }},
        {"ChangeText", [](TRNEditRNData& d, bool&) { d.Do_ChangeText(1, "changed"); }},
        {"StyleNo", [](TRNEditRNData& d, bool&) { d.Do_StyleNo(0, 3); }},
        {"Para", [](TRNEditRNData& d, bool& f) { d.Do_Para(0, 2, f, 2); }},
        {"NewLineStartsPara", [](TRNEditRNData& d, bool& f) { d.Do_NewLine(1, false, f, 2); }},
        {"NewLineJoins", [](TRNEditRNData& d, bool& f) { d.Do_NewLine(3, true, f, -1); }},
        {"BR",
         [](TRNEditRNData& d, bool& f) {
             d.Do_NewLine(1, false, f, -1);
             d.Do_BR(1, true);
         }},
        {"PageBreak", [](TRNEditRNData& d, bool&) { d.Do_PageBreak(3, true); }},
        {"Tag", [](TRNEditRNData& d, bool&) { d.Do_Tag(3, TestTag(9), false); }},
        {"AddCheckpoint",
         [](TRNEditRNData& d, bool&) {
             auto cp = std::make_unique<TRNCPInfo>();
             cp->Name = "mark";
             d.Do_AddCP(1, std::move(cp));
         }},
        {"ChangeVAlign",
         [](TRNEditRNData& d, bool&) { d.Do_ChangeVAlign(2, TRNVAlign::rnvaMiddle); }},
    };
    for (const PrimitiveCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor recorded;
        BuildMixed(recorded);
        const std::string after = UndoRedo(recorded, [&] {
            recorded.D().BeginUndoSequence(TRNUndoType::rnutModifyItem);
            bool full = false;
            c.edit(recorded.D(), full);
            recorded.D().EndUndoSequence();
            recorded.Format();
            c.check(recorded.D());
        });
        EXPECT_EQ(recorded.D().RedoList().Count(), 0);

        Editor unrecorded;
        BuildMixed(unrecorded);
        unrecorded.D().UndoList().Limit = 0;
        unrecorded.D().BeginUndoSequence(TRNUndoType::rnutModifyItem);
        bool full = false;
        c.edit(unrecorded.D(), full);
        EXPECT_EQ(unrecorded.Rnf(), after);
        EXPECT_EQ(unrecorded.D().UndoList().Count(), 0);
    }
}

TEST(EditPrimitives, DeletingTheWidestItemAsksForAFullReformat) {
    Editor e;
    e.D().AddNL("a", 0, 0);
    e.AddPicture(100, -1);
    e.AddPicture(50, -1);
    e.Format();
    bool full = false;
    e.D().Do_DeleteItem(2, full);
    EXPECT_FALSE(full);
    e.D().Do_DeleteItem(1, full);
    EXPECT_TRUE(full);
}

TEST(EditPrimitives, DeleteSubstringToTheEndRecordsExactlyTheDeletedCharacters) {
    Editor e;
    BuildMixed(e);
    e.D().BeginUndoSequence(TRNUndoType::rnutDelete);
    e.D().Do_DeleteSubstring(3, 2, -1);
    e.D().Do_DeleteSubstring(3, 1, 99);
    const TRNUndoInfos& group = *e.D().UndoList().Last();
    ASSERT_EQ(group.Records.Count(), 2);
    EXPECT_EQ(static_cast<TRNUndoDeleteSubstringInfo*>(group.Records[0])->S, "hi");
    EXPECT_EQ(static_cast<TRNUndoDeleteSubstringInfo*>(group.Records[1])->S, "g");
    EXPECT_EQ(e.D().GetItemText(3), "");
}

TEST(EditPrimitives, RefusedCallsRaiseBeforeAnyChange) {
    Editor e;
    BuildMixed(e);
    e.D().BeginUndoSequence(TRNUndoType::rnutDelete);
    const std::string before = e.Rnf();
    ExpectRNError([&] { e.D().Do_InsertSubstring(2, 1, "x"); }, "Undo error");
    ExpectRNError([&] { e.D().Do_InsertSubstring(0, 5, "x"); }, "Undo error");
    ExpectRNError([&] { e.D().Do_DeleteSubstring(9, 1, 1); }, "Undo error");
    ExpectRNError([&] { e.D().Do_DeleteCP(0); }, "Checkpoint error");
    e.D().Do_AddCP(0, std::make_unique<TRNCPInfo>());
    ExpectRNError([&] { e.D().Do_AddCP(0, std::make_unique<TRNCPInfo>()); }, "Checkpoint error");
    e.D().Do_DeleteCP(0);
    EXPECT_EQ(e.Rnf(), before);
}

TEST(EditPrimitives, PropertiesRecordOnlyWhatChanged) {
    Editor e;
    e.D().AddNL("a", 0, 0);
    e.D().AddItem("p", std::make_unique<PropPicture>(&e.D(), std::make_unique<TBitmap>(4, 4),
                                                     TRNVAlign::rnvaBaseline));
    e.Format();
    auto& picture = dynamic_cast<PropPicture&>(e.D().GetItem(1));
    const auto maker = &MakeUndoProps<TRNUndoModifyItemIntProperties>;
    e.D().BeginUndoSequence(TRNUndoType::rnutModifyItem);
    EXPECT_EQ(e.D().Do_ModifyItemIntProperties(1, nullptr, {{"Border", 1}}, false, false, maker),
              nullptr);
    e.D().EndUndoSequence();
    EXPECT_EQ(e.D().UndoList().Count(), 0);

    e.D().BeginUndoSequence(TRNUndoType::rnutModifyItem);
    EXPECT_NE(e.D().Do_ModifyItemIntProperties(1, nullptr, {{"Border", 3}}, false, false, maker),
              nullptr);
    EXPECT_EQ(picture.Border, 3);
    e.Undo();
    EXPECT_EQ(picture.Border, 1);
    e.Redo();
    EXPECT_EQ(picture.Border, 3);
}

TEST(EditUndoList, GroupsFollowLimitModeAndEmptiness) {
    TRNUndoList list(3);
    int freed = 0;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(list.BeginItem(TRNUndoType::rnutDelete, "g" + std::to_string(i), i, 1));
        list.AddInfo(std::make_unique<CountedRecord>(freed));
    }
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Groups[0]->Caption, "g1");

    // A lowered limit trims the list on the next group.
    list.Limit = 1;
    list.BeginItem(TRNUndoType::rnutInsert, "last", 0, 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(freed, 4);

    // An empty group hands its caption and caret to the next one.
    list.BeginItem(TRNUndoType::rnutInsert, "next", 9, 9);
    EXPECT_EQ(list.CurrentUndoCaption(), "last");
    EXPECT_EQ(list.Last()->CaretItemNo, 0);
    EXPECT_EQ(list.CurrentUndoType(), TRNUndoType::rnutInsert);

    TRNUndoList none(0);
    EXPECT_FALSE(none.BeginItem(TRNUndoType::rnutDelete, {}, 0, 0));
    EXPECT_EQ(none.CurrentUndoType(), TRNUndoType::rnutNone);
}

TEST(EditUndoList, MisuseRaises) {
    TRNUndoList list;
    int freed = 0;
    ExpectRNError([&] { list.AddInfo(std::make_unique<CountedRecord>(freed)); },
                  "Can't modify empty undo list");
    list.AddTyping(0, 1, false);
    ExpectRNError([&] { list.AddInfo(std::make_unique<CountedRecord>(freed)); },
                  "Incorrect adding into undo list");
    // Group mode joins commands, but never onto a typing group.
    list.GroupModeCounter = 1;
    list.BeginItem(TRNUndoType::rnutDelete, {}, 0, 0);
    list.AddInfo(std::make_unique<CountedRecord>(freed));
    list.BeginItem(TRNUndoType::rnutInsert, {}, 0, 0);
    list.AddInfo(std::make_unique<CountedRecord>(freed));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Last()->Records.Count(), 2);
    EXPECT_EQ(freed, 2); // the two refused records

    Editor e;
    BuildMixed(e);
    ExpectRNError([&] { e.Undo(); }, "Undo buffer is empty");
}

TEST(EditUndoList, AFailedReplayEmptiesBothLists) {
    Editor e;
    BuildMixed(e);
    e.D().BeginUndoSequence(TRNUndoType::rnutDelete);
    e.D().Do_DeleteSubstring(0, 1, 1);
    e.D().BeginUndoSequence(TRNUndoType::rnutDelete);
    e.D().Do_DeleteSubstring(3, 1, 1);
    e.Undo();
    ASSERT_EQ(e.D().RedoList().Count(), 1);
    // The remaining group now points at an item that is no longer text.
    bool full = false;
    e.D().UndoList().Limit = 0;
    e.D().Do_DeleteItems(0, 1, full);
    e.Format();
    ExpectRNError([&] { e.Undo(); }, "Undo error");
    EXPECT_EQ(e.D().UndoList().Count(), 0);
    EXPECT_EQ(e.D().RedoList().Count(), 0);
}

TEST(EditPrimitives, ResizingAControlReformatsAndPlacesIt) {
    Editor e;
    e.D().AddNL("a", 0, 0);
    auto control = std::make_unique<TOpaqueControl>("TButton", "b", "");
    control->SetBounds(0, 0, 30, 10);
    IEmbeddedControl* button = control.get();
    e.D().AddControlEx("b", std::move(control), -1, TRNVAlign::rnvaBaseline);
    e.Format();
    e.D().BeginUndoSequence(TRNUndoType::rnutModifyItem);
    e.D().Do_Resize(1, 50, 20, true);
    const TRNDrawLineInfo& placed = *e.D().DrawItems[e.D().FindDrawItemByItem(1)];
    EXPECT_EQ(placed.Width, 52);
    e.D().AdjustControlPlacement(1);
    EXPECT_EQ(button->Left(), placed.Left + 1);
    e.Undo();
    EXPECT_EQ(button->Width(), 30);
    EXPECT_EQ(e.D().DrawItems[e.D().FindDrawItemByItem(1)]->Width, 32);
    e.Redo();
    EXPECT_EQ(button->Height(), 20);
}
