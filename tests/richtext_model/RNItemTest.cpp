#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/ImageList.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNItemRegistry.h"
#include "richtext/model/RNStyle.h"
#include "tests/richtext_model/ExpectRNError.h"

#include <gtest/gtest.h>

namespace {

// A full-line item of a kind registered below -9, as a table is.
class FakeTableItem : public TRNFullLineItemInfo {
public:
    using TRNFullLineItemInfo::TRNFullLineItemInfo;
    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override {
        return std::make_unique<FakeTableItem>(rnData);
    }
};

class OtherItem : public FakeTableItem {
public:
    using FakeTableItem::FakeTableItem;
};

} // namespace

TEST(RNItems, LineStartSettersStayExclusive) {
    using O = TRNItemOption;
    struct Case {
        const char* what;
        std::function<void(TCustomRNItemInfo&)> act;
        TRNItemOptions expected;
    } cases[] = {
        {"same-as-prev after page break",
         [](TCustomRNItemInfo& i) {
             i.SetPageBreakBefore(true);
             i.SetSameAsPrev(true);
         },
         {O::rnioSameAsPrev}},
        {"page break after line break",
         [](TCustomRNItemInfo& i) {
             i.SetBR(true);
             i.SetPageBreakBefore(true);
         },
         {O::rnioPageBreakBefore}},
        {"line break after same-as-prev",
         [](TCustomRNItemInfo& i) {
             i.SetSameAsPrev(true);
             i.SetBR(true);
         },
         {O::rnioBR}},
        {"clearing one leaves the others",
         [](TCustomRNItemInfo& i) {
             i.ItemOptions = {O::rnioBR, O::rnioUnicode};
             i.SetSameAsPrev(false);
         },
         {O::rnioBR, O::rnioUnicode}},
    };
    for (const Case& c : cases) {
        TRNTextItemInfo item(nullptr);
        c.act(item);
        EXPECT_EQ(item.ItemOptions, c.expected) << c.what;
    }
    TRNBreakItemInfo rule(nullptr, 1, TRNBreakStyle::rnbsLine, clNone);
    rule.SetBR(true);
    EXPECT_FALSE(rule.GetBR()); // a full-line item never breaks inside a paragraph
    TRNTextItemInfo text(nullptr);
    text.SetBR(true);
    EXPECT_FALSE(text.CanBeBorderStart());
    EXPECT_TRUE(text.ParaStart(true));
    EXPECT_FALSE(text.ParaStart(false));
}

TEST(RNItems, RegistryAcceptsOnlyNewNumbersBelowMinusNine) {
    const std::string taken =
        "Can't register RichNote item type - this StyleNo is already registered";
    int before = RegisteredRichNoteItemClassCount();
    RegisterRichNoteItemClass<FakeTableItem>(-60);
    int once = RegisteredRichNoteItemClassCount();
    EXPECT_LE(once - before, 1);
    RegisterRichNoteItemClass<FakeTableItem>(-60);
    EXPECT_EQ(RegisteredRichNoteItemClassCount(), once);
    ExpectRNError([] { RegisterRichNoteItemClass<FakeTableItem>(-5); }, taken);
    ExpectRNError([] { RegisterRichNoteItemClass<FakeTableItem>(-9); }, taken);
    ExpectRNError([] { RegisterRichNoteItemClass<OtherItem>(-60); }, taken);

    struct Case {
        int styleNo;
        const std::type_info& type;
    } cases[] = {
        {0, typeid(TRNTextItemInfo)},     {7, typeid(TRNTextItemInfo)},
        {-1, typeid(TRNBreakItemInfo)},   {-3, typeid(TRNGraphicItemInfo)},
        {-4, typeid(TRNHotspotItemInfo)}, {-5, typeid(TRNControlItemInfo)},
        {-6, typeid(TRNBulletItemInfo)},  {-60, typeid(FakeTableItem)},
    };
    for (const Case& c : cases) {
        auto item = CreateRichNoteItem(c.styleNo, nullptr);
        ASSERT_TRUE(item) << c.styleNo;
        const TCustomRNItemInfo& made = *item;
        EXPECT_EQ(typeid(made), c.type) << c.styleNo;
        EXPECT_EQ(item->StyleNo, c.styleNo);
        EXPECT_EQ(item->DrawItemNo, -1);
    }
    for (int unknown : {-2, -7, -8, -9, -61}) {
        EXPECT_EQ(CreateRichNoteItem(unknown, nullptr), nullptr) << unknown;
    }
    EXPECT_TRUE(CreateRichNoteItem(-60, nullptr)->GetBoolValue(TRNItemBoolProperty::rnbpFullWidth));
}

