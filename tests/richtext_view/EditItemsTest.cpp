#include "EditForm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The items in order: text in quotes, other items by kind; "|" marks a paragraph start.
std::string Describe(EditForm& f) {
    TRNEditRNData& d = f.D();
    std::string out;
    for (int i = 0; i < d.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = d.GetItem(i);
        out += item.GetSameAsPrev() ? " " : "|";
        if (item.IsText()) {
            out += "'" + d.GetItemText(i) + "'";
        } else if (dynamic_cast<const TRNHotspotItemInfo*>(&item)) {
            out += "hotspot";
        } else if (dynamic_cast<const TRNBulletItemInfo*>(&item)) {
            out += "bullet";
        } else if (dynamic_cast<const TRNGraphicItemInfo*>(&item)) {
            out += "picture:" + d.GetItemText(i);
        } else if (dynamic_cast<const TRNBreakItemInfo*>(&item)) {
            out += "break";
        } else if (dynamic_cast<const TRNControlItemInfo*>(&item)) {
            out += "control:" + d.GetItemText(i);
        }
        if (item.GetPageBreakBefore()) {
            out += "(page)";
        }
    }
    return out;
}

std::unique_ptr<IEmbeddedControl> Button(QPointer<QPushButton>* watch = nullptr) {
    auto button = std::make_unique<QPushButton>("b");
    button->resize(30, 12);
    if (watch) {
        *watch = button.get();
    }
    return std::make_unique<TEmbeddedWidget>(std::move(button), "TButton");
}

struct ItemCommand {
    const char* name;
    std::function<bool(EditForm&)> insert;
};

std::vector<ItemCommand> ItemCommands(const TImageList& images) {
    return {
        {"Picture",
         [](EditForm& f) {
             return f.Edit->InsertPicture("pic", std::make_unique<TBitmap>(10, 10),
                                          TRNVAlign::rnvaBaseline);
         }},
        {"Bullet", [&images](EditForm& f) { return f.Edit->InsertBullet(0, &images); }},
        {"Hotspot", [&images](EditForm& f) { return f.Edit->InsertHotspot(0, 1, &images); }},
        {"Break", [](EditForm& f) { return f.Edit->InsertBreak(2, TRNBreakStyle::rnbs3d, clRed); }},
        {"Control",
         [](EditForm& f) {
             return f.Edit->InsertControl("btn", Button(), TRNVAlign::rnvaBaseline);
         }},
        {"Item",
         [](EditForm& f) {
             return f.Edit->InsertItem(
                 "made", std::make_unique<TRNGraphicItemInfo>(
                             &f.D(), std::make_unique<TBitmap>(4, 4), TRNVAlign::rnvaMiddle));
         }},
    };
}

} // namespace

TEST(EditItems, EachInsertIsOneUndoStepAtTheCaretOrOverTheSelection) {
    TImageList images(8, 8);
    images.Add(TBitmap(16, 8));
    const std::vector<ItemCommand> commands = ItemCommands(images);
    const std::vector<std::string> atCaret{
        "|'ab' picture:pic 'cd'", "|'ab' bullet 'cd'",      "|'ab' hotspot 'cd'",
        "|'ab'|break|'cd'",       "|'ab' control:btn 'cd'", "|'ab' picture:made 'cd'",
    };
    const std::vector<std::string> overSelection{
        "|'a' picture:pic 'd'", "|'a' bullet 'd'",      "|'a' hotspot 'd'",
        "|'a'|break|'d'",       "|'a' control:btn 'd'", "|'a' picture:made 'd'",
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        SCOPED_TRACE(commands[i].name);
        {
            EditForm f("abcd");
            f.Caret(0, 3);
            UndoRedo(f, [&] { EXPECT_TRUE(commands[i].insert(f)); });
            EXPECT_EQ(Describe(f), atCaret[i]);
            EXPECT_EQ(f.Edit->UndoAction(), TRNUndoType::rnutInsert);
            EXPECT_EQ(f.D().UndoList().GroupModeCounter, 0);
        }
        {
            EditForm f("abcd");
            f.D().SetSelectionBounds(0, 2, 0, 4);
            UndoRedo(f, [&] { EXPECT_TRUE(commands[i].insert(f)); });
            EXPECT_EQ(Describe(f), overSelection[i]);
            EXPECT_EQ(f.UndoCount(), 1);
        }
    }
}

TEST(EditItems, PageBreakStartsAPageAtTheCaretsParagraph) {
    EditForm f("abcd");
    f.D().SetSelectionBounds(0, 2, 0, 4);
    f.Caret(0, 3);
    UndoRedo(f, [&] { f.Edit->InsertPageBreak(); });
    EXPECT_EQ(Describe(f), "|'ab'|'cd'(page)");
    EXPECT_EQ(f.Edit->UndoAction(), TRNUndoType::rnutInsertPageBreak);
}

TEST(EditItems, RefusedInsertsChangeNothingAndFreeTheItem) {
    TImageList images(8, 8);
    const std::vector<ItemCommand> commands = ItemCommands(images);
    for (const bool readOnly : {true, false}) {
        for (const ItemCommand& command : commands) {
            SCOPED_TRACE(std::string(command.name) + (readOnly ? " read-only" : " sticking"));
            EditForm f("abcd");
            if (readOnly) {
                f.Edit->ReadOnly = true;
            } else {
                f.Sheet.TextStyles()[0].Protection.Include(TRNProtectOption::rnprModifyProtect);
                f.Caret(0, 3);
            }
            const std::string before = f.Rnf();
            const int changes = f.Changes;
            const int beeps = f.Beeps;
            EXPECT_FALSE(command.insert(f));
            EXPECT_EQ(f.Rnf(), before);
            EXPECT_EQ(f.UndoCount(), 0);
            EXPECT_EQ(f.Changes, changes);
            EXPECT_GT(f.Beeps, beeps);
        }
        EditForm f("abcd");
        f.Edit->ReadOnly = readOnly;
        f.Sheet.TextStyles()[0].Protection.Include(TRNProtectOption::rnprModifyProtect);
        f.Caret(0, 3);
        QPointer<QPushButton> button;
        EXPECT_FALSE(f.Edit->InsertControl("btn", Button(&button), TRNVAlign::rnvaBaseline));
        EXPECT_TRUE(button.isNull());
    }
}
