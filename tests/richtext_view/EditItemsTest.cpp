#include "EditForm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

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
    std::vector<ItemCommand> commands = ItemCommands(images);
    // A page break drops the selection instead of replacing it.
    commands.push_back({"PageBreak", [](EditForm& f) {
                            f.Edit->InsertPageBreak();
                            return true;
                        }});
    const std::vector<std::string> atCaret{
        "|'ab' picture:pic 'cd'", "|'ab' bullet 'cd'",      "|'ab' hotspot 'cd'",
        "|'ab'|break|'cd'",       "|'ab' control:btn 'cd'", "|'ab' picture:made 'cd'",
        "|'ab'|'cd'(page)",
    };
    const std::vector<std::string> overSelection{
        "|'a' picture:pic 'd'", "|'a' bullet 'd'",       "|'a' hotspot 'd'", "|'a'|break|'d'",
        "|'a' control:btn 'd'", "|'a' picture:made 'd'", "|'abc'|'d'(page)",
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        SCOPED_TRACE(commands[i].name);
        const TRNUndoType undoType =
            i + 1 == commands.size() ? TRNUndoType::rnutInsertPageBreak : TRNUndoType::rnutInsert;
        {
            EditForm f("abcd");
            f.Caret(0, 3);
            UndoRedo(f, [&] { EXPECT_TRUE(commands[i].insert(f)); });
            EXPECT_EQ(Describe(f), atCaret[i]);
            EXPECT_EQ(f.Edit->UndoAction(), undoType);
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

namespace {

// 0 "ab", 1 picture, 2 bullet, 3 hotspot, 4 control; 5 a break; 6 "cd" on a new page, with
// a checkpoint.
// The control's body cannot be stored, so notes keep it by name.
void BuildItems(TRichNoteEdit& e, const TImageList& images) {
    e.RNFOptions.Exclude(TRNFOption::rnfoSaveControlsBody);
    e.AddNL("ab", 0, 0);
    e.AddPictureEx("p", std::make_unique<TBitmap>(10, 10), -1, TRNVAlign::rnvaBaseline);
    e.AddBulletEx("b", 0, &images, -1);
    e.AddHotspotEx("h", 0, 1, &images, -1);
    e.AddControlEx("c", Button(), -1, TRNVAlign::rnvaBaseline);
    e.AddBreak();
    e.AddNamedCheckpoint("old");
    e.AddNL("cd", 0, 0);
    e.SetPageBreaksBeforeItems(6, true);
}

int DrawnLength(TRNEditRNData& d, int itemNo) {
    int length = 0;
    for (int i = 0; i < d.DrawItems.Count(); ++i) {
        if (d.DrawItems[i]->ItemNo == itemNo) {
            length += d.DrawItems[i]->Length;
        }
    }
    return length;
}

} // namespace

TEST(EditItems, ChangesByIndexAndAtTheCaretAreUndoSteps) {
    TImageList images(8, 8);
    images.Add(TBitmap(16, 8));
    struct Case {
        const char* name;
        std::function<void(TRichNoteEdit&)> change;
        TRNUndoType undoType;
        std::function<void(TRNEditRNData&)> check;
        // A control's size is not stored in notes: its draw item shows the change.
        bool stored = true;
    };
    const std::vector<Case> cases{
        {"Break",
         [](TRichNoteEdit& e) {
             e.SetBreakInfoEd(5, 3, TRNBreakStyle::rnbs3d, clBlue, TestTag(7));
         },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) {
             uint8_t width = 0;
             TRNBreakStyle style{};
             TColor color = clNone;
             RNTag tag;
             d.GetBreakInfo(5, width, style, color, tag);
             EXPECT_EQ(width, 3);
             EXPECT_EQ(style, TRNBreakStyle::rnbs3d);
             EXPECT_EQ(color, clBlue);
             EXPECT_EQ(TagText(tag), "7");
         }},
        {"BulletKeepsItsList",
         [](TRichNoteEdit& e) { e.SetBulletInfoEd(2, "b2", 1, nullptr, TestTag(5)); },
         TRNUndoType::rnutModifyItem,
         [&images](TRNEditRNData& d) {
             std::string name;
             int index = 0;
             const TImageList* list = nullptr;
             RNTag tag;
             d.GetBulletInfo(2, name, index, list, tag);
             EXPECT_EQ(name, "b2");
             EXPECT_EQ(index, 1);
             EXPECT_EQ(list, &images);
         }},
        {"Hotspot",
         [](TRichNoteEdit& e) { e.SetHotspotInfoEd(3, "h2", 1, 0, nullptr, TestTag(6)); },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) {
             std::string name;
             int index = 0;
             int hot = 0;
             const TImageList* list = nullptr;
             RNTag tag;
             d.GetHotspotInfo(3, name, index, hot, list, tag);
             EXPECT_EQ(index, 1);
             EXPECT_EQ(hot, 0);
         }},
        {"PictureResizedIsFormattedAgain",
         [](TRichNoteEdit& e) {
             e.SetPictureInfoEd(1, "p2", std::make_unique<TBitmap>(30, 30), TRNVAlign::rnvaMiddle,
                                TestTag(4));
         },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) {
             int drawItem = -1;
             d.Item2FirstDrawItem(1, drawItem);
             EXPECT_EQ(d.DrawItems[drawItem]->Width, 32);
             EXPECT_EQ(d.GetItemText(1), "p2");
         }},
        {"PictureKeepsACopyOfItsImage",
         [](TRichNoteEdit& e) {
             e.SetPictureInfoEd(1, "p3", nullptr, TRNVAlign::rnvaBaseline, TestTag(1));
         },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) { EXPECT_EQ(d.GetItem(1).GetImageWidth(), 10); }},
        {"Control",
         [](TRichNoteEdit& e) { e.SetControlInfoEd(4, "c2", TRNVAlign::rnvaMiddle, TestTag(9)); },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) {
             EXPECT_EQ(d.GetItemText(4), "c2");
             EXPECT_EQ(TagText(d.GetItemTag(4)), "9");
         }},
        {"ResizeControl", [](TRichNoteEdit& e) { e.ResizeControl(4, 40, 20); },
         TRNUndoType::rnutModifyItem,
         [](TRNEditRNData& d) {
             int drawItem = -1;
             d.Item2FirstDrawItem(4, drawItem);
             EXPECT_EQ(d.DrawItems[drawItem]->Width, 42);
         },
         false},
        {"TextIsFormattedAgain", [](TRichNoteEdit& e) { e.SetItemTextEd(0, "a longer text"); },
         TRNUndoType::rnutModifyItem, [](TRNEditRNData& d) { EXPECT_EQ(DrawnLength(d, 0), 13); }},
        {"Tag", [](TRichNoteEdit& e) { e.SetItemTagEd(0, TestTag(3)); }, TRNUndoType::rnutTag,
         [](TRNEditRNData& d) { EXPECT_EQ(TagText(d.GetItemTag(0)), "3"); }},
        {"AddCheckpoint", [](TRichNoteEdit& e) { e.SetCheckpointInfoEd(0, 1, "cp", true); },
         TRNUndoType::rnutAddCheckpoint,
         [](TRNEditRNData& d) { EXPECT_EQ(d.GetItemCheckpoint(0)->Name, "cp"); }},
        {"ModifyCheckpoint", [](TRichNoteEdit& e) { e.SetCheckpointInfoEd(6, 2, "new", true); },
         TRNUndoType::rnutModifyCheckpoint,
         [](TRNEditRNData& d) { EXPECT_EQ(d.GetItemCheckpoint(6)->Name, "new"); }},
        {"RemoveCheckpoint", [](TRichNoteEdit& e) { e.RemoveCheckpointEd(6); },
         TRNUndoType::rnutRemoveCheckpoint,
         [](TRNEditRNData& d) { EXPECT_EQ(d.GetItemCheckpoint(6), nullptr); }},
        {"CurrentText",
         [](TRichNoteEdit& e) {
             e.EditData().SetCaretAtItem(6, 1);
             e.SetCurrentItemText("xyz");
         },
         TRNUndoType::rnutModifyItem, [](TRNEditRNData& d) { EXPECT_EQ(d.GetItemText(6), "xyz"); }},
        {"CurrentPageBreak",
         [](TRichNoteEdit& e) {
             e.EditData().SetCaretAtItem(6, 1);
             e.RemoveCurrentPageBreak();
         },
         TRNUndoType::rnutRemovePageBreak,
         [](TRNEditRNData& d) { EXPECT_FALSE(d.GetItem(6).GetPageBreakBefore()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f([&images](TRichNoteEdit& e) { BuildItems(e, images); });
        if (c.stored) {
            UndoRedo(f, [&] { c.change(*f.Edit); });
        } else {
            c.change(*f.Edit);
            f.Edit->Undo();
            f.Edit->Redo();
        }
        EXPECT_EQ(f.Edit->UndoAction(), c.undoType);
        c.check(f.D());
        EXPECT_EQ(f.D().UndoList().GroupModeCounter, 0);
    }
}

TEST(EditItems, ChangesOfTheWrongKindOrRefusedChangeNothing) {
    TImageList images(8, 8);
    EditForm f([&images](TRichNoteEdit& e) { BuildItems(e, images); });
    const std::string before = f.Rnf();
    EXPECT_THROW(f.Edit->SetBreakInfoEd(0, 1, TRNBreakStyle::rnbsLine, clRed, 0), ERichNoteError);
    EXPECT_THROW(f.Edit->SetPictureInfoEd(2, "x", nullptr, TRNVAlign::rnvaMiddle, 0),
                 ERichNoteError);
    f.Edit->ReadOnly = true;
    f.Edit->SetItemTextEd(0, "changed");
    f.Edit->RemoveCheckpointEd(0);
    EXPECT_EQ(f.Rnf(), before);
    EXPECT_EQ(f.UndoCount(), 0);
    // A text change right after typing is a step of its own, not part of the typing.
    f.Edit->ReadOnly = false;
    f.Caret(0, 3);
    f.Type("z");
    const std::string typed = f.Rnf();
    f.Edit->SetItemTextEd(6, "new");
    f.Edit->Undo();
    EXPECT_EQ(f.Rnf(), typed);
}

namespace {

// A control that takes its real size only when first shown, as a widget laid out on show.
class GrowsWhenShown : public TOpaqueControl {
public:
    GrowsWhenShown() : TOpaqueControl("TLabel", "l", "") { SetBounds(0, 0, 10, 10); }
    void SetVisible(bool visible) override {
        TOpaqueControl::SetVisible(visible);
        if (visible && !grown_) {
            grown_ = true;
            SetBounds(Left(), Top(), 40, 20);
        }
    }

private:
    bool grown_ = false;
};

} // namespace

TEST(EditItems, AControlThatResizesWhenPlacedIsFormattedAgain) {
    EditForm f("ab");
    ASSERT_TRUE(
        f.Edit->InsertControl("l", std::make_unique<GrowsWhenShown>(), TRNVAlign::rnvaBaseline));
    const TRNDrawLineInfo& d = *f.D().DrawItems[f.D().FindDrawItemByItem(1)];
    EXPECT_EQ(std::make_pair(d.Width, d.Height), std::make_pair(42, 22));
}

TEST(EditItems, CommandsGoToAnOpenCellEditor) {
    struct Case {
        const char* name;
        std::function<void(TRichNoteEdit&)> command;
    };
    const std::vector<Case> cases{
        {"Picture",
         [](TRichNoteEdit& e) {
             e.InsertPicture("p", std::make_unique<TBitmap>(4, 4), TRNVAlign::rnvaBaseline);
         }},
        {"Break", [](TRichNoteEdit& e) { e.InsertBreak(1, TRNBreakStyle::rnbsLine, clNone); }},
        {"Text", [](TRichNoteEdit& e) { e.InsertTextW(u"typed"); }},
        {"Paste",
         [](TRichNoteEdit& e) {
             Offer({{"text/plain", "pasted"}});
             e.Paste();
         }},
        {"ParaStyle", [](TRichNoteEdit& e) { e.ApplyParaStyle(1); }},
        {"CurrentText", [](TRichNoteEdit& e) { e.SetCurrentItemText("renamed"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f("outer");
        auto* cell = new TRichNoteEdit(f.Edit);
        cell->SetStyle(&f.Sheet);
        cell->AddNL("cell", 0, 0);
        cell->Format();
        cell->EditData().SetCaretAtItem(0, 5);
        f.Edit->AssignInplace(cell);
        EXPECT_EQ(&f.Edit->GetActiveRichNoteEdit(), cell);
        const std::string outer = f.Rnf();
        c.command(*f.Edit);
        EXPECT_EQ(f.Rnf(), outer);
        EXPECT_EQ(cell->EditData().UndoList().Count(), 1);
    }
}