TEST(RNItems, DuplicateCopiesFieldsCheckpointAndTagDeeply) {
    TBitmap picture(4, 3);
    TRNGraphicItemInfo source(nullptr, picture.Clone(), TRNVAlign::rnvaMiddle);
    source.ParaNo = 2;
    source.SetPageBreakBefore(true);
    source.Tag = RNTag::String("tag");
    source.Checkpoint = std::make_unique<TRNCPInfo>();
    source.Checkpoint->Name = "cp";
    source.Checkpoint->Tag = RNTag::String("cptag");
    source.Checkpoint->RaiseEvent = true;

    auto copy = RN_DuplicateItem(source, nullptr, true);
    auto& graphic = dynamic_cast<TRNGraphicItemInfo&>(*copy);
    EXPECT_EQ(graphic.StyleNo, -3);
    EXPECT_EQ(graphic.ParaNo, 2);
    EXPECT_EQ(graphic.VAlign, TRNVAlign::rnvaMiddle);
    EXPECT_TRUE(graphic.GetPageBreakBefore());
    ASSERT_TRUE(graphic.Image);
    EXPECT_NE(graphic.Image.get(), source.Image.get());
    EXPECT_EQ(graphic.Image->Width(), 4);
    ASSERT_TRUE(graphic.Checkpoint);
    EXPECT_NE(graphic.Checkpoint.get(), source.Checkpoint.get());
    EXPECT_EQ(graphic.Checkpoint->ItemInfo, copy.get());
    source.Checkpoint.reset();
    source.Tag = RNTag();
    // The copy lives on with its own strings (the sanitizers catch a shared one).
    EXPECT_EQ(graphic.Checkpoint->Name, "cp");
    EXPECT_EQ(graphic.Checkpoint->Tag.AsString(), "cptag");
    EXPECT_EQ(graphic.Tag.AsString(), "tag");
}

TEST(RNItems, SizesAndAnswersPerClass) {
    TImageList list(16, 12);
    TBitmap picture(30, 20);
    TRNGraphicItemInfo graphic(nullptr, picture.Clone(), TRNVAlign::rnvaBaseline);
    TRNBulletItemInfo bullet(nullptr, 0, &list, TRNVAlign::rnvaBaseline);
    TRNBulletItemInfo listless(nullptr, 0, nullptr, TRNVAlign::rnvaBaseline);
    TRNBreakItemInfo rule(nullptr, 2, TRNBreakStyle::rnbs3d, clRed);
    struct Case {
        const char* what;
        TRNNonTextItemInfo& item;
        int width, height, minWidth, border;
        bool valid, printToBmp;
    } cases[] = {
        {"picture", graphic, 32, 22, 32, 1, true, true},
        {"bullet", bullet, 18, 14, 18, 1, true, true},
        {"bullet without a list", listless, 2, 2, 2, 1, false, true},
        {"break", rule, 0, 0, 20, 0, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.item.GetWidth(), c.width) << c.what;
        EXPECT_EQ(c.item.GetHeight(), c.height) << c.what;
        EXPECT_EQ(c.item.GetMinWidth(), c.minWidth) << c.what;
        EXPECT_EQ(c.item.GetBorderWidth(), c.border) << c.what;
        EXPECT_EQ(c.item.GetBoolValue(TRNItemBoolProperty::rnbpValid), c.valid) << c.what;
        EXPECT_EQ(c.item.GetBoolValue(TRNItemBoolProperty::rnbpPrintToBMP), c.printToBmp) << c.what;
    }
    TRNHotspotItemInfo hotspot(nullptr, 1, 1, &list, TRNVAlign::rnvaBaseline);
    EXPECT_TRUE(hotspot.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, nullptr));
    EXPECT_FALSE(hotspot.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpHotColdJump, nullptr));
    hotspot.HotImageIndex = 2;
    EXPECT_TRUE(hotspot.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpHotColdJump, nullptr));

    TRNStyle sheet;
    TRNTextItemInfo link(nullptr), plain(nullptr), outside(nullptr);
    link.StyleNo = 4; // "Jump Arial"
    outside.StyleNo = 99;
    EXPECT_TRUE(link.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, &sheet));
    EXPECT_FALSE(plain.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, &sheet));
    EXPECT_FALSE(outside.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, &sheet));
}

TEST(RNItems, ControlsFollowTheDocumentWidthAndKeepWithinWindowRange) {
    struct Case {
        int percent, expectedWidth;
    } cases[] = {{50, 199}, {100, 400}, {0, 60}, {101, 60}};
    for (const Case& c : cases) {
        auto control = std::make_unique<TOpaqueControl>("TButton", "b", "");
        control->SetBounds(0, 0, 60, 20);
        TRNControlItemInfo item(nullptr, std::move(control), TRNVAlign::rnvaBaseline);
        item.PercentWidth = c.percent;
        item.OnDocWidthChange(402, nullptr, false);
        EXPECT_EQ(item.Control->Width(), c.expectedWidth) << c.percent;
        EXPECT_EQ(item.GetMinWidth(), c.percent != 0 ? 20 : 62) << c.percent;
    }
    TRNControlItemInfo item(nullptr, std::make_unique<TOpaqueControl>("TEdit", "e", "bytes"),
                            TRNVAlign::rnvaBaseline);
    item.Control->SetVisible(false);
    item.AdjustInserted(9, 20000, true);
    EXPECT_EQ(item.Control->Left(), 10);
    EXPECT_EQ(item.Control->Tag(), 20001);
    EXPECT_EQ(item.Control->Top(), 10000);
    EXPECT_TRUE(item.Control->Visible());
    item.Control->SetTag(-123);
    EXPECT_EQ(RN_GetYByTag(*item.Control), -123);
    EXPECT_TRUE(item.OwnsControl(item.Control.get()));
    EXPECT_FALSE(item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpAllowsFocus, nullptr));
}

