#include "tests/richtext_view/EditFixture.h"

#include "TableFixture.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/RNError.h"

#include <functional>

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

// Writes the properties, then reads them back into `into`: the names in the order written.
template <class T, class W, class R>
std::vector<std::string> StoreAndLoad(const T& from, T& into, W write, R read) {
    TWriter writer;
    write(writer, from);
    writer.WriteListEnd();
    const std::string bytes = writer.Bytes();
    TReader reader(bytes);
    std::vector<std::string> names;
    reader.ReadProperties([&](const std::string& name) {
        names.push_back(name);
        return read(reader, into, name);
    });
    return names;
}

TEST(TableProps, PublishedPropertiesAreStoredWhenTheyDifferFromTheirDefaults) {
    using Names = std::vector<std::string>;
    auto writeTable = [](TWriter& w, const TRNTableItemInfo& t) {
        RN_WriteTableProperties(w, t, "T.");
    };
    auto readTable = [](TReader& r, TRNTableItemInfo& t, const std::string& name) {
        return RN_ReadTableProperty(r, t, name, "T.");
    };
    struct Case {
        std::function<void(TRNTableItemInfo&)> change;
        Names names;
    } cases[] = {
        {[](TRNTableItemInfo&) {}, {"T.TextRowSeparator", "T.TextColSeparator"}},
        {[](TRNTableItemInfo& t) {
             t.Options.Exclude(TRNTableOption::rntoEditing);
             t.CellBorderStyle = TRNTableBorderStyle::rntbRaisedColor;
             t.Color = clNone;
             t.CellPadding = 0;
             t.HOutermostRule = true;
             t.TextColSeparator = "\t";
         },
         {"T.Options", "T.Color", "T.TextRowSeparator", "T.TextColSeparator", "T.CellPadding",
          "T.CellBorderStyle", "T.HOutermostRule"}},
    };
    TableDoc d;
    for (const Case& c : cases) {
        auto from = d.Make(1, 1);
        c.change(*from);
        auto into = d.Make(1, 1);
        into->TextRowSeparator = into->TextColSeparator = "";
        EXPECT_EQ(StoreAndLoad(*from, *into, writeTable, readTable), c.names);
        for (const char* name : {"Options", "Color", "CellPadding", "CellBorderStyle",
                                 "HOutermostRule", "BorderWidth"}) {
            int a = 0, b = 1;
            from->GetIntProp(name, a);
            into->GetIntProp(name, b);
            EXPECT_EQ(a, b) << name;
        }
        EXPECT_EQ(into->TextColSeparator, from->TextColSeparator);
    }

    auto cell = d.Make(1, 1);
    TRNTableCellData& from = *cell->Cells(0, 0);
    from.Color = clRed;
    from.VisibleBorders.Left = false;
    TRNTableCellData into(nullptr);
    EXPECT_EQ(StoreAndLoad(
                  from, into,
                  [](TWriter& w, const TRNTableCellData& c) { RN_WriteCellProperties(w, c, "C."); },
                  [](TReader& r, TRNTableCellData& c, const std::string& name) {
                      return RN_ReadCellProperty(r, c, name, "C.");
                  }),
              (Names{"C.Color", "C.VisibleBorders.Left"}));
    EXPECT_EQ(into.Color, clRed);
    EXPECT_FALSE(into.VisibleBorders.Left);
    EXPECT_TRUE(into.VisibleBorders.Top);
}

} // namespace
