#include "tests/richtext_view/EditFixture.h"

#include "TableFixture.h"
#include "richtext/model/RNError.h"

namespace {

TEST(TableProps, NamedPropertiesAndTheirLayoutEffects) {
    TableDoc d;
    auto t = d.Make(1, 1);
    struct Case {
        const char* name;
        int value;
        bool size, width;
    } cases[] = {
        {"BorderWidth", 3, true, true},      {"CellVSpacing", 5, true, false},
        {"Color", clRed, false, false},      {"BorderStyle", 2, false, false},
        {"HOutermostRule", 1, false, false}, {"PrintOptions", 1, true, true},
    };
    for (const Case& c : cases) {
        bool size = !c.size, width = !c.width;
        ASSERT_TRUE(TRNTableItemInfo::GetPropertyEffect(c.name, size, width)) << c.name;
        EXPECT_EQ(std::make_pair(size, width), std::make_pair(c.size, c.width)) << c.name;
        t->SetIntProp(c.name, c.value);
        int value = 0;
        ASSERT_TRUE(t->GetIntProp(c.name, value));
        EXPECT_EQ(value, c.value) << c.name;
    }
    EXPECT_EQ(t->BorderStyle, TRNTableBorderStyle::rntbColor);
    EXPECT_EQ(t->PrintOptions.Bits(), 1u);
    int value = 0;
    EXPECT_FALSE(t->GetIntProp("Rows", value));
    EXPECT_THROW(t->SetIntProp("Rows", 1), ERichNoteError);
    EXPECT_THROW(t->Cells(0, 0)->SetIntProp("ColSpan", 2), ERichNoteError);
}

TEST(TableProps, ChangesInAnEditorAreUndoneAndRedone) {
    Editor e;
    e.D().AddNL("before", 0, 0);
    auto owned = std::make_unique<TRNTableItemInfo>(2, 2, &e.D());
    TRNTableItemInfo* t = owned.get();
    e.D().AddItem("", std::move(owned));
    t->InsertedInData = t->InEditor = true;

    t->SetBorderWidth(4);
    t->SetCellColor(clRed, 1, 1);
    EXPECT_EQ(t->BorderWidth, 4);
    EXPECT_EQ(t->Cells(1, 1)->Color, clRed);
    EXPECT_TRUE(t->NeedsReformat);
    EXPECT_TRUE(t->InsertedInData); // the flag comes back after the change

    e.Undo();
    EXPECT_EQ(t->Cells(1, 1)->Color, clNone);
    EXPECT_EQ(t->BorderWidth, 4);
    e.Undo();
    EXPECT_EQ(t->BorderWidth, 0);
    e.Redo();
    e.Redo();
    EXPECT_EQ(t->BorderWidth, 4);
    EXPECT_EQ(t->Cells(1, 1)->Color, clRed);

    // Outside an editor the value is only stored.
    t->InEditor = false;
    int groups = e.D().UndoList().Count();
    t->SetCellBestWidth(-30, 0, 0);
    EXPECT_EQ(t->Cells(0, 0)->BestWidth, -30);
    EXPECT_EQ(e.D().UndoList().Count(), groups);
}

TEST(TableProps, OnlyAnEditorsDocumentRecordsAndAsksItsControl) {
    Editor e;
    e.D().AddNL("before", 0, 0);
    auto owned = std::make_unique<TRNTableItemInfo>(2, 2, &e.D());
    TRNTableItemInfo* t = owned.get();
    e.D().AddItem("", std::move(owned));
    t->Inserted(&e.D(), false);
    EXPECT_TRUE(t->InEditor);
    EXPECT_TRUE(t->CanChange());
    // The control decides whether a change may start.
    e.Edit.AllowChange = false;
    const int asked = e.Edit.ChangeQuestions;
    EXPECT_FALSE(t->BeforeChange());
    EXPECT_EQ(e.Edit.ChangeQuestions, asked + 1);
    e.Edit.AllowChange = true;
    EXPECT_TRUE(t->BeforeChange());
    const int groups = e.D().UndoList().Count();
    const int changes = e.Edit.Changes;
    t->SetCellColor(clRed, 0, 0);
    EXPECT_EQ(e.D().UndoList().Count(), groups + 1);
    t->ChangeEx(true);
    EXPECT_EQ(e.Edit.Changes, changes + 1);

    // A table in a plain document stores its changes and records none.
    TableDoc d;
    auto plainOwned = d.Make(2, 2);
    TRNTableItemInfo* plain = plainOwned.get();
    d.Doc.AddItem("", std::move(plainOwned));
    plain->Inserted(&d.Doc, false);
    EXPECT_TRUE(plain->InsertedInData);
    EXPECT_FALSE(plain->InEditor);
    EXPECT_FALSE(plain->CanChange());
    EXPECT_FALSE(plain->BeforeChange());
    plain->SetCellColor(clBlue, 1, 1);
    EXPECT_EQ(plain->Cells(1, 1)->Color, clBlue);
}

} // namespace