TEST(RNItems, PaintingOnTheFakeCanvas) {
    TRNStyle sheet;
    sheet.HoverColor = clRed;
    TFakeCanvas canvas;

    TRNBreakItemInfo rule(nullptr, 3, TRNBreakStyle::rnbsLine, clNone);
    rule.PaintFullWidth(0, 100, 10, canvas, {TRNItemDrawState::rnidsSelected}, sheet, {}, nullptr);
    auto lines = canvas.CallsOf("Line");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{5, 15}, {95, 15}}));
    EXPECT_EQ(lines[0].PenWidth, 3);
    EXPECT_EQ(lines[0].PenColor, sheet.TextStyles()[0].Color); // clNone: text style 0
    EXPECT_EQ(lines[1].Points, (std::vector<TPoint>{{5, 14}, {95, 14}}));
    EXPECT_EQ(lines[2].PenColor, sheet.SelColor);
    EXPECT_EQ(canvas.Pen().Width(), 1);

    canvas.ClearCalls();
    TBitmap picture(10, 8);
    TRNGraphicItemInfo graphic(nullptr, picture.Clone(), TRNVAlign::rnvaBaseline);
    graphic.Paint(20, 30, canvas, {TRNItemDrawState::rnidsCurrent, TRNItemDrawState::rnidsSelected},
                  sheet, nullptr);
    ASSERT_EQ(canvas.CallsOf("DrawImage").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("DrawImage")[0].Rect, Bounds(21, 31, 10, 8));
    auto outlines = canvas.CallsOf("Rectangle");
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_EQ(outlines[0].Rect, Rect(19, 29, 33, 41));
    EXPECT_EQ(outlines[0].PenColor, clRed);
    EXPECT_EQ(outlines[1].Rect, Rect(20, 30, 32, 40));

    // Bullets: an index outside the list (negative too) and a missing list draw no image.
    canvas.ClearCalls();
    TImageList list(16, 16);
    list.Add(TBitmap(16, 16));
    for (int index : {-1, 5}) {
        TRNBulletItemInfo bullet(nullptr, index, &list, TRNVAlign::rnvaBaseline);
        bullet.Paint(0, 0, canvas, {TRNItemDrawState::rnidsSelected}, sheet, nullptr);
    }
    TRNBulletItemInfo listless(nullptr, 0, nullptr, TRNVAlign::rnvaBaseline);
    listless.Paint(0, 0, canvas, {TRNItemDrawState::rnidsCurrent}, sheet, nullptr);
    EXPECT_TRUE(canvas.CallsOf("DrawImage").empty());
    EXPECT_EQ(canvas.CallsOf("Rectangle").size(), 1u);
    TRNBulletItemInfo shown(nullptr, 0, &list, TRNVAlign::rnvaBaseline);
    shown.Paint(0, 0, canvas, {TRNItemDrawState::rnidsSelected}, sheet, nullptr);
    EXPECT_EQ(canvas.CallsOf("DrawImage").size(), 1u);

    // A control known only by its stream draws a frame where it stands.
    canvas.ClearCalls();
    auto opaque = std::make_unique<TOpaqueControl>("TStrangeGrid", "g", "xyz");
    opaque->SetBounds(0, 0, 40, 10);
    TRNControlItemInfo control(nullptr, std::move(opaque), TRNVAlign::rnvaBaseline);
    control.Paint(5, 6, canvas, {}, sheet, nullptr);
    ASSERT_EQ(canvas.CallsOf("FrameRect").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("FrameRect")[0].Rect, Bounds(6, 7, 40, 10));
}

TEST(RNItems, BreaksPrintScaledToTheDevice) {
    TFakeCanvas printer({2000, 2000}, 288);
    TRNPlainRootData data;
    TRNScreenAndDevice sad{96, 96, 288, 288, 0, 0};
    TRNBreakItemInfo rule(nullptr, 2, TRNBreakStyle::rnbsLine, clBlue);
    rule.Print(printer, 100, 50, 700, false, false, sad, data, nullptr, 0);
    auto lines = printer.CallsOf("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{115, 65}, {685, 65}}));
    EXPECT_EQ(lines[0].PenWidth, 6);
    // A record without resolutions prints unscaled instead of dividing by zero.
    rule.Print(printer, 0, 0, 100, false, false, TRNScreenAndDevice{0, 0, 96, 96, 0, 0}, data,
               nullptr, 0);
    EXPECT_EQ(printer.CallsOf("Line")[1].Points, (std::vector<TPoint>{{5, 5}, {95, 5}}));
}
